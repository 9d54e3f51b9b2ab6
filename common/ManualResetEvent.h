// A signal that stays set until it is reset and wakes every waiter while set.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace GenICam::Client {

class ManualResetEvent {
public:
    // Timeouts in ms; this value waits without limit.
    static constexpr uint32_t kInfinite = 0xFFFFFFFF;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the signal was set within the timeout; 0 only looks.
    bool Wait(uint32_t timeoutMs) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace GenICam::Client
