// Remembers EventKill calls until a GetData consumes them: each kill ends exactly one wait,
// the one in progress or, with nobody waiting, the next. Used under the owning event's lock.
#pragma once

#include <cstdint>

namespace GenICam::Client {

class KillLatch {
public:
    void Kill() { ++pending_; }
    void Clear() { pending_ = 0; }
    bool IsPending() const { return pending_ > 0; }

    // Consumes a pending kill by raising AbortException "Wait terminated". When it was the last
    // one, resetWhenLast runs first, so a signal set only for the kill wakes no later wait.
    template <class Reset>
    void ThrowIfKilled(Reset&& resetWhenLast) {
        if (pending_ == 0) return;
        if (--pending_ == 0) resetWhenLast();
        RaiseAbort();
    }

private:
    [[noreturn]] static void RaiseAbort();

    uint32_t pending_ = 0;
};

}  // namespace GenICam::Client
