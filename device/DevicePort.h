// The remote device port: the camera's own registers, its register-description URL and its
// device events, all through the camera library.
#pragma once

#include <memory>
#include <string>

#include "common/ICommonBase.h"
#include "events/EventDevice.h"

namespace GenICam::Client {

class CDevice;

class CDevicePort final : public ICommonBase {
public:
    // Installs the device-event callback, so device events are counted from the start.
    explicit CDevicePort(CDevice& device);
    ~CDevicePort() override;

    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;
    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;
    void RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) override;
    void UnregisterEvent(GenTL::EVENT_TYPE eventType) override;

private:
    static void OnDeviceEvent(uint32_t eventId, uint32_t reserved, uint64_t data,
                              uint32_t timestampLow, uint32_t timestampHigh, void* context);
    void RequireRemoteDeviceEvent(GenTL::EVENT_TYPE eventType) const;

    CDevice& device_;
    CEventDevice deviceEvent_;
};

}  // namespace GenICam::Client
