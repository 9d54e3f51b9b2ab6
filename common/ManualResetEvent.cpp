#include "common/ManualResetEvent.h"

#include <utility>

namespace GenICam::Client {

void ManualResetEvent::Set() {
    {
        std::lock_guard lock(mutex_);
        // Already set: every waiter has been woken, and later ones do not wait.
        if (std::exchange(set_, true)) return;
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
