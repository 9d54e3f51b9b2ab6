// Events: waiting, timing out, killing and flushing on every event kind, the stop order of
// threaded consumers, handles that are no (longer) events, and the camera's device events.
#include <random>
#include <thread>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

class ConsumerEvent : public ConsumerTest {
protected:
    void SetUp() override {
        ConsumerTest::SetUp();
        cam = OpenCamera();
        ASSERT_TRUE(cam);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
        newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    }

    // Starts EventGetData with no time limit on another thread.
    std::future<GC_ERROR> WaitForever(EVENT_HANDLE event) {
        return std::async(std::launch::async, [this, event] {
            std::vector<unsigned char> data(64);
            size_t size = data.size();
            return gentl.EventGetData(event, data.data(), &size, GENTL_INFINITE);
        });
    }

    Camera cam;
    DS_HANDLE ds = nullptr;
    EVENT_HANDLE newBuffer = nullptr;
};

TEST_F(ConsumerEvent, NewBufferWaitTimesOutAndLeavesTheLastErrorOnSuccess) {
    EXPECT_EQ(Failure(NextBuffer(newBuffer, 0).result), Failed(GC_ERR_TIMEOUT, "Timeout"));
    EXPECT_EQ(NextBuffer(newBuffer, 20).result, GC_ERR_TIMEOUT);

    const auto buffers = AllocAndQueue(ds, 2, 64);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Value<uint32_t>(EventInfo(newBuffer, EVENT_NUM_IN_QUEUE), INFO_DATATYPE_UINT32), 2u);
    ASSERT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_SUCCESS);
    EXPECT_EQ(LastErrorText(), "Timeout");
    EXPECT_EQ(Value<uint32_t>(EventInfo(newBuffer, EVENT_NUM_IN_QUEUE), INFO_DATATYPE_UINT32), 1u);

    // A NULL buffer takes the next buffer without its data and reports the 16 bytes it needs.
    size_t size = 0;
    EXPECT_EQ(gentl.EventGetData(newBuffer, nullptr, &size, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(size, sizeof(EVENT_NEW_BUFFER_DATA));
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);

    // Flushing the event empties the output queue.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffers[0]), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventFlush(newBuffer), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    // Either "nothing there" answer will do; the flushed buffer must not come.
    const GC_ERROR afterFlush = NextBuffer(newBuffer, 0).result;
    EXPECT_TRUE(afterFlush == GC_ERR_NO_DATA || afterFlush == GC_ERR_TIMEOUT) << afterFlush;
}

TEST_F(ConsumerEvent, KillEndsAWaitingNewBufferWait) {
    for (int round = 0; round < 20; ++round) {
        auto waiter = WaitForever(newBuffer);
        if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
        EXPECT_EQ(AwaitOrDie(waiter, "EventGetData after EventKill"), GC_ERR_ABORT) << "round " << round;
    }
    // Every kill was used up by its wait.
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
}

TEST_F(ConsumerEvent, KillWithNobodyWaitingIsRememberedAndKeepsTheBuffer) {
    const auto buffers = AllocAndQueue(ds, 1, 64);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
    EXPECT_EQ(Failure(NextBuffer(newBuffer, GENTL_INFINITE).result).result, GC_ERR_ABORT);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    const Delivery next = NextBuffer(newBuffer, 0);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS);
    EXPECT_EQ(next.buffer, buffers[0]);

    // Nothing waiting and nothing queued: the remembered kill still ends the next wait at once.
    ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
    auto waiter = WaitForever(newBuffer);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData after an earlier EventKill"), GC_ERR_ABORT);
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
}

TEST_F(ConsumerEvent, KillEndsWaitsOnEveryEventKind) {
    const EVENT_HANDLE remote = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    const EVENT_HANDLE deviceError = RegisterEvent(cam.dev, EVENT_ERROR);
    const EVENT_HANDLE streamError = RegisterEvent(ds, EVENT_ERROR);
    for (const EVENT_HANDLE event : {remote, deviceError, streamError}) {
        ASSERT_NE(event, nullptr);
        auto waiter = WaitForever(event);
        ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
        EXPECT_EQ(AwaitOrDie(waiter, "EventGetData after EventKill"), GC_ERR_ABORT);
        // A kill with nobody waiting ends the next wait, and only that one.
        ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
        auto next = WaitForever(event);
        EXPECT_EQ(AwaitOrDie(next, "EventGetData after an earlier EventKill"), GC_ERR_ABORT);
        std::vector<unsigned char> data(64);
        size_t size = data.size();
        EXPECT_EQ(gentl.EventGetData(event, data.data(), &size, 10), GC_ERR_TIMEOUT);
    }
    // Errors never come on their own; registering again hands out the same object.
    EXPECT_EQ(RegisterEvent(cam.dev, EVENT_ERROR), deviceError);
    EXPECT_EQ(RegisterEvent(ds, EVENT_NEW_BUFFER), newBuffer);
}

// The C consumer's stop order: the main thread stops the stream, then kills the event its worker
// waits on with no limit, then joins the worker. Any interleaving of the two threads must end.
TEST_F(ConsumerEvent, StopThenKillAlwaysReleasesTheWorker) {
    const auto buffers = AllocAndQueue(ds, 4, PayloadSize(ds));
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayUs(0, 1500);
    for (int round = 0; round < 100; ++round) {
        ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS)
            << "round " << round << ": " << LastErrorText();
        auto worker = std::async(std::launch::async, [this] {
            for (;;) {
                EVENT_NEW_BUFFER_DATA data{};
                size_t size = sizeof data;
                const GC_ERROR result = gentl.EventGetData(newBuffer, &data, &size, GENTL_INFINITE);
                if (result != GC_ERR_SUCCESS) return result;
                const BUFFER_HANDLE buffer = data.BufferHandle;
                gentl.DSQueueBuffer(ds, buffer);
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random) / 3));
        ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
        EXPECT_EQ(AwaitOrDie(worker, "worker joined after DSStopAcquisition and EventKill"), GC_ERR_ABORT)
            << "round " << round;

        // Back to all buffers queued for the next round.
        ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_SUCCESS);
        ASSERT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), buffers.size());
        if (HasFailure()) break;
    }
}

TEST_F(ConsumerEvent, ClosingReleasesAThreadWaitingForBuffers) {
    for (int round = 0; round < 10; ++round) {
        if (round > 0) {
            ds = OpenStream(cam.dev);
            newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
        }
        AllocAndQueue(ds, 2, 64);
        auto waiter = WaitForever(newBuffer);
        if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
        EXPECT_NE(AwaitOrDie(waiter, "EventGetData on a stream being closed"), GC_ERR_SUCCESS);
    }
    // Closing the device does the same for a wait on its stream.
    ds = OpenStream(cam.dev);
    newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    auto waiter = WaitForever(newBuffer);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_NE(AwaitOrDie(waiter, "EventGetData on a device being closed"), GC_ERR_SUCCESS);
}

TEST_F(ConsumerEvent, HandlesThatAreNoEvents) {
    void* const garbage = reinterpret_cast<void*>(0x1234);
    std::vector<unsigned char> data(64);
    size_t size = data.size();
    EXPECT_EQ(gentl.EventGetData(garbage, data.data(), &size, 0), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(EventInfo(garbage, EVENT_EVENT_TYPE).result, GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventKill(garbage), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventFlush(garbage), GC_ERR_INVALID_HANDLE);
    // A module handle is no event handle either.
    EXPECT_EQ(gentl.EventGetData(ds, data.data(), &size, 0), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(Failure(gentl.EventGetData(nullptr, data.data(), &size, 0)), NullHandleRefused());
    EXPECT_EQ(gentl.GCRegisterEvent(nullptr, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.GCRegisterEvent(garbage, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_INVALID_HANDLE);

    // An event of a closed stream is gone with it.
    ASSERT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.EventGetData(newBuffer, data.data(), &size, 0), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventKill(newBuffer), GC_ERR_INVALID_HANDLE);
}

// Waits for the camera library's callback thread to have delivered a number of device events.
bool FiredReaches(EVENT_HANDLE event, uint64_t count) {
    return Eventually([&] {
        uint64_t fired = 0;
        size_t size = sizeof fired;
        INFO_DATATYPE type = 0;
        return Gentl().EventGetInfo(event, EVENT_NUM_FIRED, &type, &fired, &size) == GC_ERR_SUCCESS &&
               fired >= count;
    });
}

struct DeviceEventData {
    GC_ERROR result = GC_ERR_ERROR;
    size_t size = 0;
    uint32_t id = 0;
    uint32_t reserved = 0xFFFFFFFF;
    uint64_t timestamp = 0;
};

DeviceEventData NextDeviceEvent(EVENT_HANDLE event, uint64_t timeoutMs = kLongWaitMs) {
    unsigned char bytes[64] = {};
    DeviceEventData data;
    data.size = sizeof bytes;
    data.result = Gentl().EventGetData(event, bytes, &data.size, timeoutMs);
    std::memcpy(&data.id, bytes, 4);
    std::memcpy(&data.reserved, bytes + 4, 4);
    std::memcpy(&data.timestamp, bytes + 8, 8);
    return data;
}

TEST_F(ConsumerEvent, DeviceEventsArriveWithIdAndTimestamp) {
    EVENT_HANDLE onDevice = nullptr;
    EXPECT_EQ(Failure(gentl.GCRegisterEvent(cam.dev, EVENT_REMOTE_DEVICE, &onDevice)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Event ID 4"));
    EVENT_HANDLE other = nullptr;
    EXPECT_EQ(gentl.GCRegisterEvent(cam.port, EVENT_NEW_BUFFER, &other), GC_ERR_INVALID_PARAMETER);

    const EVENT_HANDLE event = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(Value<int32_t>(EventInfo(event, EVENT_EVENT_TYPE), INFO_DATATYPE_INT32), EVENT_REMOTE_DEVICE);
    EXPECT_EQ(NextDeviceEvent(event, 0).result, GC_ERR_TIMEOUT);

    // Reading only once the callback thread has delivered keeps the reads free of races.
    Sim::RaiseDeviceEvent(kCam1001, 0x1234);
    ASSERT_TRUE(FiredReaches(event, 1));
    DeviceEventData data = NextDeviceEvent(event);
    ASSERT_EQ(data.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(data.size, 24u);
    EXPECT_EQ(data.id, 0x1234u);
    EXPECT_EQ(data.reserved, 0u);
    EXPECT_NE(data.timestamp, 0u);

    // The event's data read back through EventGetDataInfo.
    unsigned char raw[24] = {};
    std::memcpy(raw, &data.id, 4);
    int32_t id = 0;
    size_t size = sizeof id;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(gentl.EventGetDataInfo(event, raw, sizeof raw, EVENT_DATA_ID, &type, &id, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(id, 0x1234);
    EXPECT_EQ(Failure(gentl.EventGetDataInfo(event, raw, sizeof raw, EVENT_DATA_VALUE, &type, &id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Event Data Info ID 1"));

    // Timestamps of later events do not go back.
    Sim::RaiseDeviceEvent(kCam1001, 7);
    ASSERT_TRUE(FiredReaches(event, 2));
    const DeviceEventData later = NextDeviceEvent(event);
    ASSERT_EQ(later.result, GC_ERR_SUCCESS);
    EXPECT_EQ(later.id, 7u);
    EXPECT_GE(later.timestamp, data.timestamp);

    // A pending event with no room for it: the size comes back and the event stays.
    Sim::RaiseDeviceEvent(kCam1001, 8);
    ASSERT_TRUE(FiredReaches(event, 3));
    unsigned char bytes[24];
    size = 0;
    EXPECT_EQ(gentl.EventGetData(event, bytes, &size, 0), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(size, 24u);
    EXPECT_EQ(NextDeviceEvent(event, 0).id, 8u);
}

TEST_F(ConsumerEvent, DeviceEventQueueKeepsTheLastEight) {
    const EVENT_HANDLE event = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    for (uint32_t id = 1; id <= 12; ++id) Sim::RaiseDeviceEvent(kCam1001, id);
    ASSERT_TRUE(FiredReaches(event, 12));
    uint64_t queued = 0;
    size_t size = sizeof queued;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(gentl.EventGetInfo(event, EVENT_NUM_IN_QUEUE, &type, &queued, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(queued, 8u);
    for (uint32_t id = 5; id <= 12; ++id) {
        const DeviceEventData data = NextDeviceEvent(event, 0);
        ASSERT_EQ(data.result, GC_ERR_SUCCESS) << id;
        EXPECT_EQ(data.id, id);
    }
    EXPECT_EQ(NextDeviceEvent(event, 0).result, GC_ERR_TIMEOUT);

    // A remembered kill takes priority over queued events, which stay.
    Sim::RaiseDeviceEvent(kCam1001, 99);
    ASSERT_TRUE(FiredReaches(event, 13));
    ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
    EXPECT_EQ(NextDeviceEvent(event, 0).result, GC_ERR_ABORT);
    EXPECT_EQ(NextDeviceEvent(event, 0).id, 99u);

    // Flushed events are gone; registering again gives the same, still empty, event.
    Sim::RaiseDeviceEvent(kCam1001, 100);
    ASSERT_TRUE(FiredReaches(event, 14));
    ASSERT_EQ(gentl.EventFlush(event), GC_ERR_SUCCESS);
    EXPECT_NE(NextDeviceEvent(event, 0).result, GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCUnregisterEvent(cam.port, EVENT_REMOTE_DEVICE), GC_ERR_SUCCESS);
    EXPECT_EQ(RegisterEvent(cam.port, EVENT_REMOTE_DEVICE), event);
    EXPECT_EQ(NextDeviceEvent(event, 0).result, GC_ERR_TIMEOUT);
}

TEST_F(ConsumerEvent, AcquisitionStartAndStopAreDeviceEvents) {
    const EVENT_HANDLE event = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    ASSERT_TRUE(FiredReaches(event, 1));
    const DeviceEventData started = NextDeviceEvent(event);
    ASSERT_EQ(started.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(started.id, Sim::kEventAcquisitionStart);
    ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_TRUE(FiredReaches(event, 2));
    const DeviceEventData stopped = NextDeviceEvent(event);
    ASSERT_EQ(stopped.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(stopped.id, Sim::kEventAcquisitionStop);
    EXPECT_GE(stopped.timestamp, started.timestamp);
}

}  // namespace
}  // namespace consumer
