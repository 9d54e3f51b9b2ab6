#include "stream/BufferQueues.h"

#include <algorithm>
#include <utility>

#include "common/GenICamException.h"

namespace GenICam::Client {

CBufferInfo* BufferQueues::Announce(std::unique_ptr<CBufferInfo> buffer) {
    // The token is published before the input lock is taken: publishing takes the registry's lock.
    const void* handle = buffer->Handle();
    Lock lock(inputLock_);
    CBufferInfo& announced = *buffer;
    byHandle_.emplace(handle, &announced);
    try {
        announced_.push_back(std::move(buffer));
    } catch (...) {
        byHandle_.erase(handle);
        throw;
    }
    return &announced;
}

CBufferInfo& BufferQueues::AnnouncedLocked(const void* handle) {
    const auto found = byHandle_.find(handle);
    if (found == byHandle_.end()) GENICAM_THROW(InvalidHandleException, "Invalid Buffer Handle");
    return *found->second;
}

CBufferInfo& BufferQueues::Announced(const void* handle) {
    Lock lock(inputLock_);
    return AnnouncedLocked(handle);
}

void BufferQueues::Revoke(const void* handle, void** base, void** userPointer) {
    std::unique_ptr<CBufferInfo> revoked;
    {
        // A camera still being withdrawn from the buffer's memory may be writing into it.
        std::lock_guard reclaim(reclaimLock_);
        Lock lock(inputLock_);
        CBufferInfo& buffer = AnnouncedLocked(handle);
        const BufferState state = buffer.state;
        if (state != BufferState::Announced && state != BufferState::Delivered)
            GENICAM_THROW(RuntimeException, "Buffer queued");
        if (base != nullptr) *base = buffer.Base();
        if (userPointer != nullptr) *userPointer = buffer.UserPointer();
        const auto entry =
            std::find_if(announced_.begin(), announced_.end(),
                         [&](const auto& announced) { return announced.get() == &buffer; });
        revoked = std::move(*entry);
        announced_.erase(entry);
        byHandle_.erase(handle);
    }
    // Destroyed outside the locks: it waits for calls still reading it, which may need them.
}

void BufferQueues::RevokeAll() {
    std::deque<std::unique_ptr<CBufferInfo>> revoked;
    std::lock_guard reclaim(reclaimLock_);
    Lock inputLock(inputLock_);
    {
        Lock deliveryLock(deliveryLock_);
        input_.clear();
        output_.clear();
    }
    revoked.swap(announced_);
    byHandle_.clear();
}

CBufferInfo& BufferQueues::At(uint32_t index) {
    Lock lock(inputLock_);
    if (index >= announced_.size())
        GENICAM_THROW(InvalidIdException, "Invalid Buffer Index %d", static_cast<int32_t>(index));
    return *announced_[index];
}

// Under the input lock.
void BufferQueues::EnterInput(CBufferInfo& buffer) {
    buffer.hasNewData = false;
    buffer.SetFill(BufferFill{});
    if (buffer.state == BufferState::FillingDiscarded) {
        // The acquisition thread still holds it and puts it back when its grab ends.
        buffer.state = BufferState::Filling;
        return;
    }
    buffer.state = BufferState::Input;
    input_.push_back(&buffer);
    if (watcher_ != nullptr) watcher_->Entered(buffer);
}

// Under both locks. The caller sets the new-buffer signal.
void BufferQueues::EnterOutput(CBufferInfo& buffer) {
    buffer.state = BufferState::Output;
    output_.push_back(&buffer);
    ++everDelivered_;
}

// Under both locks.
void BufferQueues::RemoveFromOutput(CBufferInfo& buffer) {
    output_.erase(std::find(output_.begin(), output_.end(), &buffer));
    buffer.state = BufferState::Announced;
}

void BufferQueues::Queue(const void* handle) {
    bool wakeFiller = false;
    {
        Lock inputLock(inputLock_);
        CBufferInfo& buffer = AnnouncedLocked(handle);
        switch (buffer.state) {
            case BufferState::Input:
            case BufferState::Filling:
                return;
            case BufferState::Output: {
                // Taken back before it was reported: it lives in one queue at a time.
                Lock deliveryLock(deliveryLock_);
                RemoveFromOutput(buffer);
                break;
            }
            default:
                break;
        }
        EnterInput(buffer);
        wakeFiller = std::exchange(fillerWaiting_, false);
    }
    // Outside the lock, so the woken filler does not block on it at once.
    if (wakeFiller) inputQueued_.notify_one();
}

void BufferQueues::Flush(GenTL::ACQ_QUEUE_TYPE operation) {
    std::lock_guard reclaim(reclaimLock_);
    {
        Lock inputLock(inputLock_);
        FlushLocked(operation);
    }
    const bool leftInput =
        operation == GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT || operation == GenTL::ACQ_QUEUE_ALL_DISCARD;
    if (leftInput && watcher_ != nullptr) Withdraw(*watcher_);
    {
        Lock inputLock(inputLock_);
        if (input_.empty() || !std::exchange(fillerWaiting_, false)) return;
    }
    inputQueued_.notify_one();
}

// Under the reclaim lock and no other. The watcher may wait for a camera thread that is itself
// waiting for the queue locks to report an image. Buffers queued while it withdraws were lent
// and perhaps withdrawn with the rest: they are lent again, which changes nothing for the ones
// still lent.
void BufferQueues::Withdraw(InputQueueWatcher& watcher) {
    watcher.Withdrawn();
    Lock inputLock(inputLock_);
    for (CBufferInfo* buffer : input_) watcher.Entered(*buffer);
}

// Under the input lock.
void BufferQueues::FlushLocked(GenTL::ACQ_QUEUE_TYPE operation) {
    Lock deliveryLock(deliveryLock_);
    switch (operation) {
        case GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT:
            for (CBufferInfo* buffer : input_) {
                buffer->hasNewData = false;
                EnterOutput(*buffer);
            }
            input_.clear();
            newBuffer_.Set();
            break;
        case GenTL::ACQ_QUEUE_OUTPUT_DISCARD:
            while (!output_.empty()) {
                output_.front()->hasNewData = false;
                RemoveFromOutput(*output_.front());
            }
            break;
        case GenTL::ACQ_QUEUE_ALL_TO_INPUT:
            while (!output_.empty()) {
                CBufferInfo& buffer = *output_.front();
                RemoveFromOutput(buffer);
                EnterInput(buffer);
            }
            for (const auto& buffer : announced_)
                if (!buffer->IsQueued()) EnterInput(*buffer);
            break;
        case GenTL::ACQ_QUEUE_UNQUEUED_TO_INPUT:
            for (const auto& buffer : announced_)
                if (!buffer->IsQueued() && buffer->state != BufferState::Output)
                    EnterInput(*buffer);
            break;
        case GenTL::ACQ_QUEUE_ALL_DISCARD:
            input_.clear();
            output_.clear();
            for (const auto& buffer : announced_) {
                buffer->hasNewData = false;
                buffer->state = buffer->state == BufferState::Filling
                                    ? BufferState::FillingDiscarded
                                    : BufferState::Announced;
            }
            break;
        default:
            break;
    }
}

void BufferQueues::SetHandlingMode(BufferHandlingMode mode) {
    Lock lock(inputLock_);
    mode_ = mode;
}

BufferHandlingMode BufferQueues::HandlingMode() const {
    Lock lock(inputLock_);
    return mode_;
}

// Under both locks: a buffer of the output queue, not yet reported, is queued for a new image
// and the image it held is lost.
void BufferQueues::OutputToInput(CBufferInfo& buffer, FrameCounters& counters) {
    RemoveFromOutput(buffer);
    ++counters.lost;
    EnterInput(buffer);
}

CBufferInfo* BufferQueues::TakeNextToFill(FrameCounters& counters) {
    Lock lock(inputLock_);
    if (input_.empty() && mode_ == BufferHandlingMode::OldestFirstOverwrite) {
        Lock deliveryLock(deliveryLock_);
        if (!output_.empty()) OutputToInput(*output_.front(), counters);
    }
    if (input_.empty()) return nullptr;
    CBufferInfo* buffer = input_.front();
    input_.pop_front();
    buffer->state = BufferState::Filling;
    return buffer;
}

bool BufferQueues::WaitForInput(std::chrono::milliseconds timeout, const std::atomic<bool>& stop) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(inputLock_);
    // Whoever queues a buffer while the flag is set wakes the filler and clears the flag, so a
    // burst of queued buffers costs one wake-up, not one each.
    while (input_.empty() && !stop) {
        fillerWaiting_ = true;
        if (inputQueued_.wait_until(lock, deadline) == std::cv_status::timeout) {
            fillerWaiting_ = false;
            return !input_.empty() || stop;
        }
    }
    fillerWaiting_ = false;
    return true;
}

void BufferQueues::WakeFiller() {
    {
        // Orders the stop request before the filler's next look at it.
        Lock lock(inputLock_);
    }
    inputQueued_.notify_all();
}

// Under the input lock. A flush discarded the buffer while it was being filled: it is only
// announced now, whatever the fill brought.
bool BufferQueues::EndDiscardedFill(CBufferInfo& buffer) {
    if (buffer.state != BufferState::FillingDiscarded) return false;
    buffer.state = BufferState::Announced;
    return true;
}

void BufferQueues::ReturnToInput(CBufferInfo& buffer) {
    Lock lock(inputLock_);
    if (EndDiscardedFill(buffer)) return;
    buffer.state = BufferState::Input;
    input_.push_front(&buffer);
}

void BufferQueues::Requeue(CBufferInfo& buffer) {
    Lock lock(inputLock_);
    if (!EndDiscardedFill(buffer)) EnterInput(buffer);
}

void BufferQueues::Watch(InputQueueWatcher* watcher) {
    std::lock_guard reclaim(reclaimLock_);
    InputQueueWatcher* previous = nullptr;
    {
        Lock lock(inputLock_);
        previous = std::exchange(watcher_, nullptr);
    }
    if (previous != nullptr) previous->Withdrawn();
    Lock lock(inputLock_);
    watcher_ = watcher;
    if (watcher_ != nullptr)
        for (CBufferInfo* buffer : input_) watcher_->Entered(*buffer);
}

bool BufferQueues::Deliver(CBufferInfo& buffer, const BufferFill& fill, FrameCounters& counters) {
    {
        Lock inputLock(inputLock_);
        if (EndDiscardedFill(buffer)) return false;
        DeliverLocked(buffer, fill, counters);
    }
    // Signalled after the locks are left: the woken consumer takes them at once and would
    // otherwise sleep again on them while this thread is still in the wake. A consumer that took
    // the buffer meanwhile finds the signal set and the output queue empty, and waits on.
    newBuffer_.Set();
    return true;
}

// Under the input lock.
void BufferQueues::DeliverLocked(CBufferInfo& buffer, const BufferFill& fill,
                                 FrameCounters& counters) {
    buffer.SetFill(fill);
    buffer.hasNewData = true;
    ++counters.delivered;
    Lock deliveryLock(deliveryLock_);
    if (mode_ == BufferHandlingMode::NewestOnly)
        while (!output_.empty()) OutputToInput(*output_.front(), counters);
    EnterOutput(buffer);
}

// Under the input lock.
CBufferInfo* BufferQueues::TakeQueuedWithMemory(const void* memory) {
    const auto queued = std::find_if(input_.begin(), input_.end(), [&](const CBufferInfo* buffer) {
        return buffer->Base() == memory;
    });
    if (queued == input_.end()) return nullptr;
    CBufferInfo* buffer = *queued;
    input_.erase(queued);
    return buffer;
}

bool BufferQueues::DeliverArrived(const void* memory, const BufferFill& fill,
                                  FrameCounters& counters) {
    {
        Lock inputLock(inputLock_);
        CBufferInfo* buffer = TakeQueuedWithMemory(memory);
        if (buffer == nullptr) return false;
        DeliverLocked(*buffer, fill, counters);
    }
    newBuffer_.Set();
    return true;
}

void BufferQueues::RequeueArrived(const void* memory) {
    Lock inputLock(inputLock_);
    if (CBufferInfo* buffer = TakeQueuedWithMemory(memory)) EnterInput(*buffer);
}

void BufferQueues::AbortWait() {
    {
        Lock lock(deliveryLock_);
        aborts_.Kill();
    }
    // Wakes a waiter at once instead of leaving it until the next buffer arrives.
    newBuffer_.Set();
}

void BufferQueues::ForgetAborts() {
    Lock lock(deliveryLock_);
    aborts_.Clear();
    if (output_.empty()) newBuffer_.Reset();
}

BufferQueues::Front BufferQueues::PeekDelivered() {
    Lock lock(deliveryLock_);
    return FrontLocked();
}

// Under the delivery lock. A pending abort is consumed here.
BufferQueues::Front BufferQueues::FrontLocked() {
    if (aborts_.Consume()) return Front::Aborted;
    if (!output_.empty()) return Front::Buffer;
    newBuffer_.Reset();
    return Front::Empty;
}

size_t BufferQueues::NumAnnounced() const {
    Lock lock(inputLock_);
    return announced_.size();
}

size_t BufferQueues::NumQueued() const {
    Lock lock(inputLock_);
    return input_.size();
}

size_t BufferQueues::NumAwaitingDelivery() const {
    Lock lock(deliveryLock_);
    return output_.size();
}

}  // namespace GenICam::Client
