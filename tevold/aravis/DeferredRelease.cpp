#include "tevold/aravis/DeferredRelease.h"

namespace Tevold::Aravis {

DeferredRelease::DeferredRelease() : thread_(&DeferredRelease::Run, this) {}

DeferredRelease::~DeferredRelease() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DeferredRelease::Hand(std::function<void()> release) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(release));
    }
    changed_.notify_all();
}

void DeferredRelease::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (pending_.empty()) {
            return;
        }
        const std::function<void()> release = std::move(pending_.front());
        pending_.pop_front();
        lock.unlock();
        release();
        lock.lock();
    }
}

}  // namespace Tevold::Aravis
