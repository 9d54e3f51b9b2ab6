// The interface module behind an IF_HANDLE: device discovery into a list sorted by device ID,
// device information, opening devices, and the interface's register port.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "GenTL.h"
#include "camlib/CamLib.h"
#include "common/ICommonBase.h"
#include "common/NodeMap.h"
#include "device/DeviceInfo.h"
#include "interface/InterfaceInfo.h"

namespace GenICam::Client {

class CTL;
class CDevice;
class CInterface;

// What a device opened on an interface knows of it: the interface tells its devices when it
// goes away by clearing the pointer, so a device closed later never reaches it.
struct InterfaceLink {
    std::mutex mutex;
    CInterface* iface = nullptr;
};

class CInterface final : public ICommonBase {
public:
    CInterface(std::shared_ptr<const CInterfaceInfo> record, CTL& system,
               Tevold::CamInterface* camera);
    ~CInterface() override;

    // The new device's handle; the system module owns the device.
    GenTL::DEV_HANDLE OpenDevice(const std::string& request,
                                 GenTL::DEVICE_ACCESS_FLAGS accessFlags);
    uint32_t GetNumDevices() const;
    std::string GetDeviceID(uint32_t index) const;
    void UpdateDeviceList(GenTL::bool8_t* changed, uint64_t timeoutMs);
    // A device opened here is closing.
    void RemoveDevice(const CDevice* device);
    // Destroys this interface; devices still open on it are forgotten, not closed.
    void Close();
    std::shared_ptr<const CInterfaceInfo> GetInfoRecord() const { return record_; }
    void GetDeviceInfo(const std::string& request, GenTL::DEVICE_INFO_CMD command,
                       GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) const;
    CTL& GetSystem() const { return system_; }

    // The interface's node map, and beside it the camera library's interface registers.
    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;
    // The URL of the interface's node map.
    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;

private:
    using DeviceList = std::vector<std::shared_ptr<const CDeviceInfo>>;

    DeviceList DiscoverDevices(uint32_t timeoutMs);
    std::shared_ptr<const CDeviceInfo> DescribeDevice(const std::string& name);
    const CDeviceInfo* FindListed(const std::string& request) const;
    bool IsOpen(const std::string& request) const;
    NodeMap MakeNodeMap();
    // The ID the device selector points at, or none past the end of the list.
    std::optional<std::string> SelectedDevice() const;
    std::string SelectedDeviceText(GenTL::DEVICE_INFO_CMD command) const;

    std::shared_ptr<const CInterfaceInfo> record_;
    CTL& system_;
    std::shared_ptr<InterfaceLink> link_;
    // Guards both lists: devices close from any thread.
    mutable std::recursive_mutex mutex_;
    std::vector<CDevice*> openDevices_;
    DeviceList devices_;
    Tevold::CamInterface* camera_;
    std::atomic<int64_t> selectedDevice_{0};
    std::atomic<int64_t> deviceUpdateTimeoutMs_;
    const NodeMap nodeMap_;
};

}  // namespace GenICam::Client
