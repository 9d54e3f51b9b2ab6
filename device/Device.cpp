#include "device/Device.h"

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "interface/Interface.h"
#include "stream/DataStream.h"
#include "system/TL.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kDescriptionAddress = 0x500;
constexpr uint32_t kDescriptionLength = 0;
const std::string kStreamIdPrefix = "DS";
}  // namespace

CDevice::CDevice(CTL& system, std::shared_ptr<InterfaceLink> iface, std::string id,
                 std::shared_ptr<const CDeviceInfo> info, Tevold::CamDevice* camera,
                 GenTL::DEVICE_ACCESS_FLAGS)
    : system_(system),
      id_(std::move(id)),
      interface_(std::move(iface)),
      info_(std::move(info)),
      camera_(camera) {
    port_ = std::make_unique<CDevicePort>(*this);
}

CDevice::~CDevice() {
    RetireHandle();
    // The remote port reaches the camera, which is about to close.
    port_->RetireHandle();
    CloseCamera();
    std::lock_guard linkLock(interface_->mutex);
    if (interface_->iface != nullptr) interface_->iface->RemoveDevice(this);
}

void CDevice::Close() { system_.CloseDevice(this); }

GenTL::IF_HANDLE CDevice::InterfaceHandle() const {
    std::lock_guard linkLock(interface_->mutex);
    return interface_->iface == nullptr ? nullptr : interface_->iface->Handle();
}

void CDevice::CloseCamera() noexcept {
    try {
        // Also waits for a stream closed on another thread, which may still use the camera.
        streams_.CloseAll();
        // Nothing may call back into the port once the device is gone, even if closing fails.
        camera_->SetEventCallback(nullptr, port_.get());
        unsigned char closing = 0;
        size_t size = sizeof closing;
        camera_->QueryInfo(Tevold::kItemPrepareClose, &closing, &size);
        camera_->CloseDevice();
    } catch (...) {
        // The device goes away whatever the camera library says about it.
    }
}

GenTL::DS_HANDLE CDevice::OpenDataStream(const std::string& streamId) {
    GenTL::DS_HANDLE handle = nullptr;
    streams_.UseFirstOrAdd([&](const CDataStream& stream) { return stream.GetID() == streamId; },
                           [&] { return std::make_unique<CDataStream>(streamId, *this); },
                           [&](CDataStream& stream) { handle = stream.Handle(); });
    return handle;
}

void CDevice::CloseDataStream(CDataStream* stream) {
    if (!streams_.Close(stream))
        GENICAM_THROW(InvalidParameterException, "Invalid Stream Channel Index");
}

std::string CDevice::GetDataStreamID(uint32_t index) const {
    if (index != 0) GENICAM_THROW(InvalidParameterException, "Invalid Stream Index %d", index);
    return kStreamIdPrefix + std::to_string(index);
}

uint32_t CDevice::GetNumDataStreams() {
    uint32_t count = 0;
    camera_->GetNumStreams(&count);
    return count;
}

void CDevice::GetInfo(GenTL::DEVICE_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                      size_t* size) {
    if (command == GenTL::DEVICE_INFO_ACCESS_STATUS)
        return CopyInfoInt32(buffer, size, type, GenTL::DEVICE_ACCESS_STATUS_READWRITE);
    if (!CDeviceInfo::IsCommonCommand(command))
        GENICAM_THROW(InvalidParameterException, "Invalid device info Id %d", command);
    info_->GetCommonInfo(command, type, buffer, size);
}

void CDevice::GetURL(char* url, size_t* size) {
    // The module URL travels with a spare zero byte after its terminator.
    std::string padded = ModuleUrl("TLDevRegs.xml", kDescriptionAddress, kDescriptionLength);
    padded.push_back('\0');
    CopyInfoValue(url, size, nullptr, GenTL::INFO_DATATYPE_STRING, padded.c_str(),
                  padded.size() + 1);
}

void CDevice::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                          size_t* size) {
    const PortIdentity identity{
        "TLDEV::" + info_->GetID(),        VendorName(), ModelName(), TLTypeName(), "TLDevice",
        FormatVersion(GetModuleVersion()), "DevicePort"};
    identity.Answer(command, type, buffer, size);
}

void CDevice::RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) {
    if (eventType != GenTL::EVENT_ERROR)
        GENICAM_THROW(InvalidParameterException, "Invalid Event ID %d", eventType);
    errorEvent_.Enable();
    *event = errorEvent_.Handle();
}

void CDevice::UnregisterEvent(GenTL::EVENT_TYPE eventType) {
    if (eventType != GenTL::EVENT_ERROR)
        GENICAM_THROW(InvalidParameterException, "Invalid Event ID %d", eventType);
    errorEvent_.Disable();
}

}  // namespace GenICam::Client
