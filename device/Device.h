// The device module behind a DEV_HANDLE: one opened camera, its data streams, its own port,
// the remote device port and its error event.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camlib/CamLib.h"
#include "common/ICommonBase.h"
#include "common/NodeMap.h"
#include "common/OwnedChildren.h"
#include "device/DeviceInfo.h"
#include "device/DevicePort.h"
#include "events/EventError.h"

namespace GenICam::Client {

class CInterface;
class CTL;
struct InterfaceLink;
class CDataStream;

class CDevice final : public ICommonBase {
public:
    CDevice(CTL& system, std::shared_ptr<InterfaceLink> iface, std::string id,
            std::shared_ptr<const CDeviceInfo> info, Tevold::CamDevice* camera,
            GenTL::DEVICE_ACCESS_FLAGS accessFlags);
    // Closes the streams and the camera; camera-library failures here are ignored.
    ~CDevice() override;

    std::shared_ptr<const CDeviceInfo> GetDeviceInfo() const { return info_; }
    // The handle of the open stream of that ID, or of a newly opened one.
    GenTL::DS_HANDLE OpenDataStream(const std::string& streamId);
    std::string GetDataStreamID(uint32_t index) const;
    uint32_t GetNumDataStreams();
    void GetInfo(GenTL::DEVICE_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size);
    // Destroys a stream opened on this device.
    void CloseDataStream(CDataStream* stream);
    // Destroys this device through the system that owns it.
    void Close();

    CDevicePort& RemotePort() { return *port_; }
    CEventError& ErrorEvent() { return errorEvent_; }
    Tevold::CamDevice& Camera() { return *camera_; }
    // The handle of the interface that opened the device, or null once that interface was
    // closed. Taken under the link's lock, so the interface cannot go meanwhile.
    GenTL::IF_HANDLE InterfaceHandle() const;

    // The device module's node map: the device's information and its stream list.
    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;
    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;
    void RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) override;
    void UnregisterEvent(GenTL::EVENT_TYPE eventType) override;

private:
    void CloseCamera() noexcept;
    NodeMap MakeNodeMap();

    CTL& system_;
    std::string id_;
    OwnedChildren<CDataStream> streams_;
    std::shared_ptr<InterfaceLink> interface_;
    std::shared_ptr<const CDeviceInfo> info_;
    Tevold::CamDevice* camera_;
    std::unique_ptr<CDevicePort> port_;
    CEventError errorEvent_;
    std::atomic<int64_t> selectedStream_{0};
    const NodeMap nodeMap_;
};

}  // namespace GenICam::Client
