#include "interface/Interface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "KavrinTL.h"
#include "common/DiscoveryMerge.h"
#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "device/Device.h"
#include "interface/RegisterResult.h"
#include "system/TL.h"

namespace GenICam::Client {

namespace {
constexpr size_t kNameCapacity = 2048;
constexpr size_t kItemCapacity = 512;
constexpr uint64_t kDiscoveryOnOpenTimeoutMs = 1000;
// The node map lies far above the camera library's interface registers.
constexpr uint32_t kDescriptionAddress = 0x100000;
constexpr uint64_t kRegisterBase = 0x110000;

// The version of the transport standard an interface or camera of that type follows.
std::pair<int64_t, int64_t> TransportVersion(const std::string& tlType) {
    if (tlType == "GEV") return {2, 0};
    return {1, 0};
}

std::string QueryText(Tevold::CamDevice& device, int32_t item) {
    return ReadLibraryText(kItemCapacity,
                           [&](char* text, size_t* size) { device.QueryInfo(item, text, size); });
}

uint32_t QueryAccessStatus(Tevold::CamDevice& device) {
    uint32_t status = 0;
    size_t size = sizeof status;
    device.QueryInfo(Tevold::kItemAccessStatus, &status, &size);
    return status;
}
}  // namespace

CInterface::CInterface(std::shared_ptr<const CInterfaceInfo> record, CTL& system,
                       Tevold::CamInterface* camera)
    : record_(std::move(record)),
      system_(system),
      link_(std::make_shared<InterfaceLink>()),
      camera_(camera),
      deviceUpdateTimeoutMs_(kDiscoveryOnOpenTimeoutMs),
      nodeMap_(MakeNodeMap()) {
    link_->iface = this;
}

CInterface::~CInterface() {
    RetireHandle();
    {
        // Devices still open are forgotten, not closed.
        std::lock_guard linkLock(link_->mutex);
        link_->iface = nullptr;
    }
    camera_->CloseInterface();
}

void CInterface::Close() { system_.CloseInterface(this); }

std::shared_ptr<const CDeviceInfo> CInterface::DescribeDevice(const std::string& name) {
    Tevold::CamDevice* device = nullptr;
    camera_->FindDevice(name.c_str(), &device);
    if (device == nullptr) return nullptr;
    auto info = std::make_shared<CDeviceInfo>();
    info->id = name;
    info->vendor = QueryText(*device, Tevold::kItemVendor);
    info->model = QueryText(*device, Tevold::kItemModel);
    info->serialNumber = QueryText(*device, Tevold::kItemSerialNumber);
    info->tlType = QueryText(*device, Tevold::kItemTLType);
    info->accessStatus = QueryAccessStatus(*device);
    info->interfaceName = QueryText(*device, Tevold::kItemInterfaceName);
    info->libraryId = QueryText(*device, Tevold::kItemLibraryId);
    info->backendName = QueryText(*device, Tevold::kItemBackendName);
    info->location = QueryText(*device, Tevold::kItemLocation);
    info->userDefinedName = QueryText(*device, Tevold::kItemUserName);
    info->version = QueryText(*device, Tevold::kItemVersion);
    device->CloseDevice();
    return info;
}

CInterface::DeviceList CInterface::DiscoverDevices(uint32_t timeoutMs) {
    uint32_t count = 0;
    camera_->CountDevices(&count, timeoutMs);
    DeviceList found;
    for (uint32_t index = 0; index < count; ++index) {
        const std::string name = ReadLibraryText(kNameCapacity, [&](char* text, size_t* size) {
            camera_->GetDeviceName(index, text, size);
        });
        // A camera that vanished between counting and asking is simply not listed.
        if (auto info = DescribeDevice(name)) found.push_back(std::move(info));
    }
    return found;
}

void CInterface::UpdateDeviceList(GenTL::bool8_t* changed, uint64_t timeoutMs) {
    std::lock_guard lock(mutex_);
    // Every library call comes first, so a failure leaves the list and the flag as they were.
    // The camera library takes 32 bits: longer timeouts become its longest, never a short one.
    const auto libraryTimeoutMs = static_cast<uint32_t>(std::min<uint64_t>(timeoutMs, UINT32_MAX));
    DeviceList fresh = DiscoverDevices(libraryTimeoutMs);
    // A device that stayed counts as a change only when its access status did.
    const bool listChanged = MergeDiscovery(devices_, std::move(fresh),
                                            [](const CDeviceInfo& old, const CDeviceInfo& now) {
                                                return old.accessStatus != now.accessStatus;
                                            });
    // Byte-wise ascending by ID; equal IDs keep their order.
    std::stable_sort(devices_.begin(), devices_.end(),
                     [](const auto& a, const auto& b) { return a->GetID() < b->GetID(); });
    if (changed != nullptr) *changed = listChanged;
}

uint32_t CInterface::GetNumDevices() const {
    std::lock_guard lock(mutex_);
    return static_cast<uint32_t>(devices_.size());
}

std::string CInterface::GetDeviceID(uint32_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= devices_.size())
        GENICAM_THROW(InvalidParameterException, " Invalid Device Index %d",
                      static_cast<int32_t>(index));
    return devices_[index]->GetID();
}

const CDeviceInfo* CInterface::FindListed(const std::string& request) const {
    const auto found = std::find_if(devices_.begin(), devices_.end(),
                                    [&](const auto& info) { return info->Matches(request); });
    return found == devices_.end() ? nullptr : found->get();
}

bool CInterface::IsOpen(const std::string& request) const {
    return std::any_of(openDevices_.begin(), openDevices_.end(), [&](const CDevice* device) {
        return device->GetDeviceInfo()->Matches(request);
    });
}

GenTL::DEV_HANDLE CInterface::OpenDevice(const std::string& request,
                                         GenTL::DEVICE_ACCESS_FLAGS accessFlags) {
    std::lock_guard lock(mutex_);
    if (IsOpen(request)) GENICAM_THROW(ResourceInUseException, "Device already open");
    const CDeviceInfo* listed = FindListed(request);
    if (listed == nullptr) {
        // Consumers open by an ID they listed through another handle, on an interface that has
        // not looked for its devices yet.
        UpdateDeviceList(nullptr, kDiscoveryOnOpenTimeoutMs);
        listed = FindListed(request);
    }
    if (listed == nullptr) GENICAM_THROW(InvalidParameterException, "Device not available");
    const std::string name = listed->GetID();
    auto info = std::make_shared<const CDeviceInfo>(listed->CopyForOpenDevice());
    Tevold::CamDevice* camera = nullptr;
    switch (camera_->ConnectDevice(name.c_str(), &camera)) {
        case GenTL::GC_ERR_ACCESS_DENIED:
            GENICAM_THROW(RuntimeException, "already opened device.(%s).", name.c_str());
        case GenTL::GC_ERR_NOT_INITIALIZED:
            GENICAM_THROW(RuntimeException, "XML schema error.(%s)", name.c_str());
        case GenTL::GC_ERR_ERROR:
            GENICAM_THROW(RuntimeException, "Unable to open device %s", name.c_str());
        default:
            break;
    }
    if (camera == nullptr)
        GENICAM_THROW(RuntimeException, "Unable to open device %s", name.c_str());
    openDevices_.reserve(openDevices_.size() + 1);
    std::unique_ptr<CDevice> device;
    try {
        device =
            std::make_unique<CDevice>(system_, link_, name, std::move(info), camera, accessFlags);
    } catch (...) {
        camera->CloseDevice();
        throw;
    }
    GenTL::DEV_HANDLE handle = device->Handle();
    openDevices_.push_back(&system_.AdoptDevice(std::move(device)));
    return handle;
}

void CInterface::RemoveDevice(const CDevice* device) {
    std::lock_guard lock(mutex_);
    const auto found = std::find(openDevices_.begin(), openDevices_.end(), device);
    if (found != openDevices_.end()) openDevices_.erase(found);
}

void CInterface::GetDeviceInfo(const std::string& request, GenTL::DEVICE_INFO_CMD command,
                               GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) const {
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, " Invalid parameter iSize");
    std::lock_guard lock(mutex_);
    // An open device answers from its own copy; the last one opened under the name wins.
    const CDeviceInfo* info = nullptr;
    for (const CDevice* device : openDevices_)
        if (device->GetDeviceInfo()->Matches(request)) info = device->GetDeviceInfo().get();
    if (info == nullptr) info = FindListed(request);
    if (info == nullptr)
        GENICAM_THROW(RuntimeException, "Unable to find device %s", request.c_str());

    if (CDeviceInfo::IsCommonCommand(command))
        return info->GetCommonInfo(command, type, buffer, size);
    switch (command) {
        case GenTL::DEVICE_INFO_ACCESS_STATUS: {
            const CDeviceInfo* listed = FindListed(request);
            if (listed == nullptr || listed->accessStatus == 0)
                GENICAM_THROW(RuntimeException, "Error retrieving device status ( wrong name ) ");
            const uint32_t status = IsOpen(request) ? uint32_t{GenTL::DEVICE_ACCESS_STATUS_NOACCESS}
                                                    : listed->accessStatus;
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_INT32, status);
        }
        case KAVRIN_DEVICE_INFO_LIBRARY_ID:
            return CopyInfoString(buffer, size, type, info->libraryId);
        case KAVRIN_DEVICE_INFO_SERIAL_NUMBER:
            return CopyInfoString(buffer, size, type, info->serialNumber);
        case KAVRIN_DEVICE_INFO_INTERFACE_NAME:
            return CopyInfoString(buffer, size, type, info->interfaceName);
        case KAVRIN_DEVICE_INFO_LOCATION:
            return CopyInfoString(buffer, size, type, info->location);
        case KAVRIN_DEVICE_INFO_BACKEND:
            return CopyInfoString(buffer, size, type, info->backendName);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid Device info Id %d", command);
    }
}

std::optional<std::string> CInterface::SelectedDevice() const {
    std::lock_guard lock(mutex_);
    const auto index = static_cast<size_t>(selectedDevice_.load());
    if (index >= devices_.size()) return std::nullopt;
    return devices_[index]->GetID();
}

// The same answer IFGetDeviceInfo gives for the selected device; nothing when none is selected.
std::string CInterface::SelectedDeviceText(GenTL::DEVICE_INFO_CMD command) const {
    const auto id = SelectedDevice();
    if (!id) return std::string();
    return InfoText([&](GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
        GetDeviceInfo(*id, command, type, buffer, size);
    });
}

NodeMap CInterface::MakeNodeMap() {
    using Feature = NodeMapFeature;
    const std::string info = "InterfaceInformation";
    const std::string list = "DeviceEnumeration";
    const auto text = [this](GenTL::DEVICE_INFO_CMD command) {
        return [this, command] { return SelectedDeviceText(command); };
    };
    const auto selectedVersion = [this](bool major) {
        return [this, major] {
            const auto version = TransportVersion(SelectedDeviceText(GenTL::DEVICE_INFO_TLTYPE));
            return major ? version.first : version.second;
        };
    };
    const auto version = TransportVersion(record_->GetTLType());
    Feature timeout =
        Feature::Number(list, "DeviceUpdateTimeout", "How long DeviceUpdateList looks, in ms",
                        [this] { return deviceUpdateTimeoutMs_.load(); })
            .Writable([this](int64_t timeoutMs) { deviceUpdateTimeoutMs_ = timeoutMs; });
    timeout.maximum = UINT32_MAX;
    std::vector<Feature> features{
        Feature::Text(info, "InterfaceID", "ID of the interface",
                      [this] { return record_->GetID(); }),
        Feature::Text(info, "InterfaceDisplayName", "Name of the interface for users",
                      [this] { return record_->GetDescription(); }),
        Feature::Choice(info, "InterfaceType", "Transport layer type of the interface",
                        TLTypeEntries(), [this] { return TLTypeEntry(record_->GetTLType()); }),
        Feature::Number(info, "InterfaceTLVersionMajor",
                        "Major version of the interface's transport standard",
                        [major = version.first] { return major; }),
        Feature::Number(info, "InterfaceTLVersionMinor",
                        "Minor version of the interface's transport standard",
                        [minor = version.second] { return minor; }),
        Feature::Action(list, "DeviceUpdateList", "Looks for devices again",
                        [this] {
                            UpdateDeviceList(nullptr,
                                             static_cast<uint64_t>(deviceUpdateTimeoutMs_.load()));
                        }),
        timeout,
        Feature::Selector(
            list, "DeviceSelector", "Index of the device the features below describe",
            {"DeviceID", "DeviceVendorName", "DeviceModelName", "DeviceSerialNumber",
             "DeviceUserID", "DeviceAccessStatus", "DeviceTLVersionMajor", "DeviceTLVersionMinor"},
            [this] { return selectedDevice_.load(); },
            [this](int64_t index) { selectedDevice_ = index; },
            [this] { return static_cast<int64_t>(GetNumDevices()); }),
        Feature::Text(list, "DeviceID", "ID of the selected device", text(GenTL::DEVICE_INFO_ID)),
        Feature::Text(list, "DeviceVendorName", "Vendor of the selected device",
                      text(GenTL::DEVICE_INFO_VENDOR)),
        Feature::Text(list, "DeviceModelName", "Model of the selected device",
                      text(GenTL::DEVICE_INFO_MODEL)),
        Feature::Text(list, "DeviceSerialNumber", "Serial number of the selected device",
                      text(GenTL::DEVICE_INFO_SERIAL_NUMBER)),
        Feature::Text(list, "DeviceUserID", "User-defined name of the selected device",
                      text(GenTL::DEVICE_INFO_USER_DEFINED_NAME)),
        Feature::Choice(
            list, "DeviceAccessStatus", "How the selected device can be opened",
            AccessStatusEntries(),
            [this]() -> int64_t {
                const auto id = SelectedDevice();
                if (!id) return GenTL::DEVICE_ACCESS_STATUS_UNKNOWN;
                try {
                    return InfoNumber([&](GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
                        GetDeviceInfo(*id, GenTL::DEVICE_INFO_ACCESS_STATUS, type, buffer, size);
                    });
                } catch (const GenericException&) {
                    // A camera that reported no status.
                    return GenTL::DEVICE_ACCESS_STATUS_UNKNOWN;
                }
            }),
        Feature::Number(list, "DeviceTLVersionMajor",
                        "Major version of the selected device's transport standard",
                        selectedVersion(true)),
        Feature::Number(list, "DeviceTLVersionMinor",
                        "Minor version of the selected device's transport standard",
                        selectedVersion(false)),
    };
    return NodeMap({"TLInterfaceRegs.xml", "InterfacePort", "TLInterface",
                    "7a2d9e41-3c5b-4f80-8e16-9b4c2a7d5e13", "e1b64c37-9f2a-4d58-a3c0-5e7b8d2f6a14",
                    kDescriptionAddress, kRegisterBase},
                   std::move(features));
}

void CInterface::Read(uint64_t address, void* buffer, size_t* size) {
    if (nodeMap_.Contains(address)) return nodeMap_.Read(address, buffer, size);
    CheckRegisterResult(camera_->ReadRegister(address, buffer, size), address,
                        RegisterAccess::Read);
}

void CInterface::Write(uint64_t address, const void* buffer, size_t* size) {
    if (nodeMap_.Contains(address)) return nodeMap_.Write(address, buffer, size);
    CheckRegisterResult(camera_->WriteRegister(address, buffer, size), address,
                        RegisterAccess::Write);
}

void CInterface::GetURL(char* url, size_t* size) {
    if (url == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid buffer");
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Buffer too small");
    const std::string text = nodeMap_.Url();
    if (*size < text.size() + 1) {
        *size = text.size() + 1;
        GENICAM_THROW(InvalidParameterException, "Buffer too small");
    }
    std::memcpy(url, text.c_str(), text.size() + 1);
    *size = text.size() + 1;
}

void CInterface::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                             size_t* size) {
    const PortIdentity identity{record_->GetID(), VendorName(),
                                ModelName(),      record_->GetTLType(),
                                "TLInterface",    FormatVersion(GetModuleVersion()),
                                "InterfacePort"};
    identity.Answer(command, type, buffer, size);
}

}  // namespace GenICam::Client
