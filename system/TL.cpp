#include "system/TL.h"

#include <algorithm>

#include "common/DiscoveryMerge.h"
#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "device/Device.h"
#include "interface/Interface.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kDiscoveryTimeoutMs = 200;
constexpr size_t kNameCapacity = 2048;
constexpr size_t kRegisterTextCapacity = 512;
constexpr uint64_t kPrefixRegister = 0x10;
constexpr uint64_t kTLTypeRegister = 0xA0;
constexpr uint32_t kDescriptionAddress = 0x940;
constexpr uint64_t kRegisterBase = 0x10000;
// The GenTL feature naming this node map follows.
constexpr int64_t kSfncVersion[] = {1, 2, 0};

std::string ReadRegisterText(Tevold::CamInterface& iface, uint64_t address) {
    return ReadLibraryText(kRegisterTextCapacity, [&](char* text, size_t* size) {
        iface.ReadRegister(address, text, size);
    });
}
}  // namespace

CTL::CTL() : nodeMap_(MakeNodeMap()) {
    GetSystem(&camera_);
    if (camera_ == nullptr) GENICAM_THROW(RuntimeException, "Unable to open the camera system");
}

CTL::~CTL() {
    RetireHandle();
    {
        std::lock_guard lock(mutex_);
        interfaces_.clear();
    }
    auto interfaces = openInterfaces_.TakeAll();
    // No call may still be opening a device on an interface while the devices go.
    for (auto& iface : interfaces) iface->RetireHandle();
    // Children first: the devices with their streams, then the interfaces they were opened on,
    // then the camera system they all used.
    openDevices_.CloseAll();
    openInterfaces_.Destroy(std::move(interfaces));
    camera_->ReleaseSystem();
}

void CTL::DiscoverOnce() {
    if (!discovered_) UpdateInterfaceList(nullptr, kDiscoveryTimeoutMs);
}

uint32_t CTL::GetNumInterfaces() {
    std::lock_guard lock(mutex_);
    DiscoverOnce();
    return static_cast<uint32_t>(interfaces_.size());
}

std::string CTL::GetInterfaceID(uint32_t index) {
    std::lock_guard lock(mutex_);
    DiscoverOnce();
    if (index >= interfaces_.size())
        GENICAM_THROW(InvalidParameterException, "Interface Index not available");
    return interfaces_[index]->GetID();
}

std::shared_ptr<const CInterfaceInfo> CTL::DescribeInterface(const std::string& name) {
    Tevold::CamInterface* iface = nullptr;
    camera_->FindInterface(name.c_str(), &iface);
    if (iface == nullptr) return nullptr;
    const std::string prefix = ReadRegisterText(*iface, kPrefixRegister);
    const std::string tlType = ReadRegisterText(*iface, kTLTypeRegister);
    iface->CloseInterface();
    return std::make_shared<const CInterfaceInfo>(ToUpper(prefix), name, "Interface(" + name + ")",
                                                  tlType);
}

CTL::InterfaceList CTL::DiscoverInterfaces() {
    uint32_t count = 0;
    camera_->CountInterfaces(&count);
    InterfaceList found;
    for (uint32_t index = 0; index < count; ++index) {
        const std::string name = ReadLibraryText(kNameCapacity, [&](char* text, size_t* size) {
            camera_->GetInterfaceName(index, text, size);
        });
        // An interface that vanished between counting and asking is simply not listed.
        if (auto record = DescribeInterface(name)) found.push_back(std::move(record));
    }
    return found;
}

void CTL::UpdateInterfaceList(GenTL::bool8_t* changed, uint64_t) {
    std::lock_guard lock(mutex_);
    // Only appearing and vanishing interfaces count as a change.
    const bool listChanged =
        MergeDiscovery(interfaces_, DiscoverInterfaces(),
                       [](const CInterfaceInfo&, const CInterfaceInfo&) { return false; });
    if (changed != nullptr) *changed = listChanged;
    discovered_ = true;
}

void CTL::GetInfo(GenTL::TL_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                  size_t* size) {
    // TLGetInfo answers the library-wide commands (ID, vendor, model, version, path) itself;
    // these are the system module's own.
    switch (command) {
        case GenTL::TL_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, TLTypeName());
        case GenTL::TL_INFO_NAME: {
            const auto fileName = ModuleFileName();
            if (!fileName) GENICAM_THROW(RuntimeException, "Invalid Module Name");
            return CopyInfoString(buffer, size, type, *fileName);
        }
        case GenTL::TL_INFO_DISPLAYNAME:
            return CopyInfoString(buffer, size, type, SystemDisplayName());
        case GenTL::TL_INFO_GENTL_VER_MAJOR:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                                  kGenTLVersionMajor);
        case GenTL::TL_INFO_GENTL_VER_MINOR:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                                  kGenTLVersionMinor);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid TL info command %d", command);
    }
}

GenTL::IF_HANDLE CTL::OpenInterface(const std::string& interfaceId) {
    std::lock_guard lock(mutex_);
    GenTL::IF_HANDLE handle = nullptr;
    if (openInterfaces_.UseFirst(
            [&](CInterface& open) { return open.GetInfoRecord()->GetMAC() == interfaceId; },
            [&](CInterface& open) { handle = open.Handle(); }))
        return handle;
    const auto listed = [&] {
        return std::find_if(interfaces_.begin(), interfaces_.end(),
                            [&](const auto& info) { return info->Matches(interfaceId); });
    };
    auto record = listed();
    if (record == interfaces_.end()) {
        // An interface that appeared since the last discovery, or that another system handle
        // listed, is found by looking again.
        UpdateInterfaceList(nullptr, kDiscoveryTimeoutMs);
        record = listed();
    }
    if (record == interfaces_.end())
        GENICAM_THROW(InvalidIdException, "Invalid interface name %s", interfaceId.c_str());
    Tevold::CamInterface* camera = nullptr;
    camera_->ConnectInterface((*record)->GetMAC().c_str(), &camera);
    if (camera == nullptr)
        GENICAM_THROW(RuntimeException, "Unable to open interface %s", interfaceId.c_str());
    // The open interface keeps its own copy, so later discoveries never change it.
    auto iface = std::make_unique<CInterface>(std::make_shared<const CInterfaceInfo>(**record),
                                              *this, camera);
    handle = iface->Handle();
    openInterfaces_.Add(std::move(iface));
    return handle;
}

void CTL::GetInterfaceInfo(const std::string& interfaceId, GenTL::INTERFACE_INFO_CMD command,
                           GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<const CInterfaceInfo> openRecord;
    openInterfaces_.UseFirst(
        [&](CInterface& open) { return open.GetInfoRecord()->GetID() == interfaceId; },
        [&](CInterface& open) { openRecord = open.GetInfoRecord(); });
    if (openRecord) return openRecord->GetInfo(command, type, buffer, size);
    for (const auto& record : interfaces_)
        if (record->GetID() == interfaceId) return record->GetInfo(command, type, buffer, size);
    GENICAM_THROW(InvalidIdException, "Invalid Interface name");
}

void CTL::CloseInterface(CInterface* iface) { openInterfaces_.Close(iface); }

CDevice& CTL::AdoptDevice(std::unique_ptr<CDevice> device) {
    return openDevices_.Add(std::move(device));
}

// A device that is not listed any more is being destroyed by this system's own close.
void CTL::CloseDevice(CDevice* device) { openDevices_.Close(device); }

std::shared_ptr<const CInterfaceInfo> CTL::SelectedInterface() {
    std::lock_guard lock(mutex_);
    DiscoverOnce();
    const auto index = static_cast<size_t>(selectedInterface_.load());
    return index < interfaces_.size() ? interfaces_[index] : nullptr;
}

NodeMap CTL::MakeNodeMap() {
    using Feature = NodeMapFeature;
    const std::string info = "SystemInformation";
    const std::string list = "InterfaceEnumeration";
    const auto fileName = [] { return ModuleFileName().value_or(""); };
    const auto constant = [](int64_t value) { return [value] { return value; }; };
    std::vector<Feature> features{
        Feature::Text(info, "TLID", "Unique identifier of the producer", fileName),
        Feature::Text(info, "TLVendorName", "Vendor of the producer", VendorName),
        Feature::Text(info, "TLModelName", "Model of the producer", ModelName),
        Feature::Text(info, "TLVersion", "Version of the producer",
                      [] { return FormatVersion(GetModuleVersion()); }),
        Feature::Text(info, "TLFileName", "File name of the producer", fileName),
        Feature::Text(info, "TLDisplayName", "Name of the producer for users", SystemDisplayName),
        Feature::Text(info, "TLPath", "Full path of the producer's file", ModulePath).Sized(2048),
        Feature::Choice(info, "TLType", "Transport layer type of the producer", TLTypeEntries(),
                        [] { return TLTypeEntry(TLTypeName()); }),
        Feature::Number(info, "GenTLVersionMajor", "Major version of GenTL the producer implements",
                        constant(kGenTLVersionMajor)),
        Feature::Number(info, "GenTLVersionMinor", "Minor version of GenTL the producer implements",
                        constant(kGenTLVersionMinor)),
        Feature::Number(info, "GenTLSFNCVersionMajor", "Major version of the feature naming",
                        constant(kSfncVersion[0])),
        Feature::Number(info, "GenTLSFNCVersionMinor", "Minor version of the feature naming",
                        constant(kSfncVersion[1])),
        Feature::Number(info, "GenTLSFNCVersionSubMinor", "Sub-minor version of the feature naming",
                        constant(kSfncVersion[2])),
        Feature::Action(list, "InterfaceUpdateList", "Looks for interfaces again",
                        [this] { UpdateInterfaceList(nullptr, kDiscoveryTimeoutMs); }),
        Feature::Selector(
            list, "InterfaceSelector", "Index of the interface the features below describe",
            {"InterfaceID", "InterfaceDisplayName"}, [this] { return selectedInterface_.load(); },
            [this](int64_t index) { selectedInterface_ = index; },
            [this] { return static_cast<int64_t>(GetNumInterfaces()); }),
        Feature::Text(list, "InterfaceID", "ID of the selected interface",
                      [this] {
                          const auto record = SelectedInterface();
                          return record ? record->GetID() : std::string();
                      }),
        Feature::Text(list, "InterfaceDisplayName", "Name of the selected interface for users",
                      [this] {
                          const auto record = SelectedInterface();
                          return record ? record->GetDescription() : std::string();
                      }),
    };
    return NodeMap({"TLRegs.xml", "TLPort", "TLSystem", "3f1c7a52-8e4b-4d61-9a0f-2b6e5c7d8a11",
                    "c84e2f10-5a3d-4b7e-9c21-6d0f8e3a7b12", kDescriptionAddress, kRegisterBase},
                   std::move(features));
}

void CTL::Read(uint64_t address, void* buffer, size_t* size) {
    nodeMap_.Read(address, buffer, size);
}

void CTL::Write(uint64_t address, const void* buffer, size_t* size) {
    nodeMap_.Write(address, buffer, size);
}

void CTL::GetURL(char* url, size_t* size) { CopyModuleUrl(url, size, nodeMap_.Url(), 1); }

void CTL::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                      size_t* size) {
    const PortIdentity identity{"TL0",        VendorName(), ModelName(),
                                TLTypeName(), "TLSystem",   FormatVersion(GetModuleVersion()),
                                "TLPort"};
    identity.Answer(command, type, buffer, size);
}

}  // namespace GenICam::Client
