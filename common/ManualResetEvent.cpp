#include "common/ManualResetEvent.h"

namespace GenICam::Client {

void ManualResetEvent::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    // After the lock is left, so the woken waiters do not block on it at once. Safe because no
    // waiter destroys the event: its owner does, after every thread that sets it has left.
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
