// When a wait ends. GenTL timeouts are 64-bit milliseconds that are never cut to 32 bits;
// GENTL_INFINITE waits without limit, and so does any timeout longer than a century, which the
// clock could not add to the present time without overflowing.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace GenICam::Client {

class WaitDeadline {
public:
    using Clock = std::chrono::steady_clock;

    // The deadline of a wait of timeoutMs that starts now; 0 only looks.
    explicit WaitDeadline(uint64_t timeoutMs);

    bool IsUnlimited() const { return !when_; }

    // Waits until ready() holds or the deadline passes; what ready() says at the end.
    template <class ConditionVariable, class Lock, class Ready>
    bool Wait(ConditionVariable& changed, Lock& lock, Ready&& ready) const {
        if (!when_) {
            changed.wait(lock, ready);
            return true;
        }
        // A wait whose deadline has passed only looks: the kernel would still put the thread to
        // sleep and wake it at once, a context switch for every poll with a timeout of 0.
        if (Clock::now() >= *when_) return ready();
        return changed.wait_until(lock, *when_, ready);
    }

private:
    std::optional<Clock::time_point> when_;
};

}  // namespace GenICam::Client
