#include "common/WaitDeadline.h"

namespace GenICam::Client {

namespace {
constexpr uint64_t kLongestLimitedWaitMs = uint64_t{100} * 366 * 24 * 60 * 60 * 1000;
}  // namespace

WaitDeadline::WaitDeadline(uint64_t timeoutMs) {
    if (timeoutMs <= kLongestLimitedWaitMs)
        when_ = Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(timeoutMs));
}

}  // namespace GenICam::Client
