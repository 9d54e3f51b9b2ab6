// The announced buffers of a data stream and the two queues of the GenTL acquisition model:
// the input queue (waiting to be filled, front first) and the output queue (filled, waiting to
// be reported). Every buffer has one state (BufferInfo.h) that says which queue holds it; it
// changes only under the input lock, and the output queue also under the delivery lock, always
// taken after the input lock. Withdrawing buffers from the camera happens under the reclaim
// lock alone, taken before the others: a camera that reports images on a thread of its own may
// have to finish a report, which takes the queue locks, before it can let go.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "GenTL.h"
#include "common/ManualResetEvent.h"
#include "events/KillLatch.h"
#include "stream/BufferInfo.h"
#include "stream/InputQueueWatcher.h"

namespace GenICam::Client {

// How the output queue treats filled buffers (StreamBufferHandlingMode).
enum class BufferHandlingMode : int64_t {
    // In order; with no buffer in the input queue the new image is lost.
    OldestFirst = 1,
    // In order; with no buffer in the input queue the oldest undelivered one is filled again.
    OldestFirstOverwrite = 2,
    // The output queue holds the newest buffer only; older ones go back to the input queue.
    NewestOnly = 3,
};

// What an acquisition counts: buffers filled and moved to the output queue, and images the
// consumer never gets, for want of a buffer or because the handling mode discarded them.
struct FrameCounters {
    std::atomic<uint64_t> delivered{0};
    std::atomic<uint64_t> lost{0};
};

class BufferQueues {
public:
    BufferQueues() = default;
    BufferQueues(const BufferQueues&) = delete;
    BufferQueues& operator=(const BufferQueues&) = delete;

    CBufferInfo* Announce(std::unique_ptr<CBufferInfo> buffer);
    // Gives back base and user pointer where places are given; refuses a queued buffer.
    void Revoke(const void* handle, void** base, void** userPointer);
    // Revokes every buffer whatever its state; the stream is going away.
    void RevokeAll();
    // A buffer of this stream, or InvalidHandleException.
    CBufferInfo& Announced(const void* handle);
    CBufferInfo& At(uint32_t index);
    // Appends a buffer of this stream to the input queue; one already queued stays where it is.
    void Queue(const void* handle);
    void Flush(GenTL::ACQ_QUEUE_TYPE operation);

    // Applies from the next fill and delivery on.
    void SetHandlingMode(BufferHandlingMode mode);
    BufferHandlingMode HandlingMode() const;

    // The acquisition side: the front of the input queue, or null. The buffer taken cannot be
    // revoked until ReturnToInput or Deliver ends its fill. With OldestFirstOverwrite and an
    // empty input queue, the oldest buffer of the output queue is taken back for it, its image
    // counted as lost.
    CBufferInfo* TakeNextToFill(FrameCounters& counters);
    // Waits until the input queue holds a buffer or stop is set; false after the timeout.
    bool WaitForInput(std::chrono::milliseconds timeout, const std::atomic<bool>& stop);
    // Ends a WaitForInput after its stop was set.
    void WakeFiller();
    // Makes the buffer the front of the input queue again: its grab found no image.
    void ReturnToInput(CBufferInfo& buffer);
    // Queues the buffer again behind the others: the image written into it was lost.
    void Requeue(CBufferInfo& buffer);
    // For a camera that reports images on its own thread, straight from the input queue: the
    // queued buffer with this memory goes to the output queue (as Deliver), or, when its image
    // was lost, behind the other queued buffers (as Requeue). Nothing changes when no queued
    // buffer has the memory, because a flush took it out meanwhile: DeliverArrived is then false.
    bool DeliverArrived(const void* memory, const BufferFill& fill, FrameCounters& counters);
    void RequeueArrived(const void* memory);
    // From now on tells watcher, or nobody with null, what enters and leaves the input queue:
    // the watcher before it is told its buffers are withdrawn, the new one is told first of the
    // buffers already queued, front first.
    void Watch(InputQueueWatcher* watcher);
    // Counts the delivery before the buffer becomes visible to a consumer, who may read the
    // count as soon as it has the buffer. False, and nothing counted, when a flush discarded the
    // buffer while it was being filled. With NewestOnly, the buffers still in the output queue
    // go back to the input queue first, their images counted as lost.
    bool Deliver(CBufferInfo& buffer, const BufferFill& fill, FrameCounters& counters);

    // Ends one wait for a delivered buffer with an abort at once; with nobody waiting, the next.
    void AbortWait();
    // Wakes every thread waiting for a delivered buffer to look again at what there is.
    void WakeDeliveryWaiters() { newBuffer_.Set(); }
    // A fresh registration of the new-buffer event forgets kills aimed at an earlier one.
    void ForgetAborts();

    // What a waiter for a delivered buffer finds first.
    enum class Front { Buffer, Empty, Aborted };

    // The reporting side: the front of the output queue goes to report, then becomes delivered.
    // A pending abort comes first and leaves the front where it is. With nothing to take, the
    // new-buffer signal is reset under the same lock, so that a waiter that then waits for the
    // signal misses no delivery.
    template <class Report>
    Front TakeDelivered(Report&& report) {
        Lock inputLock(inputLock_);
        Lock deliveryLock(deliveryLock_);
        const Front found = FrontLocked();
        if (found != Front::Buffer) return found;
        CBufferInfo& front = *output_.front();
        report(front);
        output_.pop_front();
        front.state = BufferState::Delivered;
        front.hasNewData = true;
        if (output_.empty()) newBuffer_.Reset();
        return Front::Buffer;
    }
    // As TakeDelivered, but only looks: the front stays in the output queue.
    Front PeekDelivered();

    size_t NumAnnounced() const;
    size_t NumQueued() const;
    size_t NumAwaitingDelivery() const;
    // Buffers that ever entered the output queue.
    uint64_t NumEverDelivered() const { return everDelivered_.load(); }

    ManualResetEvent& NewBufferSignal() { return newBuffer_; }

private:
    using Lock = std::lock_guard<std::recursive_mutex>;

    CBufferInfo& AnnouncedLocked(const void* handle);
    void FlushLocked(GenTL::ACQ_QUEUE_TYPE operation);
    void EnterInput(CBufferInfo& buffer);
    bool EndDiscardedFill(CBufferInfo& buffer);
    void EnterOutput(CBufferInfo& buffer);
    void DeliverLocked(CBufferInfo& buffer, const BufferFill& fill, FrameCounters& counters);
    CBufferInfo* TakeQueuedWithMemory(const void* memory);
    void Withdraw(InputQueueWatcher& watcher);
    void OutputToInput(CBufferInfo& buffer, FrameCounters& counters);
    void RemoveFromOutput(CBufferInfo& buffer);
    Front FrontLocked();

    std::mutex reclaimLock_;
    mutable std::recursive_mutex inputLock_;
    mutable std::recursive_mutex deliveryLock_;
    std::deque<std::unique_ptr<CBufferInfo>> announced_;
    // The announced buffers by handle: every buffer call looks its handle up here.
    std::unordered_map<const void*, CBufferInfo*> byHandle_;
    std::deque<CBufferInfo*> input_;
    std::deque<CBufferInfo*> output_;
    std::condition_variable_any inputQueued_;
    bool fillerWaiting_ = false;
    // Set under the reclaim and the input lock, so read under either.
    InputQueueWatcher* watcher_ = nullptr;
    BufferHandlingMode mode_ = BufferHandlingMode::OldestFirst;
    std::atomic<uint64_t> everDelivered_{0};
    KillLatch aborts_;
    ManualResetEvent newBuffer_;
};

}  // namespace GenICam::Client
