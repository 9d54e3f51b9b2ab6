#include "device/DevicePort.h"

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "device/Device.h"
#include "interface/RegisterResult.h"

namespace GenICam::Client {

CDevicePort::CDevicePort(CDevice& device) : device_(device) {
    device_.Camera().SetEventCallback(&CDevicePort::OnDeviceEvent, this);
}

CDevicePort::~CDevicePort() { RetireHandle(); }

void CDevicePort::OnDeviceEvent(uint32_t eventId, uint32_t, uint64_t data, uint32_t timestampLow,
                                uint32_t timestampHigh, void* context) {
    const uint64_t timestamp = uint64_t{timestampHigh} << 32 | timestampLow;
    auto& port = *static_cast<CDevicePort*>(context);
    port.deviceEvent_.PostDeviceEvent(eventId, timestamp, data);
    if (eventId == Tevold::kEventControlLost)
        port.device_.ErrorEvent().PostError(GenTL::GC_ERR_IO, "Control of the camera was lost");
}

void CDevicePort::Read(uint64_t address, void* buffer, size_t* size) {
    CheckRegisterResult(device_.Camera().ReadRegister(address, buffer, size), address,
                        RegisterAccess::Read);
}

void CDevicePort::Write(uint64_t address, const void* buffer, size_t* size) {
    CheckRegisterResult(device_.Camera().WriteRegister(address, buffer, size), address,
                        RegisterAccess::Write);
}

void CDevicePort::GetURL(char* url, size_t* size) {
    if (url == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid buffer");
    if (device_.Camera().QueryInfo(Tevold::kItemDescriptionUrl, url, size) != 0)
        GENICAM_THROW(InvalidParameterException, "Buffer too small");
}

void CDevicePort::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                              void* buffer, size_t* size) {
    const PortIdentity identity{device_.GetDeviceInfo()->GetID(),
                                VendorName(),
                                ModelName(),
                                TLTypeName(),
                                "Device",
                                "1.2",
                                "Device"};
    identity.Answer(command, type, buffer, size);
}

void CDevicePort::RequireRemoteDeviceEvent(GenTL::EVENT_TYPE eventType) const {
    if (eventType != GenTL::EVENT_REMOTE_DEVICE)
        GENICAM_THROW(InvalidParameterException, "Event ID %ld not implemented",
                      static_cast<long>(eventType));
}

void CDevicePort::RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) {
    RequireRemoteDeviceEvent(eventType);
    device_.Camera().SetEventCallback(&CDevicePort::OnDeviceEvent, this);
    deviceEvent_.Enable();
    *event = deviceEvent_.Handle();
}

void CDevicePort::UnregisterEvent(GenTL::EVENT_TYPE eventType) {
    RequireRemoteDeviceEvent(eventType);
    device_.Camera().SetEventCallback(nullptr, this);
    deviceEvent_.Disable();
}

}  // namespace GenICam::Client
