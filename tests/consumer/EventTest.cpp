// Events: which module offers which kind, waiting and timing out, EventKill on every kind, waits
// that nothing may wake, the stop order of threaded consumers, closing under a waiting thread,
// and the camera's events.
#include <atomic>
#include <random>
#include <tuple>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerEvent = ConsumerStreamTest;

TEST_F(ConsumerEvent, EachModuleOffersItsOwnKinds) {
    const BUFFER_HANDLE buffer = AllocAndQueue(ds, 1, 64)[0];
    EVENT_HANDLE event = nullptr;
    const std::vector<std::tuple<void*, EVENT_TYPE, Outcome>> refused = {
        {cam.tl, EVENT_MODULE, Failed(GC_ERR_NOT_IMPLEMENTED, "Event ID 5 not implemented")},
        {cam.iface, EVENT_MODULE, Failed(GC_ERR_NOT_IMPLEMENTED, "Event ID 5 not implemented")},
        {cam.dev, EVENT_REMOTE_DEVICE, Failed(GC_ERR_INVALID_PARAMETER, "Invalid Event ID 4")},
        {cam.port, EVENT_NEW_BUFFER,
         Failed(GC_ERR_INVALID_PARAMETER, "Event ID 1 not implemented")},
        {ds, EVENT_FEATURE_INVALIDATE,
         Failed(GC_ERR_INVALID_PARAMETER, "Event ID 2 not implemented")},
        {buffer, EVENT_NEW_BUFFER, Failed(GC_ERR_NOT_IMPLEMENTED, "Event ID 1 not implemented")},
    };
    for (const auto& [source, type, expected] : refused) {
        EXPECT_EQ(Failure(gentl.GCRegisterEvent(source, type, &event)), expected) << type;
    }
    EXPECT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, nullptr), GC_ERR_INVALID_PARAMETER);

    const EVENT_HANDLE remote = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    EXPECT_EQ(Value<int32_t>(EventInfo(remote, EVENT_EVENT_TYPE), INFO_DATATYPE_INT32),
              EVENT_REMOTE_DEVICE);
}

// EventKill ends a wait whether it comes before the wait started or during it, also a wait of
// 2^32 ms, which is not cut to 0. A kill with nobody waiting is remembered for the next wait
// only, and registering again forgets it.
TEST_F(ConsumerEvent, KillEndsWaitsOnEveryEventKind) {
    const std::tuple<void*, EVENT_TYPE, EVENT_HANDLE> events[] = {
        {ds, EVENT_NEW_BUFFER, newBuffer},
        {cam.port, EVENT_REMOTE_DEVICE, RegisterEvent(cam.port, EVENT_REMOTE_DEVICE)},
        {cam.dev, EVENT_ERROR, RegisterEvent(cam.dev, EVENT_ERROR)},
        {ds, EVENT_ERROR, RegisterEvent(ds, EVENT_ERROR)}};
    for (const auto& [source, type, event] : events) {
        SCOPED_TRACE(type);
        ASSERT_NE(event, nullptr);
        for (int round = 0; round < 10; ++round) {
            auto waiter = WaitOnThread(event);
            if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
            EXPECT_EQ(AwaitOrDie(waiter, "EventGetData after EventKill"), GC_ERR_ABORT)
                << "round " << round;
        }
        auto longWait = WaitOnThread(event, uint64_t{1} << 32);
        EXPECT_EQ(longWait.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
        ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
        EXPECT_EQ(AwaitOrDie(longWait, "a 2^32 ms wait after EventKill"), GC_ERR_ABORT);

        ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
        auto next = WaitOnThread(event);
        EXPECT_EQ(AwaitOrDie(next, "EventGetData after an earlier EventKill"), GC_ERR_ABORT);
        EXPECT_GE(TimedOutWait(event, 100), std::chrono::milliseconds(100));
        for (const bool unregisterFirst : {true, false}) {
            ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
            if (unregisterFirst) {
                ASSERT_EQ(gentl.GCUnregisterEvent(source, type), GC_ERR_SUCCESS);
            }
            ASSERT_EQ(RegisterEvent(source, type), event);
            EXPECT_GE(TimedOutWait(event, 100), std::chrono::milliseconds(100)) << unregisterFirst;
        }
    }

    // A remembered kill comes before a buffer waiting for delivery, which stays.
    const auto buffers = AllocAndQueue(ds, 1, 64);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
    EXPECT_EQ(NextBuffer(newBuffer, GENTL_INFINITE).result, GC_ERR_ABORT);
    EXPECT_EQ(LastErrorText(), "Wait terminated");
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    const Delivery next = NextBuffer(newBuffer, 0);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS);
    EXPECT_EQ(next.buffer, buffers[0]);
}

// A buffer taken back from the output queue or a flush leaves nothing to wake for.
TEST_F(ConsumerEvent, RequeuesAndFlushesLeaveNoWakeUp) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(1), GC_ERR_SUCCESS);
    ASSERT_TRUE(Eventually([&] { return StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY) == 1; }));
    ASSERT_TRUE(Eventually([&] { return !Grabbing(); }));
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffers[0]), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_GE(TimedOutWait(newBuffer, 200), std::chrono::milliseconds(200));

    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventFlush(newBuffer), GC_ERR_SUCCESS);
    EXPECT_GE(TimedOutWait(newBuffer, 200), std::chrono::milliseconds(200));
}

// The C consumer's stop order: the main thread stops the stream, then kills the event its worker
// waits on with no limit, then joins the worker. Any interleaving of the two threads must end.
TEST_F(ConsumerEvent, StopThenKillAlwaysReleasesTheWorker) {
    const auto buffers = AllocAndQueue(ds, 4, PayloadSize(ds));
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayUs(0, 1500);
    for (int round = 0; round < 100 && !HasFailure(); ++round) {
        ASSERT_EQ(Start(), GC_ERR_SUCCESS) << "round " << round << ": " << LastErrorText();
        auto worker = std::async(std::launch::async, [this] {
            for (;;) {
                const Delivery next = NextBuffer(newBuffer, GENTL_INFINITE);
                if (next.result != GC_ERR_SUCCESS) return next.result;
                gentl.DSQueueBuffer(ds, next.buffer);
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random) / 3));
        ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
        EXPECT_EQ(AwaitOrDie(worker, "worker joined after DSStopAcquisition and EventKill"),
                  GC_ERR_ABORT)
            << "round " << round;

        // Back to all buffers queued for the next round.
        ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_SUCCESS);
        ASSERT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), buffers.size());
    }
}

// A stream closed under a thread waiting for its buffers, idle or acquiring with a delivered
// buffer still held: the wait ends and the camera stops.
TEST_F(ConsumerEvent, ClosingTheStreamReleasesAThreadWaitingForBuffers) {
    for (int round = 0; round < 10; ++round) {
        if (round > 0) {
            ds = OpenStream(cam.dev);
            newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
        }
        AllocAndQueue(ds, 1, PayloadSize(ds));
        if (round % 2 == 0) {
            ASSERT_EQ(Start(), GC_ERR_SUCCESS);
            ASSERT_EQ(NextBuffer(newBuffer).result, GC_ERR_SUCCESS) << LastErrorText();
        }
        auto waiter = WaitOnThread(newBuffer);
        if (round % 4 < 2) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
        EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::CloseStream), size_t(round) + 1);
        EXPECT_NE(AwaitOrDie(waiter, "EventGetData on a stream being closed"), GC_ERR_SUCCESS)
            << round;
        EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);
    }
}

// The camera's own events, raised by the simulator or by starting and stopping an acquisition,
// come through its callback thread. Reading only once it has delivered keeps the reads race-free.
TEST_F(ConsumerEvent, DeviceEventsArriveWithIdAndTimestamp) {
    const EVENT_HANDLE event = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    auto fired = [&](uint64_t count) {
        return Eventually([&] {
            return Value<uint64_t>(EventInfo(event, EVENT_NUM_FIRED), INFO_DATATYPE_UINT64) >=
                   count;
        });
    };

    // Timestamps are the steady clock's nanoseconds at the moment the camera raised the event.
    const auto steadyNs = [] {
        return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch() /
                                     std::chrono::nanoseconds(1));
    };
    const uint64_t before = steadyNs();
    Sim::RaiseDeviceEvent(kCam1001, 0x1234);
    const uint64_t after = steadyNs();
    ASSERT_TRUE(fired(1));
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ASSERT_TRUE(fired(2));
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    ASSERT_TRUE(fired(3));

    unsigned char bytes[64];
    size_t size = 0;
    struct {
        uint32_t id, reserved;
        uint64_t timestamp;
    } record{}, last{0, 0, before};
    INFO_DATATYPE type = 0;
    int32_t dataId = 0;
    for (const uint32_t expectedId :
         {0x1234u, Sim::kEventAcquisitionStart, Sim::kEventAcquisitionStop}) {
        std::memset(bytes, 0xFF, sizeof bytes);
        size = sizeof bytes;
        ASSERT_EQ(gentl.EventGetData(event, bytes, &size, kLongWaitMs), GC_ERR_SUCCESS)
            << LastErrorText();
        std::memcpy(&record, bytes, sizeof record);
        EXPECT_EQ(size, 24u);
        EXPECT_EQ(record.id, expectedId);
        EXPECT_EQ(record.reserved, 0u);
        EXPECT_GE(record.timestamp, last.timestamp);
        if (expectedId == 0x1234u) {
            EXPECT_LE(record.timestamp, after);
        }
        last = record;
        // The event's ID read back out of its data.
        size = sizeof dataId;
        ASSERT_EQ(gentl.EventGetDataInfo(event, bytes, 24, EVENT_DATA_ID, &type, &dataId, &size),
                  GC_ERR_SUCCESS);
        EXPECT_EQ(dataId, static_cast<int32_t>(expectedId));
    }
    // The value is what follows the ID and its reserved word: timestamp and data.
    unsigned char value[16] = {};
    size = sizeof value;
    ASSERT_EQ(gentl.EventGetDataInfo(event, bytes, 24, EVENT_DATA_VALUE, &type, value, &size),
              GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_BUFFER);
    EXPECT_EQ(size, sizeof value);
    EXPECT_EQ(0, std::memcmp(value, bytes + 8, sizeof value));
    EXPECT_EQ(Failure(gentl.EventGetDataInfo(event, bytes, 24, 2, &type, value, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Event Data Info ID 2"));
}

}  // namespace
}  // namespace consumer

namespace consumer {
namespace {

using ConsumerDeviceEvents = ConsumerTest;

// The camera library calls back on its own thread; closing the device while events keep coming
// must neither lose the process nor reach the closed device.
TEST_F(ConsumerDeviceEvents, ClosingTheDeviceWhileTheCameraCallsBack) {
    std::atomic<bool> raising{true};
    std::thread raiser([&] {
        while (raising) Sim::RaiseDeviceEvent(kCam1001, 0x77);
    });
    const TL_HANDLE tl = OpenSystem();
    const IF_HANDLE iface = OpenInterface(tl);
    for (int round = 0; round < 20; ++round) {
        const DEV_HANDLE dev = OpenDevice(iface);
        PORT_HANDLE port = nullptr;
        ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);
        const EVENT_HANDLE event = RegisterEvent(port, EVENT_REMOTE_DEVICE);
        auto reader = std::async(std::launch::async, [event] {
            unsigned char data[24];
            GC_ERROR result = GC_ERR_SUCCESS;
            while (result == GC_ERR_SUCCESS) {
                size_t size = sizeof data;
                result = Gentl().EventGetData(event, data, &size, GENTL_INFINITE);
            }
            return result;
        });
        if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(CloseDevice(dev), GC_ERR_SUCCESS) << round;
        EXPECT_NE(AwaitOrDie(reader, "EventGetData on a device being closed"), GC_ERR_SUCCESS);
        EXPECT_EQ(Failure(gentl.EventGetData(event, nullptr, nullptr, 0)).result,
                  GC_ERR_INVALID_HANDLE);
    }
    raising = false;
    raiser.join();
}

}  // namespace
}  // namespace consumer
