// The system module behind a TL_HANDLE: binds to the camera library, discovers its interfaces
// into a stable list and owns the interfaces and the devices opened through it. A device
// outlives the interface it was opened on, but not its system.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "GenTL.h"
#include "camlib/CamLib.h"
#include "common/ICommonBase.h"
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

    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;

private:
    using InterfaceList = std::vector<std::shared_ptr<const CInterfaceInfo>>;

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
};

}  // namespace GenICam::Client
