// Every device of every loaded producer, and the one a user names on the command line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/ProducerSession.h"

namespace Kavrin::Tools {

struct DeviceLocation {
    ProducerSession* producer = nullptr;
    const InterfaceEntry* iface = nullptr;
    const DeviceEntry* device = nullptr;
};

class DeviceCatalog {
public:
    // Loads each producer. A producer found by searching that cannot be loaded is reported on
    // stderr and skipped; with only one path, as given by --cti, its failure is thrown.
    explicit DeviceCatalog(const std::vector<std::string>& producerPaths);

    std::vector<std::unique_ptr<ProducerSession>>& Producers() { return producers_; }

    // deviceName is a device ID, "SN->serial" or "USERNAME->name"; empty takes the first device
    // listed. Throws std::runtime_error naming the devices there are when none matches.
    DeviceLocation Select(const std::string& deviceName);

private:
    std::vector<std::unique_ptr<ProducerSession>> producers_;
};

}  // namespace Kavrin::Tools
