#include "stream/BufferQueues.h"

#include <algorithm>

#include "common/GenICamException.h"

namespace GenICam::Client {

CBufferInfo* BufferQueues::Announce(void* base, size_t size, void* userPointer, bool ownsMemory) {
    auto buffer = std::make_unique<CBufferInfo>(base, size, userPointer, ownsMemory);
    Lock lock(inputLock_);
    announced_.push_back(std::move(buffer));
    return announced_.back().get();
}

CBufferInfo& BufferQueues::Announced(const void* handle) {
    Lock lock(inputLock_);
    const auto found = std::find_if(announced_.begin(), announced_.end(), [&](const auto& buffer) {
        return static_cast<const ICommonBase*>(buffer.get()) == handle;
    });
    if (found == announced_.end()) GENICAM_THROW(InvalidHandleException, "Invalid Buffer Handle");
    return **found;
}

void BufferQueues::Revoke(const void* handle, void** base, void** userPointer) {
    std::unique_ptr<CBufferInfo> revoked;
    {
        Lock lock(inputLock_);
        CBufferInfo& buffer = Announced(handle);
        if (buffer.isQueued || buffer.isAwaitingDelivery || &buffer == filling_)
            GENICAM_THROW(RuntimeException, "Buffer queued");
        if (base != nullptr) *base = buffer.Base();
        if (userPointer != nullptr) *userPointer = buffer.UserPointer();
        const auto entry = std::find_if(announced_.begin(), announced_.end(),
                                        [&](const auto& announced) { return announced.get() == &buffer; });
        revoked = std::move(*entry);
        announced_.erase(entry);
    }
    // Destroyed outside the locks: it waits for calls still reading it, which may need them.
}

void BufferQueues::RevokeAll() {
    std::deque<std::unique_ptr<CBufferInfo>> revoked;
    {
        Lock inputLock(inputLock_);
        Lock deliveryLock(deliveryLock_);
        input_.clear();
        output_.clear();
        revoked.swap(announced_);
    }
}

CBufferInfo& BufferQueues::At(uint32_t index) {
    Lock lock(inputLock_);
    if (index >= announced_.size())
        GENICAM_THROW(InvalidIdException, "Invalid Buffer Index %d", static_cast<int32_t>(index));
    return *announced_[index];
}

void BufferQueues::Queue(CBufferInfo& buffer) {
    Lock lock(inputLock_);
    if (buffer.isQueued) return;
    buffer.isQueued = true;
    buffer.isAwaitingDelivery = false;
    buffer.hasNewData = false;
    buffer.SetFill(BufferFill{});
    // The buffer being filled returns to a queue by itself when its grab ends.
    if (&buffer != filling_) input_.push_back(&buffer);
}

void BufferQueues::AppendToOutput(CBufferInfo& buffer) {
    Lock lock(deliveryLock_);
    output_.push_back(&buffer);
    ++everDelivered_;
    newBuffer_.Set();
}

void BufferQueues::Flush(GenTL::ACQ_QUEUE_TYPE operation) {
    Lock inputLock(inputLock_);
    Lock deliveryLock(deliveryLock_);
    switch (operation) {
        case GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT:
            for (CBufferInfo* buffer : input_) {
                buffer->isQueued = false;
                buffer->isAwaitingDelivery = true;
                buffer->hasNewData = false;
                output_.push_back(buffer);
                ++everDelivered_;
            }
            input_.clear();
            newBuffer_.Set();
            break;
        case GenTL::ACQ_QUEUE_OUTPUT_DISCARD:
            for (CBufferInfo* buffer : output_) {
                buffer->isQueued = false;
                buffer->isAwaitingDelivery = false;
                buffer->hasNewData = false;
            }
            output_.clear();
            break;
        case GenTL::ACQ_QUEUE_ALL_TO_INPUT:
            for (CBufferInfo* buffer : output_) {
                buffer->isQueued = true;
                buffer->isAwaitingDelivery = false;
                buffer->hasNewData = false;
                input_.push_back(buffer);
            }
            output_.clear();
            for (const auto& buffer : announced_) {
                if (buffer->isQueued) continue;
                buffer->isQueued = true;
                input_.push_back(buffer.get());
            }
            break;
        case GenTL::ACQ_QUEUE_UNQUEUED_TO_INPUT:
            for (const auto& buffer : announced_) {
                if (buffer->isQueued || buffer->isAwaitingDelivery) continue;
                buffer->isQueued = true;
                buffer->hasNewData = false;
                input_.push_back(buffer.get());
            }
            break;
        case GenTL::ACQ_QUEUE_ALL_DISCARD:
            output_.clear();
            input_.clear();
            for (const auto& buffer : announced_) {
                buffer->isQueued = false;
                buffer->isAwaitingDelivery = false;
                buffer->hasNewData = false;
            }
            break;
        default: break;
    }
}

CBufferInfo* BufferQueues::TakeNextToFill() {
    Lock lock(inputLock_);
    if (input_.empty()) return nullptr;
    filling_ = input_.front();
    input_.pop_front();
    return filling_;
}

void BufferQueues::ReturnToInput(CBufferInfo& buffer) {
    Lock lock(inputLock_);
    filling_ = nullptr;
    // A flush that discarded everything while the buffer was being filled wins.
    if (buffer.isQueued) input_.push_front(&buffer);
}

void BufferQueues::Deliver(CBufferInfo& buffer, const BufferFill& fill) {
    Lock inputLock(inputLock_);
    filling_ = nullptr;
    if (!buffer.isQueued) return;  // discarded by a flush while it was being filled
    buffer.SetFill(fill);
    buffer.hasNewData = true;
    buffer.isAwaitingDelivery = true;
    buffer.isQueued = false;
    AppendToOutput(buffer);
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
}

void BufferQueues::ThrowIfAborted() {
    Lock lock(deliveryLock_);
    ThrowIfAbortedLocked();
}

void BufferQueues::ThrowIfAbortedLocked() {
    aborts_.ThrowIfKilled([this] {
        if (output_.empty()) newBuffer_.Reset();
    });
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
