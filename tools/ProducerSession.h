// One loaded producer, initialised and with its system module open, and what it discovered:
// every interface (kept open) with the devices it lists. Closes everything it opened, in order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

struct DeviceEntry {
    std::string id;
    std::string vendor;
    std::string model;
    std::string serialNumber;
    std::string userName;
    std::string tlType;
    int32_t accessStatus = GenTL::DEVICE_ACCESS_STATUS_UNKNOWN;
};

struct InterfaceEntry {
    std::string id;
    std::string displayName;
    std::string tlType;
    GenTL::IF_HANDLE handle = nullptr;
    std::vector<DeviceEntry> devices;
};

class ProducerSession {
public:
    // Loads the producer and runs interface and device discovery; throws on failure.
    explicit ProducerSession(const std::string& path);
    ~ProducerSession();
    ProducerSession(const ProducerSession&) = delete;
    ProducerSession& operator=(const ProducerSession&) = delete;

    GenTLProducer& GenTL() { return gentl_; }
    const std::string& Path() const { return path_; }
    GenTL::TL_HANDLE System() const { return system_; }
    const std::vector<InterfaceEntry>& Interfaces() const { return interfaces_; }
    // TL_INFO_VENDOR and the like; empty when the producer does not answer.
    std::string LibraryText(GenTL::TL_INFO_CMD command);

private:
    void Discover();
    DeviceEntry DescribeDevice(GenTL::IF_HANDLE iface, const std::string& id);
    void Close();

    std::string path_;
    GenTLProducer gentl_;
    bool initialised_ = false;
    GenTL::TL_HANDLE system_ = nullptr;
    std::vector<InterfaceEntry> interfaces_;
};

// "Unknown", "ReadWrite", "Busy" and the like.
std::string AccessStatusName(int32_t status);

}  // namespace Kavrin::Tools
