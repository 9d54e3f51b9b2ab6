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

    // Consumes a pending kill by raising AbortException "Wait terminated".
    void ThrowIfKilled();

private:
    uint32_t pending_ = 0;
};

}  // namespace GenICam::Client
