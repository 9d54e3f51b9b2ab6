#include "common/ManualResetEvent.h"

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

bool ManualResetEvent::Wait(const WaitDeadline& deadline) const {
    std::unique_lock lock(mutex_);
    return deadline.Wait(changed_, lock, [this] { return set_; });
}

}  // namespace GenICam::Client
