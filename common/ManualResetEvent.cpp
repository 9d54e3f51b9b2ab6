#include "common/ManualResetEvent.h"

#include <chrono>

namespace GenICam::Client {

void ManualResetEvent::Set() {
    // Notified under the lock, so a woken waiter that destroys the event cannot race the notify.
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool ManualResetEvent::Wait(uint32_t timeoutMs) const {
    std::unique_lock lock(mutex_);
    if (timeoutMs == kInfinite) {
        changed_.wait(lock, [this] { return set_; });
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; });
}

}  // namespace GenICam::Client
