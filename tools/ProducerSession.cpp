#include "tools/ProducerSession.h"

#include <functional>

#include "tools/GenTLError.h"
#include "tools/GenTLInfo.h"

namespace Kavrin::Tools {

using namespace GenTL;

namespace {

// Discovery waits this long for interfaces and devices to answer.
constexpr uint64_t kDiscoveryTimeoutMs = 1000;

// The IDs of a list of count entries, asked for by index.
std::vector<std::string> ListedIds(GenTLProducer& gentl, uint32_t count, const char* call,
                                   const std::function<GC_ERROR(uint32_t, char*, size_t*)>& idAt) {
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < count; ++i) {
        char id[1024] = {};
        size_t size = sizeof id;
        CheckGenTL(gentl, idAt(i, id, &size), call);
        id[sizeof id - 1] = '\0';
        ids.emplace_back(id);
    }
    return ids;
}

}  // namespace

// kavrin-grab loads producers once and exits after closing them, so it leaves them loaded.
ProducerSession::ProducerSession(const std::string& path)
    : path_(path), gentl_(path, GenTLProducer::Unload::Never) {
    try {
        CheckGenTL(gentl_, gentl_.GCInitLib(), "GCInitLib");
        initialised_ = true;
        CheckGenTL(gentl_, gentl_.TLOpen(&system_), "TLOpen");
        Discover();
    } catch (...) {
        Close();
        throw;
    }
}

ProducerSession::~ProducerSession() { Close(); }

std::string ProducerSession::LibraryText(TL_INFO_CMD command) {
    return InfoText([&](INFO_DATATYPE* type, char* text, size_t* size) {
        return gentl_.GCGetInfo(command, type, text, size);
    });
}

void ProducerSession::Discover() {
    CheckGenTL(gentl_, gentl_.TLUpdateInterfaceList(system_, nullptr, kDiscoveryTimeoutMs),
               "TLUpdateInterfaceList");
    uint32_t interfaces = 0;
    CheckGenTL(gentl_, gentl_.TLGetNumInterfaces(system_, &interfaces), "TLGetNumInterfaces");
    const auto interfaceIds =
        ListedIds(gentl_, interfaces, "TLGetInterfaceID", [&](uint32_t i, char* id, size_t* size) {
            return gentl_.TLGetInterfaceID(system_, i, id, size);
        });
    for (const auto& id : interfaceIds) {
        InterfaceEntry entry;
        entry.id = id;
        const auto interfaceText = [&](INTERFACE_INFO_CMD command) {
            return InfoText([&](INFO_DATATYPE* type, char* text, size_t* size) {
                return gentl_.TLGetInterfaceInfo(system_, id.c_str(), command, type, text, size);
            });
        };
        entry.displayName = interfaceText(INTERFACE_INFO_DISPLAYNAME);
        entry.tlType = interfaceText(INTERFACE_INFO_TLTYPE);
        CheckGenTL(gentl_, gentl_.TLOpenInterface(system_, id.c_str(), &entry.handle),
                   "TLOpenInterface");
        interfaces_.push_back(entry);
        // Consumers list devices on every interface they open before opening one of them.
        const IF_HANDLE iface = entry.handle;
        CheckGenTL(gentl_, gentl_.IFUpdateDeviceList(iface, nullptr, kDiscoveryTimeoutMs),
                   "IFUpdateDeviceList");
        uint32_t devices = 0;
        CheckGenTL(gentl_, gentl_.IFGetNumDevices(iface, &devices), "IFGetNumDevices");
        const auto deviceIds = ListedIds(gentl_, devices, "IFGetDeviceID",
                                         [&](uint32_t i, char* deviceId, size_t* size) {
                                             return gentl_.IFGetDeviceID(iface, i, deviceId, size);
                                         });
        for (const auto& deviceId : deviceIds)
            interfaces_.back().devices.push_back(DescribeDevice(iface, deviceId));
    }
}

DeviceEntry ProducerSession::DescribeDevice(IF_HANDLE iface, const std::string& id) {
    const auto deviceText = [&](DEVICE_INFO_CMD command) {
        return InfoText([&](INFO_DATATYPE* type, char* text, size_t* size) {
            return gentl_.IFGetDeviceInfo(iface, id.c_str(), command, type, text, size);
        });
    };
    DeviceEntry entry;
    entry.id = id;
    entry.vendor = deviceText(DEVICE_INFO_VENDOR);
    entry.model = deviceText(DEVICE_INFO_MODEL);
    entry.serialNumber = deviceText(DEVICE_INFO_SERIAL_NUMBER);
    entry.userName = deviceText(DEVICE_INFO_USER_DEFINED_NAME);
    entry.tlType = deviceText(DEVICE_INFO_TLTYPE);
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    int32_t status = DEVICE_ACCESS_STATUS_UNKNOWN;
    size_t size = sizeof status;
    if (gentl_.IFGetDeviceInfo(iface, id.c_str(), DEVICE_INFO_ACCESS_STATUS, &type, &status,
                               &size) == GC_ERR_SUCCESS &&
        size == sizeof status) {
        entry.accessStatus = status;
    }
    return entry;
}

// Best effort: a producer that fails a close here has nothing left for us to do about it.
void ProducerSession::Close() {
    for (auto& iface : interfaces_) gentl_.IFClose(iface.handle);
    interfaces_.clear();
    if (system_ != nullptr) gentl_.TLClose(system_);
    system_ = nullptr;
    if (initialised_) gentl_.GCCloseLib();
    initialised_ = false;
}

std::string AccessStatusName(int32_t status) {
    switch (status) {
        case DEVICE_ACCESS_STATUS_READWRITE:
            return "ReadWrite";
        case DEVICE_ACCESS_STATUS_READONLY:
            return "ReadOnly";
        case DEVICE_ACCESS_STATUS_NOACCESS:
            return "NoAccess";
        case DEVICE_ACCESS_STATUS_BUSY:
            return "Busy";
        case DEVICE_ACCESS_STATUS_OPEN_READWRITE:
            return "OpenReadWrite";
        case DEVICE_ACCESS_STATUS_OPEN_READONLY:
            return "OpenReadOnly";
        case DEVICE_ACCESS_STATUS_UNKNOWN:
            return "Unknown";
        default:
            return std::to_string(status);
    }
}

}  // namespace Kavrin::Tools
