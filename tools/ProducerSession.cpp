#include "tools/ProducerSession.h"

#include "tools/GenTLError.h"

using namespace GenTL;

namespace {

// Discovery waits this long for interfaces and devices to answer.
constexpr uint64_t kDiscoveryTimeoutMs = 1000;

// A text answer of one of the information calls; empty when the producer does not give it.
template <typename Query>
std::string InfoText(Query query)
{
    char text[1024] = {};
    size_t size = sizeof text;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    if (query(&type, text, &size) != GC_ERR_SUCCESS || type != INFO_DATATYPE_STRING) return "";
    text[sizeof text - 1] = '\0';
    return text;
}

}  // namespace

ProducerSession::ProducerSession(const std::string& path) : path_(path), gentl_(path)
{
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

std::string ProducerSession::LibraryText(TL_INFO_CMD command)
{
    return InfoText([&](INFO_DATATYPE* type, char* text, size_t* size) {
        return gentl_.GCGetInfo(command, type, text, size);
    });
}

void ProducerSession::Discover()
{
    CheckGenTL(gentl_, gentl_.TLUpdateInterfaceList(system_, nullptr, kDiscoveryTimeoutMs),
               "TLUpdateInterfaceList");
    uint32_t count = 0;
    CheckGenTL(gentl_, gentl_.TLGetNumInterfaces(system_, &count), "TLGetNumInterfaces");
    for (uint32_t i = 0; i < count; ++i) {
        char id[1024] = {};
        size_t size = sizeof id;
        CheckGenTL(gentl_, gentl_.TLGetInterfaceID(system_, i, id, &size), "TLGetInterfaceID");
        InterfaceEntry entry;
        entry.id = id;
        const auto interfaceText = [&](INTERFACE_INFO_CMD command) {
            return InfoText([&](INFO_DATATYPE* type, char* text, size_t* textSize) {
                return gentl_.TLGetInterfaceInfo(system_, id, command, type, text, textSize);
            });
        };
        entry.displayName = interfaceText(INTERFACE_INFO_DISPLAYNAME);
        entry.tlType = interfaceText(INTERFACE_INFO_TLTYPE);
        CheckGenTL(gentl_, gentl_.TLOpenInterface(system_, id, &entry.handle), "TLOpenInterface");
        interfaces_.push_back(entry);
        IF_HANDLE iface = entry.handle;
        CheckGenTL(gentl_, gentl_.IFUpdateDeviceList(iface, nullptr, kDiscoveryTimeoutMs),
                   "IFUpdateDeviceList");
        uint32_t devices = 0;
        CheckGenTL(gentl_, gentl_.IFGetNumDevices(iface, &devices), "IFGetNumDevices");
        for (uint32_t d = 0; d < devices; ++d) {
            char deviceId[1024] = {};
            size = sizeof deviceId;
            CheckGenTL(gentl_, gentl_.IFGetDeviceID(iface, d, deviceId, &size), "IFGetDeviceID");
            interfaces_.back().devices.push_back(DescribeDevice(iface, deviceId));
        }
    }
}

DeviceEntry ProducerSession::DescribeDevice(IF_HANDLE iface, const std::string& id)
{
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
    if (gentl_.IFGetDeviceInfo(iface, id.c_str(), DEVICE_INFO_ACCESS_STATUS, &type, &status, &size) ==
            GC_ERR_SUCCESS &&
        size == sizeof status) {
        entry.accessStatus = status;
    }
    return entry;
}

// Best effort: a producer that fails a close here has nothing left for us to do about it.
void ProducerSession::Close()
{
    for (auto& iface : interfaces_) gentl_.IFClose(iface.handle);
    interfaces_.clear();
    if (system_ != nullptr) gentl_.TLClose(system_);
    system_ = nullptr;
    if (initialised_) gentl_.GCCloseLib();
    initialised_ = false;
}

std::string AccessStatusName(int32_t status)
{
    switch (status) {
    case DEVICE_ACCESS_STATUS_READWRITE: return "ReadWrite";
    case DEVICE_ACCESS_STATUS_READONLY: return "ReadOnly";
    case DEVICE_ACCESS_STATUS_NOACCESS: return "NoAccess";
    case DEVICE_ACCESS_STATUS_BUSY: return "Busy";
    case DEVICE_ACCESS_STATUS_OPEN_READWRITE: return "OpenReadWrite";
    case DEVICE_ACCESS_STATUS_OPEN_READONLY: return "OpenReadOnly";
    case DEVICE_ACCESS_STATUS_UNKNOWN: return "Unknown";
    default: return std::to_string(status);
    }
}
