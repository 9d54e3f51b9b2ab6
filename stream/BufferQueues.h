// The announced buffers of a data stream and the two queues of the GenTL acquisition model:
// the input queue (waiting to be filled, front first) and the output queue (filled, waiting to
// be reported). The input lock and the delivery lock are always taken in that order.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "GenTL.h"
#include "common/ManualResetEvent.h"
#include "events/KillLatch.h"
#include "stream/BufferInfo.h"

namespace GenICam::Client {

class BufferQueues {
public:
    BufferQueues() = default;
    BufferQueues(const BufferQueues&) = delete;
    BufferQueues& operator=(const BufferQueues&) = delete;

    CBufferInfo* Announce(void* base, size_t size, void* userPointer, bool ownsMemory);
    // Gives back base and user pointer where places are given; refuses a queued buffer.
    void Revoke(const void* handle, void** base, void** userPointer);
    // Revokes every buffer whatever its state; the stream is going away.
    void RevokeAll();
    // A buffer of this stream, or InvalidHandleException.
    CBufferInfo& Announced(const void* handle);
    CBufferInfo& At(uint32_t index);
    void Queue(CBufferInfo& buffer);
    void Flush(GenTL::ACQ_QUEUE_TYPE operation);

    // The acquisition side: the front of the input queue, or null. The buffer taken stays
    // announced and cannot be revoked until ReturnToInput or Deliver ends its fill.
    CBufferInfo* TakeNextToFill();
    void ReturnToInput(CBufferInfo& buffer);
    void Deliver(CBufferInfo& buffer, const BufferFill& fill);

    // Ends one wait for a delivered buffer with an abort at once; with nobody waiting, the next.
    void AbortWait();
    void ForgetAborts();
    void ThrowIfAborted();

    // The reporting side, under the delivery lock: the front of the output queue, or null.
    // A pending abort raises first and leaves the front where it is. The new-buffer signal
    // follows whether buffers remain.
    template <class Report>
    bool TakeDelivered(Report&& report) {
        std::lock_guard lock(deliveryLock_);
        ThrowIfAbortedLocked();
        if (output_.empty()) {
            newBuffer_.Reset();
            return false;
        }
        CBufferInfo& front = *output_.front();
        report(front);
        output_.pop_front();
        front.isQueued = false;
        front.isAwaitingDelivery = false;
        front.hasNewData = true;
        if (output_.empty()) newBuffer_.Reset();
        return true;
    }

    size_t NumAnnounced() const;
    size_t NumQueued() const;
    size_t NumAwaitingDelivery() const;
    // Buffers that ever entered the output queue.
    uint64_t NumEverDelivered() const { return everDelivered_.load(); }

    ManualResetEvent& NewBufferSignal() { return newBuffer_; }

private:
    using Lock = std::lock_guard<std::recursive_mutex>;

    void AppendToOutput(CBufferInfo& buffer);
    void ThrowIfAbortedLocked();

    mutable std::recursive_mutex inputLock_;
    mutable std::recursive_mutex deliveryLock_;
    std::deque<std::unique_ptr<CBufferInfo>> announced_;
    std::deque<CBufferInfo*> input_;
    std::deque<CBufferInfo*> output_;
    CBufferInfo* filling_ = nullptr;
    std::atomic<uint64_t> everDelivered_{0};
    KillLatch aborts_;
    ManualResetEvent newBuffer_;
};

}  // namespace GenICam::Client
