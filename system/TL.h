// The system module behind a TL_HANDLE: binds to the camera library, discovers its interfaces
// into a stable list and owns the interfaces and the devices opened through it. A device
// outlives the interface it was opened on, but not its system.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "GenTL.h"
#include "camlib/CamLib.h"
#include "common/ICommonBase.h"
#include "common/NodeMap.h"
#include "common/OwnedChildren.h"
#include "interface/InterfaceInfo.h"

namespace GenICam::Client {

class CInterface;
class CDevice;

class CTL final : public ICommonBase {
public:
    CTL();
    ~CTL() override;

    uint32_t GetNumInterfaces();
    std::string GetInterfaceID(uint32_t index);
    void UpdateInterfaceList(GenTL::bool8_t* changed, uint64_t timeout);
    void GetInfo(GenTL::TL_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size);
    // The handle of the open interface of that MAC entry, or of a newly opened one.
    GenTL::IF_HANDLE OpenInterface(const std::string& interfaceId);
    void GetInterfaceInfo(const std::string& interfaceId, GenTL::INTERFACE_INFO_CMD command,
                          GenTL::INFO_DATATYPE* type, void* buffer, size_t* size);
    // Destroys an interface opened through this module.
    void CloseInterface(CInterface* iface);
    // Takes over a device an interface of this module opened.
    CDevice& AdoptDevice(std::unique_ptr<CDevice> device);
    // Destroys a device opened beneath this module, with its streams.
    void CloseDevice(CDevice* device);

    // The system's node map: the library's information and the interface list.
    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;
    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;

private:
    using InterfaceList = std::vector<std::shared_ptr<const CInterfaceInfo>>;

    NodeMap MakeNodeMap();
    // The record the interface selector points at, or none past the end of the list.
    std::shared_ptr<const CInterfaceInfo> SelectedInterface();

    void DiscoverOnce();
    InterfaceList DiscoverInterfaces();
    std::shared_ptr<const CInterfaceInfo> DescribeInterface(const std::string& name);

    // Guards the discovery: applications may discover, open and close from several threads.
    std::recursive_mutex mutex_;
    InterfaceList interfaces_;
    OwnedChildren<CInterface> openInterfaces_;
    OwnedChildren<CDevice> openDevices_;
    bool discovered_ = false;
    Tevold::CamSystem* camera_ = nullptr;
    std::atomic<int64_t> selectedInterface_{0};
    const NodeMap nodeMap_;
};

}  // namespace GenICam::Client
