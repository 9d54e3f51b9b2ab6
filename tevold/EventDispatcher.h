#pragma once

#include "camlib/CamLib.h"
#include "tevold/EventSink.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace Tevold {

// Delivers a connected camera's device events to the callback on a thread of its own, so the
// camera never calls into the application with its lock held. Owns that thread from construction
// to Stop() (or destruction).
class EventDispatcher final : public EventSink {
public:
    EventDispatcher();
    ~EventDispatcher();
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    void Post(const DeviceEvent& event) override;
    // Once this returns, the previous callback is not running and is never called again. Called
    // from within the callback, it takes effect for the next event.
    void SetCallback(DeviceEventCallback callback, void* context);
    // Ends delivery and joins the thread; pending events are dropped.
    void Stop();
    bool IsDeliveryThread() const { return std::this_thread::get_id() == deliveryThreadId_; }

private:
    void Run();
    void Deliver(const DeviceEvent& event);

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<DeviceEvent> queue_;
    bool stopping_ = false;

    std::mutex callbackMutex_;  // held while the callback runs
    DeviceEventCallback callback_ = nullptr;
    void* context_ = nullptr;

    std::thread thread_;
    std::thread::id deliveryThreadId_;
};

}  // namespace Tevold
