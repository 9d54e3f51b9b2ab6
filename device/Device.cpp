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
constexpr uint64_t kRegisterBase = 0x10000;
const std::string kStreamIdPrefix = "DS";
}  // namespace

CDevice::CDevice(CTL& system, std::shared_ptr<InterfaceLink> iface, std::string id,
                 std::shared_ptr<const CDeviceInfo> info, Tevold::CamDevice* camera,
                 GenTL::DEVICE_ACCESS_FLAGS)
    : system_(system),
      id_(std::move(id)),
      interface_(std::move(iface)),
      info_(std::move(info)),
      camera_(camera),
      nodeMap_(MakeNodeMap()) {
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

NodeMap CDevice::MakeNodeMap() {
    using Feature = NodeMapFeature;
    const std::string info = "DeviceInformation";
    const std::string list = "StreamEnumeration";
    // Every value is the one DevGetInfo gives.
    const auto query = [this](GenTL::DEVICE_INFO_CMD command) {
        return [this, command](GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
            GetInfo(command, type, buffer, size);
        };
    };
    const auto text = [query](GenTL::DEVICE_INFO_CMD command) {
        return [query = query(command)] { return InfoText(query); };
    };
    const auto number = [query](GenTL::DEVICE_INFO_CMD command) {
        return [query = query(command)] { return InfoNumber(query); };
    };
    std::vector<Feature> features{
        Feature::Text(info, "DeviceID", "ID of the device", text(GenTL::DEVICE_INFO_ID)),
        Feature::Text(info, "DeviceVendorName", "Vendor of the device",
                      text(GenTL::DEVICE_INFO_VENDOR)),
        Feature::Text(info, "DeviceModelName", "Model of the device",
                      text(GenTL::DEVICE_INFO_MODEL)),
        Feature::Text(info, "DeviceSerialNumber", "Serial number of the device",
                      text(GenTL::DEVICE_INFO_SERIAL_NUMBER)),
        Feature::Text(info, "DeviceUserID", "User-defined name of the device",
                      text(GenTL::DEVICE_INFO_USER_DEFINED_NAME)),
        Feature::Text(info, "DeviceDisplayName", "Name of the device for users",
                      text(GenTL::DEVICE_INFO_DISPLAYNAME)),
        Feature::Choice(info, "DeviceType", "Transport layer type of the device", TLTypeEntries(),
                        [text = text(GenTL::DEVICE_INFO_TLTYPE)] { return TLTypeEntry(text()); }),
        Feature::Choice(info, "DeviceAccessStatus", "How the device is open", AccessStatusEntries(),
                        number(GenTL::DEVICE_INFO_ACCESS_STATUS)),
        Feature::Number(info, "DeviceTimestampFrequency", "Ticks per second of the timestamps",
                        number(GenTL::DEVICE_INFO_TIMESTAMP_FREQUENCY)),
        Feature::Selector(
            list, "StreamSelector", "Index of the stream the feature below describes", {"StreamID"},
            [this] { return selectedStream_.load(); },
            [this](int64_t index) { selectedStream_ = index; },
            [this] { return static_cast<int64_t>(GetNumDataStreams()); }),
        Feature::Text(list, "StreamID", "ID of the selected stream",
                      [this] {
                          const auto index = static_cast<uint32_t>(selectedStream_.load());
                          if (index >= GetNumDataStreams()) return std::string();
                          try {
                              return GetDataStreamID(index);
                          } catch (const GenericException&) {
                              // A stream the device counts but cannot be opened by ID.
                              return std::string();
                          }
                      }),
    };
    return NodeMap(
        {"TLDevRegs.xml", "DevicePort", "TLDevice", "5c8f3a26-1e7d-4b94-b2a5-8f0c6e3d9a15",
         "9d3e7b58-4a1c-4e26-8f73-2c5a0b9e6d16", kDescriptionAddress, kRegisterBase},
        std::move(features));
}

void CDevice::Read(uint64_t address, void* buffer, size_t* size) {
    nodeMap_.Read(address, buffer, size);
}

void CDevice::Write(uint64_t address, const void* buffer, size_t* size) {
    nodeMap_.Write(address, buffer, size);
}

void CDevice::GetURL(char* url, size_t* size) {
    // The module URL travels with a spare zero byte after its terminator.
    std::string padded = nodeMap_.Url();
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
