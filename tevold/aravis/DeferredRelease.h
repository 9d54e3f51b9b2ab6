#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Tevold::Aravis {

// Runs releases on a thread of its own, in the order they were handed over. A lost camera's
// Aravis objects go this way: as their last references drop, Aravis spends seconds asking a
// camera that will never answer to stop streaming and to give up control, and closing a lost
// camera should not wait for that. The destructor runs what is left and joins the thread.
class DeferredRelease final {
public:
    DeferredRelease();
    ~DeferredRelease();
    DeferredRelease(const DeferredRelease&) = delete;
    DeferredRelease& operator=(const DeferredRelease&) = delete;

    void Hand(std::function<void()> release);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> pending_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace Tevold::Aravis
