#include <gtest/gtest.h>

#include <vector>

#include "common/GenICamException.h"
#include "stream/BufferQueues.h"

using namespace GenICam::Client;

namespace {
class Queues : public ::testing::Test {
protected:
    Queues() {
        for (int i = 0; i < 3; ++i) buffers_.push_back(queues_.Announce(&memory_[i], 1, &memory_[i], false));
    }

    // Handles in the order they come out of the output queue.
    std::vector<CBufferInfo*> DrainOutput() {
        std::vector<CBufferInfo*> taken;
        while (queues_.TakeDelivered([&](CBufferInfo& front) { taken.push_back(&front); })) {
        }
        return taken;
    }

    void QueueAll() {
        for (CBufferInfo* buffer : buffers_) queues_.Queue(*buffer);
    }

    char memory_[3] = {};
    BufferQueues queues_;
    std::vector<CBufferInfo*> buffers_;
};
}  // namespace

TEST_F(Queues, QueueingTwiceQueuesOnce) {
    queues_.Queue(*buffers_[0]);
    queues_.Queue(*buffers_[0]);
    EXPECT_EQ(queues_.NumQueued(), 1u);
}

TEST_F(Queues, InputToOutputKeepsOrderWithoutNewData) {
    QueueAll();
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    EXPECT_EQ(queues_.NumQueued(), 0u);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 3u);
    EXPECT_TRUE(buffers_[1]->isAwaitingDelivery);
    EXPECT_FALSE(buffers_[1]->hasNewData);
    EXPECT_TRUE(queues_.NewBufferSignal().IsSet());
    EXPECT_EQ(DrainOutput(), buffers_);
    EXPECT_TRUE(buffers_[0]->hasNewData);
    EXPECT_FALSE(queues_.NewBufferSignal().IsSet());
}

TEST_F(Queues, AllToInputPutsOutputFirstThenUnqueuedInAnnouncementOrder) {
    queues_.Queue(*buffers_[2]);
    queues_.Flush(GenTL::ACQ_QUEUE_INPUT_TO_OUTPUT);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_TO_INPUT);
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    std::vector<CBufferInfo*> order;
    while (CBufferInfo* next = queues_.TakeNextToFill()) {
        order.push_back(next);
        queues_.Deliver(*next, BufferFill{});
    }
    EXPECT_EQ(order, (std::vector<CBufferInfo*>{buffers_[2], buffers_[0], buffers_[1]}));
}

TEST_F(Queues, UnqueuedToInputSkipsBuffersAwaitingDelivery) {
    queues_.Queue(*buffers_[0]);
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
    EXPECT_FALSE(buffers_[0]->isAwaitingDelivery);
    QueueAll();
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_EQ(queues_.NumQueued(), 0u);
    EXPECT_FALSE(buffers_[2]->isQueued);
}

TEST_F(Queues, RevokeRefusesQueuedBuffersAndGivesBackPointers) {
    queues_.Queue(*buffers_[1]);
    EXPECT_THROW(queues_.Revoke(buffers_[1], nullptr, nullptr), RuntimeException);
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    void* base = nullptr;
    void* user = nullptr;
    queues_.Revoke(static_cast<ICommonBase*>(buffers_[1]), &base, &user);
    EXPECT_EQ(base, &memory_[1]);
    EXPECT_EQ(user, &memory_[1]);
    EXPECT_EQ(queues_.NumAnnounced(), 2u);
    EXPECT_EQ(&queues_.At(1), buffers_[2]);
    EXPECT_THROW(queues_.At(2), InvalidIdException);
    int stranger = 0;
    EXPECT_THROW(queues_.Announced(&stranger), InvalidHandleException);
}

TEST_F(Queues, ABufferBeingFilledSurvivesDiscardAndRevoke) {
    QueueAll();
    CBufferInfo* filling = queues_.TakeNextToFill();
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    EXPECT_THROW(queues_.Revoke(static_cast<ICommonBase*>(filling), nullptr, nullptr), RuntimeException);
    // Discarded while being filled: the finished image does not resurrect it.
    queues_.Deliver(*filling, BufferFill{});
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 0u);
    EXPECT_NO_THROW(queues_.Revoke(static_cast<ICommonBase*>(filling), nullptr, nullptr));
}

TEST_F(Queues, RequeuedWhileBeingFilledEndsInExactlyOneQueue) {
    queues_.Queue(*buffers_[0]);
    CBufferInfo* filling = queues_.TakeNextToFill();
    queues_.Flush(GenTL::ACQ_QUEUE_ALL_DISCARD);
    queues_.Queue(*filling);
    EXPECT_EQ(queues_.NumQueued(), 0u);
    queues_.Deliver(*filling, BufferFill{});
    EXPECT_EQ(queues_.NumAwaitingDelivery(), 1u);
    EXPECT_EQ(queues_.NumQueued(), 0u);
}
