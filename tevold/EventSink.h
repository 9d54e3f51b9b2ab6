#pragma once

#include <cstdint>

namespace Tevold {

struct DeviceEvent {
    uint32_t id = 0;
    uint64_t timestampNs = 0;
    uint64_t frameId = 0;  // the camera's last frame when the event happened
};

// Where a camera sends its device events while someone is connected to it.
class EventSink {
public:
    // Called with the camera's lock held: must only queue the event.
    virtual void Post(const DeviceEvent& event) = 0;

protected:
    ~EventSink() = default;
};

}  // namespace Tevold
