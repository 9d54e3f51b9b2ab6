#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "common/GenICamException.h"
#include "events/EventDevice.h"
#include "events/EventError.h"

using namespace GenICam::Client;

namespace {
constexpr uint64_t kInfinite = 0xFFFFFFFFFFFFFFFF;
constexpr auto kHangLimit = std::chrono::seconds(10);

struct DeviceEventRecord {
    uint32_t eventId;
    uint32_t reserved;
    uint64_t timestamp;
    uint64_t spare;
};

// A count the event reports: eight bytes, under the type that says eight bytes.
uint64_t Count(CEventDevice& event, GenTL::EVENT_INFO_CMD command) {
    uint64_t count = 0xDEAD;
    size_t size = sizeof count;
    GenTL::INFO_DATATYPE type = 0;
    event.GetInfo(command, &type, &count, &size);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_UINT64) << command;
    EXPECT_EQ(size, 8u) << command;
    return count;
}

class DeviceEventQueue : public ::testing::Test {
protected:
    DeviceEventQueue() { event_.Enable(); }

    GenTL::GC_ERROR Take(DeviceEventRecord& record, uint64_t timeoutMs = 0) {
        size_t size = sizeof record;
        return event_.GetData(&record, &size, timeoutMs);
    }

    CEventDevice event_;
};
}  // namespace

TEST_F(DeviceEventQueue, KeepsTheNewestEightAndCountsEveryEvent) {
    for (uint32_t id = 1; id <= 9; ++id) event_.PostDeviceEvent(id, id);
    EXPECT_EQ(event_.NumInQueue(), 8u);
    DeviceEventRecord record;
    ASSERT_EQ(Take(record), GenTL::GC_ERR_SUCCESS);
    EXPECT_EQ(record.eventId, 2u);

    CEventDevice disabled;
    disabled.PostDeviceEvent(1, 1);
    EXPECT_EQ(disabled.NumInQueue(), 0u);
    EXPECT_EQ(Count(disabled, GenTL::EVENT_NUM_FIRED), 1u);
    EXPECT_EQ(Count(disabled, GenTL::EVENT_NUM_IN_QUEUE), 0u);
}

TEST_F(DeviceEventQueue, FiredCountWrapsAt16Bits) {
    for (int i = 0; i < 65536; ++i) event_.PostDeviceEvent(1, 1);
    EXPECT_EQ(Count(event_, GenTL::EVENT_NUM_FIRED), 0u);
}

TEST_F(DeviceEventQueue, SizeProblemsLeaveTheEntryQueued) {
    event_.PostDeviceEvent(4, 4);
    DeviceEventRecord record;
    size_t size = 0;
    EXPECT_THROW(event_.GetData(&record, &size, 0), InvalidParameterException);
    EXPECT_EQ(size, 24u);
    size = 23;
    EXPECT_THROW(event_.GetData(&record, &size, 0), InvalidParameterException);
    // A missing buffer is a bad parameter, not a bad handle.
    size = 24;
    EXPECT_THROW(event_.GetData(nullptr, &size, 0), InvalidParameterException);
    EXPECT_EQ(event_.NumInQueue(), 1u);
}

// A kill comes before an entry already queued, which stays for the next call.
TEST_F(DeviceEventQueue, KillLeavesTheFrontEntry) {
    event_.PostDeviceEvent(5, 5);
    event_.Kill();
    DeviceEventRecord record;
    EXPECT_EQ(Take(record), GenTL::GC_ERR_ABORT);
    ASSERT_EQ(Take(record), GenTL::GC_ERR_SUCCESS);
    EXPECT_EQ(record.eventId, 5u);
}

// A push wakes a waiting reader; nothing that leaves the queue empty, a flush or a waited take,
// wakes a later wait: it ends by its timeout.
TEST_F(DeviceEventQueue, PushesWakeWaitsFlushesAndTakesLeaveNoWakeUpBehind) {
    DeviceEventRecord record;
    event_.PostDeviceEvent(1, 1);
    event_.Flush();
    EXPECT_EQ(event_.NumInQueue(), 0u);
    EXPECT_EQ(Take(record, 20), GenTL::GC_ERR_TIMEOUT);

    auto waiter = std::async(std::launch::async, [this] {
        DeviceEventRecord taken;
        size_t size = sizeof taken;
        const GenTL::GC_ERROR result = event_.GetData(&taken, &size, kInfinite);
        return result == GenTL::GC_ERR_SUCCESS ? taken.eventId : 0u;
    });
    event_.PostDeviceEvent(2, 2);
    ASSERT_EQ(waiter.wait_for(kHangLimit), std::future_status::ready);
    EXPECT_EQ(waiter.get(), 2u);
    EXPECT_EQ(Take(record, 20), GenTL::GC_ERR_TIMEOUT);
}

TEST_F(DeviceEventQueue, InformationQuirks) {
    int32_t eventType = 0;
    size_t size = 2;
    EXPECT_THROW(event_.GetInfo(GenTL::EVENT_EVENT_TYPE, nullptr, &eventType, &size),
                 InvalidParameterException);
    EXPECT_EQ(size, 4u);
    size = sizeof eventType;
    event_.GetInfo(GenTL::EVENT_EVENT_TYPE, nullptr, &eventType, &size);
    EXPECT_EQ(eventType, GenTL::EVENT_REMOTE_DEVICE);
    uint64_t count = 0;
    size = 4;
    EXPECT_THROW(event_.GetInfo(GenTL::EVENT_NUM_IN_QUEUE, nullptr, &count, &size),
                 InvalidParameterException);
    EXPECT_EQ(size, 8u);
    EXPECT_THROW(event_.GetInfo(GenTL::EVENT_SIZE_MAX, nullptr, nullptr, &size),
                 InvalidParameterException);

    DeviceEventRecord record{42, 0, 1, 0};
    int32_t id = 0;
    size = sizeof id;
    event_.GetDataInfo(&record, sizeof record, GenTL::EVENT_DATA_ID, nullptr, &id, &size);
    EXPECT_EQ(id, 42);
    EXPECT_THROW(
        event_.GetDataInfo(&record, sizeof record, GenTL::EVENT_DATA_VALUE, nullptr, &id, &size),
        InvalidParameterException);
    EXPECT_THROW(event_.GetDataInfo(&record, 23, GenTL::EVENT_DATA_ID, nullptr, &id, &size),
                 InvalidParameterException);
}

TEST(ErrorEvent, TimesOutAndDecodesItsData) {
    CEventError event;
    event.Enable();
    unsigned char buffer[64];
    size_t size = sizeof buffer;
    EXPECT_EQ(event.GetData(buffer, &size, 20), GenTL::GC_ERR_TIMEOUT);
    EXPECT_THROW(event.GetInfo(GenTL::EVENT_SIZE_MAX, nullptr, buffer, &size),
                 NotImplementedException);

    const ErrorEventEntry entry{GenTL::GC_ERR_IO, "cable"};
    size = sizeof buffer;
    entry.CopyTo(buffer, &size);
    EXPECT_EQ(size, 4u + 5u + 1u);
    int32_t code = 0;
    size_t codeSize = sizeof code;
    event.GetDataInfo(buffer, size, GenTL::EVENT_DATA_ID, nullptr, &code, &codeSize);
    EXPECT_EQ(code, GenTL::GC_ERR_IO);
    char text[16];
    size_t textSize = sizeof text;
    GenTL::INFO_DATATYPE type = 0;
    event.GetDataInfo(buffer, size, GenTL::EVENT_DATA_VALUE, &type, text, &textSize);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_STRING);
    EXPECT_STREQ(text, "cable");
}
