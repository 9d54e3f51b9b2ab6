// Remembers EventKill calls until a GetData consumes them: each kill ends exactly one wait,
// the one in progress or, with nobody waiting, the next, with GC_ERR_ABORT. Used under the
// owning event's lock. The abort is a result, not an exception: a consumer stopping its
// acquisition waits for it, so it should cost no more than the wake itself.
#pragma once

#include <cstdint>

namespace GenICam::Client {

class KillLatch {
public:
    void Kill() { ++pending_; }
    void Clear() { pending_ = 0; }
    bool IsPending() const { return pending_ > 0; }

    // True when it consumed a pending kill.
    bool Consume() {
        if (pending_ == 0) return false;
        --pending_;
        return true;
    }

private:
    uint32_t pending_ = 0;
};

}  // namespace GenICam::Client
