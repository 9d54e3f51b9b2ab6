#include "tevold/EventDispatcher.h"

namespace Tevold {

EventDispatcher::EventDispatcher()
    : thread_([this] { Run(); }), deliveryThreadId_(thread_.get_id()) {}

EventDispatcher::~EventDispatcher() { Stop(); }

void EventDispatcher::Post(const DeviceEvent& event) {
    {
        std::lock_guard lock(queueMutex_);
        if (stopping_) {
            return;
        }
        queue_.push_back(event);
    }
    queueChanged_.notify_one();
}

void EventDispatcher::SetCallback(DeviceEventCallback callback, void* context) {
    if (IsDeliveryThread()) {
        // The callback is calling: this thread already holds callbackMutex_.
        callback_ = callback;
        context_ = context;
        return;
    }
    std::lock_guard lock(callbackMutex_);
    callback_ = callback;
    context_ = context;
}

void EventDispatcher::Stop() {
    {
        std::lock_guard lock(queueMutex_);
        stopping_ = true;
        queue_.clear();
    }
    queueChanged_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void EventDispatcher::Run() {
    for (;;) {
        DeviceEvent event;
        {
            std::unique_lock lock(queueMutex_);
            queueChanged_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            event = queue_.front();
            queue_.pop_front();
        }
        Deliver(event);
    }
}

void EventDispatcher::Deliver(const DeviceEvent& event) {
    std::lock_guard lock(callbackMutex_);
    if (callback_ != nullptr) {
        callback_(event.id, 0, event.frameId, static_cast<uint32_t>(event.timestampNs),
                  static_cast<uint32_t>(event.timestampNs >> 32), context_);
    }
}

}  // namespace Tevold
