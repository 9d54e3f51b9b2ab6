// Turns Ctrl-C (SIGINT) and SIGTERM into an orderly stop. The signals are blocked and read by a
// thread of this object, which raises a flag and runs the action set for the moment, so the
// action may call anything (a signal handler could not). Construct it before any other thread
// starts, so that every thread inherits the blocked signals.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include <signal.h>

namespace Kavrin::Tools {

class InterruptWatcher {
public:
    InterruptWatcher();
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    bool Interrupted() const { return interrupted_; }
    // Runs on the watcher's thread at an interrupt, until replaced; an empty action clears it.
    // Once SetAction returns, an earlier action no longer runs.
    void SetAction(std::function<void()> action);

private:
    void Watch();

    sigset_t signals_{};
    sigset_t previousMask_{};
    int signalFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> interrupted_{false};
    std::mutex actionMutex_;
    std::function<void()> action_;
    std::thread thread_;
};

}  // namespace Kavrin::Tools
