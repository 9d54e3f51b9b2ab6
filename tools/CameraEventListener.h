// Listens to a camera's events, the remote-device events of its port, on a thread of its own from
// construction until destruction, and hands each on with its data features read through the
// GenApi engine.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/AttachedDataFeatures.h"
#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

struct CameraEvent {
    uint64_t id = 0;
    std::string name;  // empty for an event the description does not name
    std::vector<std::pair<std::string, std::string>> data;  // feature, value
};

// "event ExposureEnd (0x9010): EventExposureEndTimestamp=1234, EventExposureEndFrameID=5"
std::string EventLine(const CameraEvent& event);

class CameraEventListener {
public:
    // names: each event's name by its ID. onEvent runs on the listener's thread. The port must
    // stay open while this object lives.
    CameraEventListener(GenTLProducer& gentl, GenTL::PORT_HANDLE port, const std::string& xml,
                        const std::vector<std::string>& featureNames,
                        std::map<uint64_t, std::string> names,
                        std::function<void(const CameraEvent&)> onEvent);
    ~CameraEventListener();
    CameraEventListener(const CameraEventListener&) = delete;
    CameraEventListener& operator=(const CameraEventListener&) = delete;

    uint64_t Count() const { return count_; }

private:
    void Listen();
    CameraEvent Decode(const uint8_t* entry, size_t size);

    GenTLProducer& gentl_;
    GenTL::PORT_HANDLE port_;
    GenTL::EVENT_HANDLE event_ = nullptr;
    AttachedDataFeatures features_;
    std::map<uint64_t, std::string> names_;
    std::function<void(const CameraEvent&)> onEvent_;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> count_{0};
    std::thread thread_;
};

}  // namespace Kavrin::Tools
