// Counts the threads waiting inside an event object, so that its owner can release them
// before the object goes away instead of pulling it from under them.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace GenICam::Client {

class WaiterCount {
public:
    class Scope {
    public:
        explicit Scope(std::atomic<int>& count) : count_(count) { ++count_; }
        ~Scope() { --count_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::atomic<int>& count_;
    };

    Scope Enter() { return Scope(count_); }

    // Calls release until no thread waits any more.
    template <class Release>
    void ReleaseAll(Release&& release) {
        while (count_.load() > 0) {
            release();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    std::atomic<int> count_{0};
};

}  // namespace GenICam::Client
