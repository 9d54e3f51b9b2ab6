// A signal that stays set until it is reset and wakes every waiter while set.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "common/WaitDeadline.h"

namespace GenICam::Client {

class ManualResetEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the signal was set before the deadline; a deadline already passed only looks.
    bool Wait(const WaitDeadline& deadline) const;
    bool Wait(uint64_t timeoutMs) const { return Wait(WaitDeadline(timeoutMs)); }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace GenICam::Client
