#include "common/PendingCloses.h"

namespace GenICam::Client {

void PendingCloses::Begin() {
    std::lock_guard lock(mutex_);
    ++pending_;
}

void PendingCloses::End() {
    // Notified under the lock: the waiter may destroy this object as soon as it sees zero.
    std::lock_guard lock(mutex_);
    --pending_;
    ended_.notify_all();
}

void PendingCloses::WaitForAll() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return pending_ == 0; });
}

}  // namespace GenICam::Client
