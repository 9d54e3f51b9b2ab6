#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "common/GenICamException.h"
#include "stream/BufferQueues.h"

using namespace GenICam::Client;

namespace {
class Queues : public ::testing::Test {
protected:
    Queues() {
        for (int i = 0; i < 3; ++i)
            buffers_.push_back(queues_.Announce(
                std::make_unique<CBufferInfo>(&memory_[i], 1, &memory_[i], false)));
    }

    static const void* Handle(CBufferInfo* buffer) { return buffer->Handle(); }

    void Queue(CBufferInfo* buffer) { queues_.Queue(Handle(buffer)); }

    void QueueAll() {
        for (CBufferInfo* buffer : buffers_) Queue(buffer);
    }

    bool Deliver(CBufferInfo& buffer) { return queues_.Deliver(buffer, BufferFill{}, counters_); }

    // Buffers in the order they come out of the output queue.
    std::vector<CBufferInfo*> DrainOutput() {
        std::vector<CBufferInfo*> taken;
        while (queues_.TakeDelivered([&](CBufferInfo& front) { taken.push_back(&front); }) ==
               BufferQueues::Front::Buffer) {
        }
        return taken;
    }

    // Buffers in the order the acquisition would fill them.
    std::vector<CBufferInfo*> DrainInput() {
        std::vector<CBufferInfo*> order;
        while (CBufferInfo* next = queues_.TakeNextToFill(counters_)) {
            order.push_back(next);
            Deliver(*next);
        }
        return order;
    }

    char memory_[3] = {};
    BufferQueues queues_;
    std::vector<CBufferInfo*> buffers_;
    FrameCounters counters_;
};
}  // namespace

TEST_F(Queues, QueueingTwiceQueuesOnce) {
    Queue(buffers_[0]);
    Queue(buffers_[0]);
    EXPECT_EQ(queues_.NumQueued(), 1u);
    int stranger = 0;
    EXPECT_THROW(queues_.Queue(&stranger), InvalidHandleException);
}

TEST_F(Queues, InputToOutputKeepsOrderWithoutNewData) {
    QueueAll();
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    EXPECT_EQ(queues_.NumQueued(), 0u);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 3u);
    EXPECT_EQ(buffers_[1]->state, BufferState::Output);
    EXPECT_FALSE(buffers_[1]->hasNewData);
    EXPECT_TRUE(queues_.NewBufferSignal().IsSet());
    EXPECT_EQ(DrainOutput(), buffers_);
    EXPECT_TRUE(buffers_[0]->hasNewData);
    EXPECT_FALSE(queues_.NewBufferSignal().IsSet());
}

TEST_F(Queues, AllToInputPutsOutputFirstThenUnqueuedInAnnouncementOrder) {
    Queue(buffers_[2]);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    EXPECT_EQ(DrainInput(), (std::vector<CBufferInfo*>{buffers_[2], buffers_[0], buffers_[1]}));
}

TEST_F(Queues, UnqueuedToInputSkipsBuffersAwaitingDelivery) {
    Queue(buffers_[0]);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.Flush(GenTL::ACQ_QUEUE_UNQUEUED_TO_INPUT);
    EXPECT_EQ(queues_.NumQueued(), 2u);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);
}

TEST_F(Queues, DiscardsAndUnknownOperations) {
    QueueAll();
    queues_.Flush(static_cast<GenTL::ACQ_QUEUE_TYPE>(1000));
    EXPECT_EQ(queues_.NumQueued(), 3u);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.Flush(GenTL::ACQ_QUEUE_OUTPUT_DISCARD);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    EXPECT_EQ(buffers_[0]->state, BufferState::Announced);
    QueueAll();
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_EQ(queues_.NumQueued(), 0u);
    EXPECT_FALSE(buffers_[2]->IsQueued());
}

TEST_F(Queues, RevokeRefusesQueuedBuffersAndGivesBackPointers) {
    Queue(buffers_[1]);
    EXPECT_THROW(queues_.Revoke(Handle(buffers_[1]), nullptr, nullptr), RuntimeException);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    void* base = nullptr;
    void* user = nullptr;
    queues_.Revoke(Handle(buffers_[1]), &base, &user);
    EXPECT_EQ(base, &memory_[1]);
    EXPECT_EQ(user, &memory_[1]);
    EXPECT_EQ(queues_.NumAnnounced(), 2u);
    EXPECT_EQ(&queues_.At(1), buffers_[2]);
    EXPECT_THROW(queues_.At(2), InvalidIdException);
}

TEST_F(Queues, ABufferLivesInOneQueueAtATime) {
    // Queued again while it waits for delivery: it leaves the output queue.
    Queue(buffers_[0]);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    Queue(buffers_[0]);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    EXPECT_EQ(queues_.NumQueued(), 1u);
    EXPECT_TRUE(DrainOutput().empty());
    EXPECT_THROW(queues_.Revoke(Handle(buffers_[0]), nullptr, nullptr), RuntimeException);
}

TEST_F(Queues, ABufferBeingFilledSurvivesDiscardRevokeAndRequeue) {
    QueueAll();
    CBufferInfo* filling = queues_.TakeNextToFill(counters_);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_THROW(queues_.Revoke(Handle(filling), nullptr, nullptr), RuntimeException);
    // Requeueing everything must not put it in the input queue while it is still filled.
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    EXPECT_EQ(queues_.NumQueued(), 2u);
    EXPECT_TRUE(Deliver(*filling));
    EXPECT_EQ(DrainOutput(), std::vector<CBufferInfo*>{filling});
    EXPECT_EQ(queues_.NumQueued(), 2u);

    // Discarded while filled and left so: the finished image does not resurrect it.
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    Queue(filling);
    filling = queues_.TakeNextToFill(counters_);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_FALSE(Deliver(*filling));
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    EXPECT_EQ(counters_.delivered, 1u);
    EXPECT_NO_THROW(queues_.Revoke(Handle(filling), nullptr, nullptr));
}

TEST_F(Queues, ReenteringTheInputQueueForgetsTheLastFill) {
    Queue(buffers_[0]);
    CBufferInfo* filled = queues_.TakeNextToFill(counters_);
    BufferFill fill;
    fill.imagePresent = true;
    fill.image.sizeFilled = 1;
    queues_.Deliver(*filled, fill, counters_);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    EXPECT_FALSE(filled->Fill().imagePresent);
    EXPECT_EQ(filled->Fill().image.sizeFilled, 0u);
}

TEST_F(Queues, APendingAbortComesBeforeTheFrontBuffer) {
    Queue(buffers_[0]);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.AbortWait();
    EXPECT_EQ(queues_.TakeDelivered([](CBufferInfo&) {}), BufferQueues::Front::Aborted);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);
    EXPECT_EQ(DrainOutput().size(), 1u);
}

// The acquisition thread sleeps in WaitForInput while no buffer is queued: a queue from another
// thread or a stop request ends the wait, and a revoked buffer is no longer found.
TEST_F(Queues, TheFillerWaitsForAQueuedBufferOrAStop) {
    std::atomic<bool> stop{false};
    EXPECT_FALSE(queues_.WaitForInput(std::chrono::milliseconds(0), stop));

    auto filler = std::async(std::launch::async,
                             [&] { return queues_.WaitForInput(std::chrono::hours(1), stop); });
    Queue(buffers_[1]);
    EXPECT_TRUE(filler.get());
    EXPECT_EQ(queues_.TakeNextToFill(counters_), buffers_[1]);
    queues_.ReturnToInput(*buffers_[1]);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);

    filler = std::async(std::launch::async,
                        [&] { return queues_.WaitForInput(std::chrono::hours(1), stop); });
    stop = true;
    queues_.WakeFiller();
    EXPECT_TRUE(filler.get());

    const void* revoked = Handle(buffers_[2]);
    queues_.Revoke(revoked, nullptr, nullptr);
    EXPECT_THROW(queues_.Queue(revoked), InvalidHandleException);
    EXPECT_EQ(&queues_.Announced(Handle(buffers_[0])), buffers_[0]);
}

TEST_F(Queues, LookingAtTheOutputTakesNothingAndAnEmptyLookClearsTheSignal) {
    Queue(buffers_[0]);
    Deliver(*queues_.TakeNextToFill(counters_));
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Buffer);
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Buffer);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);

    // Taken back before it was reported: the signal it set stays until a look finds nothing.
    Queue(buffers_[0]);
    EXPECT_TRUE(queues_.NewBufferSignal().IsSet());
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Empty);
    EXPECT_FALSE(queues_.NewBufferSignal().IsSet());

    queues_.AbortWait();
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Aborted);
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Empty);
}

TEST_F(Queues, ARegistrationForgetsAbortsAndTheirWakeUp) {
    queues_.AbortWait();
    queues_.ForgetAborts();
    EXPECT_FALSE(queues_.NewBufferSignal().IsSet());
    EXPECT_EQ(queues_.PeekDelivered(), BufferQueues::Front::Empty);
}

namespace {
// Records what the camera would be lent, in lending order, and every reclaim.
class LendingRecorder final : public InputQueueWatcher {
public:
    void Entered(CBufferInfo& buffer) override { lent.push_back(&buffer); }
    void Withdrawn() override { ++withdrawals; }

    std::vector<CBufferInfo*> lent;
    int withdrawals = 0;
};
}  // namespace

// A camera fills lent memory in lending order, so what the acquisition fills next must always be
// the oldest buffer lent and not yet filled; a flush that empties the input queue, and the end of
// the watch, withdraw every lending.
TEST_F(Queues, TheWatcherIsLentBuffersInTheOrderTheyAreFilled) {
    LendingRecorder camera;
    Queue(buffers_[0]);
    queues_.Watch(&camera);
    Queue(buffers_[1]);
    Queue(buffers_[2]);
    EXPECT_EQ(camera.lent, buffers_);

    // A lost image gives the lending up: the buffer is lent again, behind the others.
    CBufferInfo* lost = queues_.TakeNextToFill(counters_);
    queues_.Requeue(*lost);
    // A grab that timed out keeps its lending: the buffer is the front again, lent once.
    CBufferInfo* waited = queues_.TakeNextToFill(counters_);
    queues_.ReturnToInput(*waited);
    EXPECT_EQ(camera.lent,
              (std::vector<CBufferInfo*>{buffers_[0], buffers_[1], buffers_[2], buffers_[0]}));
    EXPECT_EQ(DrainInput(), (std::vector<CBufferInfo*>{buffers_[1], buffers_[2], buffers_[0]}));

    camera.lent.clear();
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    EXPECT_EQ(camera.lent.size(), 3u);
    EXPECT_EQ(camera.withdrawals, 0);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_EQ(camera.withdrawals, 2);

    queues_.Watch(nullptr);
    EXPECT_EQ(camera.withdrawals, 3);
    Queue(buffers_[0]);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    queues_.Watch(nullptr);
    EXPECT_EQ(camera.lent.size(), 3u);
    EXPECT_EQ(camera.withdrawals, 3);
}

// NewestOnly: each delivery sends the undelivered buffer back behind the queued ones, lent to the
// camera again and without new data, its image counted as lost.
TEST_F(Queues, NewestOnlyKeepsOneBufferAndRequeuesTheOlder) {
    LendingRecorder camera;
    queues_.SetHandlingMode(BufferHandlingMode::NewestOnly);
    QueueAll();
    queues_.Watch(&camera);
    camera.lent.clear();
    EXPECT_TRUE(Deliver(*queues_.TakeNextToFill(counters_)));
    EXPECT_TRUE(Deliver(*queues_.TakeNextToFill(counters_)));
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);
    EXPECT_EQ(camera.lent, (std::vector<CBufferInfo*>{buffers_[0]}));
    EXPECT_FALSE(buffers_[0]->hasNewData);
    EXPECT_EQ(buffers_[0]->state, BufferState::Input);
    EXPECT_EQ(counters_.delivered, 2u);
    EXPECT_EQ(counters_.lost, 1u);
    // The next fill takes the buffer that waited longest in the input queue.
    EXPECT_EQ(queues_.TakeNextToFill(counters_), buffers_[2]);
    queues_.Watch(nullptr);
}

// OldestFirstOverwrite: with the input queue empty the oldest undelivered buffer is filled again;
// with nothing undelivered either, there is nothing to fill. The default never takes one back.
TEST_F(Queues, OverwriteRefillsTheOldestUndeliveredBufferOnlyWhenNoneIsQueued) {
    Queue(buffers_[0]);
    Queue(buffers_[1]);
    EXPECT_EQ(DrainInput(), (std::vector<CBufferInfo*>{buffers_[0], buffers_[1]}));
    EXPECT_EQ(queues_.TakeNextToFill(counters_), nullptr);
    queues_.SetHandlingMode(BufferHandlingMode::OldestFirstOverwrite);
    Queue(buffers_[2]);
    EXPECT_EQ(queues_.TakeNextToFill(counters_), buffers_[2]);
    EXPECT_EQ(counters_.lost, 0u);
    CBufferInfo* refilled = queues_.TakeNextToFill(counters_);
    EXPECT_EQ(refilled, buffers_[0]);
    EXPECT_EQ(counters_.lost, 1u);
    EXPECT_EQ(refilled->state, BufferState::Filling);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);
    EXPECT_TRUE(Deliver(*buffers_[2]));
    EXPECT_TRUE(Deliver(*refilled));
    EXPECT_EQ(DrainOutput(), (std::vector<CBufferInfo*>{buffers_[1], buffers_[2], buffers_[0]}));
    EXPECT_EQ(queues_.TakeNextToFill(counters_), nullptr);
    EXPECT_EQ(counters_.lost, 1u);
}

// A fill that a flush discarded is delivered by no mode, and takes nothing back from the output.
TEST_F(Queues, NewestOnlyLeavesTheOutputAloneForADiscardedFill) {
    queues_.SetHandlingMode(BufferHandlingMode::NewestOnly);
    QueueAll();
    CBufferInfo* filling = queues_.TakeNextToFill(counters_);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    Queue(buffers_[1]);
    EXPECT_TRUE(Deliver(*queues_.TakeNextToFill(counters_)));
    EXPECT_FALSE(Deliver(*filling));
    EXPECT_EQ(counters_.lost, 0u);
    EXPECT_EQ(DrainOutput(), (std::vector<CBufferInfo*>{buffers_[1]}));
    EXPECT_EQ(filling->state, BufferState::Announced);
}

namespace {
// A camera that reports images on a thread of its own: withdrawing its lendings waits for that
// thread, which may be reporting an image at that moment.
class ReportingCamera final : public InputQueueWatcher {
public:
    ReportingCamera(BufferQueues& queues, FrameCounters& counters)
        : queues_(queues), counters_(counters) {}

    void Entered(CBufferInfo& buffer) override { lent.push_back(buffer.Base()); }
    void Withdrawn() override {
        std::thread reporting([&] {
            if (!lent.empty()) reportedDuringWithdrawal = Report(lent.front());
        });
        reporting.join();
        lent.clear();
    }
    bool Report(const void* memory) {
        BufferFill fill;
        fill.imagePresent = true;
        return queues_.DeliverArrived(memory, fill, counters_);
    }

    std::vector<const void*> lent;
    bool reportedDuringWithdrawal = false;

private:
    BufferQueues& queues_;
    FrameCounters& counters_;
};
}  // namespace

// Images reported by memory go straight from the input queue to the output queue, whatever the
// order; a lost one sends its buffer behind the others, lent again.
TEST_F(Queues, ArrivedImagesAreDeliveredFromTheInputQueueByTheirMemory) {
    ReportingCamera camera(queues_, counters_);
    QueueAll();
    queues_.Watch(&camera);
    EXPECT_TRUE(camera.Report(buffers_[1]->Base()));
    queues_.RequeueArrived(buffers_[0]->Base());
    EXPECT_EQ(counters_.delivered, 1u);
    EXPECT_EQ(buffers_[1]->state, BufferState::Output);
    EXPECT_TRUE(buffers_[1]->hasNewData);
    EXPECT_TRUE(queues_.NewBufferSignal().IsSet());
    EXPECT_EQ(camera.lent.size(), 4u);
    EXPECT_EQ(camera.lent.back(), buffers_[0]->Base());
    EXPECT_EQ(DrainOutput(), (std::vector<CBufferInfo*>{buffers_[1]}));
    // Not queued any more: delivered already, or flushed out while the image arrived.
    EXPECT_FALSE(camera.Report(buffers_[1]->Base()));
    int stranger = 0;
    EXPECT_FALSE(camera.Report(&stranger));
    queues_.RequeueArrived(&stranger);
    EXPECT_EQ(counters_.delivered, 1u);
    EXPECT_EQ(queues_.NumQueued(), 2u);
    queues_.Watch(nullptr);
}

// A flush, the end of the watch and a revoke never hold the queue locks while the camera is
// withdrawn, so a report in progress finishes instead of deadlocking; the flushed buffer is no
// longer queued and the report changes nothing.
TEST_F(Queues, WithdrawingWaitsForAReportInsteadOfBlockingIt) {
    ReportingCamera camera(queues_, counters_);
    QueueAll();
    queues_.Watch(&camera);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_FALSE(camera.reportedDuringWithdrawal);
    EXPECT_EQ(counters_.delivered, 0u);

    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    queues_.Watch(nullptr);
    EXPECT_TRUE(camera.reportedDuringWithdrawal);
    EXPECT_EQ(counters_.delivered, 1u);
    queues_.Flush(GenTL::ACQ_QUEUE_OUTPUT_DISCARD);
    queues_.Revoke(Handle(buffers_[0]), nullptr, nullptr);
    EXPECT_EQ(queues_.NumAnnounced(), 2u);
}
