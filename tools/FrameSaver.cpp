#include "tools/FrameSaver.h"

#include <utility>

namespace Kavrin::Tools {

FrameSaver::FrameSaver(const FrameWriter& writer, size_t capacity)
    : writer_(writer), capacity_(capacity == 0 ? 1 : capacity), thread_([this] { Write(); }) {}

FrameSaver::~FrameSaver() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FrameSaver::Save(const Frame& frame, uint64_t index) {
    Pending item;
    item.frame = frame;
    item.bytes.assign(frame.data, frame.data + frame.size);
    item.frame.data = item.bytes.data();
    item.index = index;
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_.size() < capacity_ || failure_; });
    ThrowFailure();
    pending_.push_back(std::move(item));
    changed_.notify_all();
}

void FrameSaver::Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (pending_.empty() && !writing_) || failure_; });
    ThrowFailure();
}

void FrameSaver::ThrowFailure() {
    if (failure_) std::rethrow_exception(failure_);
}

void FrameSaver::Write() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !pending_.empty() || closing_; });
        // A failed writer drops the rest: the grab is ending with its failure.
        if (pending_.empty() || failure_) {
            pending_.clear();
            if (closing_) return;
            continue;
        }
        Pending item = std::move(pending_.front());
        pending_.pop_front();
        writing_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            writer_.Write(item.frame, item.index);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        writing_ = false;
        if (failure && !failure_) failure_ = failure;
        changed_.notify_all();
    }
}

}  // namespace Kavrin::Tools
