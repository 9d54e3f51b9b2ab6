#include "tools/CameraEventListener.h"

#include <cstdio>

#include "tools/GenTLError.h"
#include "tools/GenTLInfo.h"

namespace Kavrin::Tools {

using namespace GenTL;

namespace {

// How long one wait for an event lasts before the listener looks whether it is to stop.
constexpr uint64_t kWaitMs = 200;

}  // namespace

std::string EventLine(const CameraEvent& event) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(event.id));
    std::string line = "event " + (event.name.empty() ? std::string(id)
                                                      : event.name + " (" + std::string(id) + ")");
    for (size_t i = 0; i < event.data.size(); ++i)
        line += (i == 0 ? ": " : ", ") + event.data[i].first + "=" + event.data[i].second;
    return line;
}

CameraEventListener::CameraEventListener(GenTLProducer& gentl, PORT_HANDLE port,
                                         const std::string& xml,
                                         const std::vector<std::string>& featureNames,
                                         std::map<uint64_t, std::string> names,
                                         std::function<void(const CameraEvent&)> onEvent)
    : gentl_(gentl),
      port_(port),
      features_(xml, featureNames),
      names_(std::move(names)),
      onEvent_(std::move(onEvent)) {
    CheckGenTL(gentl_, gentl_.GCRegisterEvent(port_, EVENT_REMOTE_DEVICE, &event_),
               "GCRegisterEvent(EVENT_REMOTE_DEVICE)");
    thread_ = std::thread([this] { Listen(); });
}

CameraEventListener::~CameraEventListener() {
    stopping_ = true;
    gentl_.EventKill(event_);
    thread_.join();
    gentl_.GCUnregisterEvent(port_, EVENT_REMOTE_DEVICE);
}

void CameraEventListener::Listen() {
    while (!stopping_) {
        uint8_t entry[1024] = {};
        size_t size = sizeof entry;
        const GC_ERROR result = gentl_.EventGetData(event_, entry, &size, kWaitMs);
        if (result == GC_ERR_TIMEOUT) continue;
        // Killed to stop, or the camera is gone: either way nothing more comes.
        if (result != GC_ERR_SUCCESS) return;
        ++count_;
        onEvent_(Decode(entry, size));
    }
}

CameraEvent CameraEventListener::Decode(const uint8_t* entry, size_t size) {
    CameraEvent event;
    event.id = InfoNumber(gentl_, "EventGetDataInfo",
                          [&](INFO_DATATYPE* type, void* value, size_t* valueSize) {
                              return gentl_.EventGetDataInfo(event_, entry, size, EVENT_DATA_ID,
                                                             type, value, valueSize);
                          });
    if (const auto name = names_.find(event.id); name != names_.end()) event.name = name->second;
    uint8_t data[1024] = {};
    size_t dataSize = sizeof data;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    if (gentl_.EventGetDataInfo(event_, entry, size, EVENT_DATA_VALUE, &type, data, &dataSize) !=
        GC_ERR_SUCCESS)
        dataSize = 0;
    for (const auto& feature : features_.EventFeatures(event.id))
        event.data.emplace_back(feature, features_.Read(feature, data, dataSize));
    return event;
}

}  // namespace Kavrin::Tools
