// Remembers EventKill calls until a GetData consumes them: each kill ends exactly one wait,
// the one in progress or, with nobody waiting, the next.
#pragma once

#include <atomic>
#include <cstdint>

namespace GenICam::Client {

class KillLatch {
public:
    void Kill() { pending_.fetch_add(1); }
    void Clear() { pending_.store(0); }
    // Raises AbortException "Wait terminated" when a kill is pending, consuming it.
    void ThrowIfKilled();

private:
    std::atomic<uint32_t> pending_{0};
};

}  // namespace GenICam::Client
