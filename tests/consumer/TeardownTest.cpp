// Closing, in every order a consumer closes: handles that stay dead after their object went
// (even when a new object takes its place), GCCloseLib and TLClose with everything still open
// and threads waiting, closes with children open, double closes and calls after a close.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

class ConsumerTeardown : public ConsumerStreamTest {
protected:
    // A thread waiting on an event without limit, as a consumer's acquisition thread does.
    std::future<GC_ERROR> WaitForever(EVENT_HANDLE event) {
        return std::async(std::launch::async, [this, event] {
            unsigned char data[64] = {};
            size_t size = sizeof data;
            return gentl.EventGetData(event, data, &size, GENTL_INFINITE);
        });
    }

    // Gives a waiter time to be inside its wait; a waiter that is not yet there sees the abort
    // all the same, since closing leaves its handle dead.
    static void LetWaitersSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

    // Every kind of handle the open stream fixture holds.
    std::vector<void*> AllHandles(BUFFER_HANDLE buffer, EVENT_HANDLE deviceError) const {
        return {cam.tl, cam.iface, cam.dev, cam.port, ds, buffer, newBuffer, deviceError};
    }

    // Opens the camera again from a new system: proves the camera was released.
    void ExpectCameraOpensAgain() {
        const Camera again = OpenCamera();
        ASSERT_TRUE(again) << LastErrorText();
        const DS_HANDLE stream = OpenStream(again.dev);
        EXPECT_NE(stream, nullptr);
    }

    void ExpectDead(void* handle) {
        uint32_t count = 0;
        size_t size = 0;
        EXPECT_EQ(gentl.TLGetNumInterfaces(handle, &count), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.IFGetNumDevices(handle, &count), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DevGetNumDataStreams(handle, &count), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DSQueueBuffer(handle, handle), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.GCGetPortURL(handle, nullptr, &size), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.EventKill(handle), GC_ERR_INVALID_HANDLE);
    }
};

TEST_F(ConsumerTeardown, AStaleDeviceHandleNeverReachesTheNextDevice) {
    const DEV_HANDLE first = cam.dev;
    ASSERT_EQ(CloseDevice(first), GC_ERR_SUCCESS);
    const DEV_HANDLE second = OpenDevice(cam.iface, kCam1002);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(Failure(DevInfo(first, DEVICE_INFO_ID).result), Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(Text(DevInfo(second, DEVICE_INFO_ID)), kCam1002);
}

TEST_F(ConsumerTeardown, AStaleStreamOrBufferHandleNeverReachesTheNextStream) {
    const BUFFER_HANDLE oldBuffer = Alloc(ds, 64);
    for (int reopen = 0; reopen < 20; ++reopen) {
        const DS_HANDLE old = ds;
        ASSERT_EQ(gentl.DSClose(old), GC_ERR_SUCCESS);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
        EXPECT_NE(ds, old);
        BUFFER_HANDLE refused = nullptr;
        EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(old, 64, nullptr, &refused), GC_ERR_INVALID_HANDLE);
        const BUFFER_HANDLE fresh = Alloc(ds, 64);
        EXPECT_NE(fresh, oldBuffer);
        EXPECT_EQ(gentl.DSQueueBuffer(ds, oldBuffer), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DSQueueBuffer(old, fresh), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 1u);
    }
}

TEST_F(ConsumerTeardown, GarbageAndWrongKindHandlesAreRefused) {
    const EVENT_HANDLE deviceError = RegisterEvent(cam.dev, EVENT_ERROR);
    uint32_t count = 0;
    for (void* garbage : {kGarbage, reinterpret_cast<void*>(~uintptr_t{0}), reinterpret_cast<void*>(&count)}) {
        EXPECT_EQ(gentl.DevGetNumDataStreams(garbage, &count), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.EventFlush(garbage), GC_ERR_INVALID_HANDLE);
    }
    // An event handle is no module handle, and a module handle no event handle.
    EXPECT_EQ(gentl.DevGetNumDataStreams(deviceError, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventFlush(cam.dev), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventFlush(deviceError), GC_ERR_SUCCESS);
}

TEST_F(ConsumerTeardown, CloseLibWithEverythingOpenFreesEverythingAndWakesWaiters) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    const EVENT_HANDLE deviceError = RegisterEvent(cam.dev, EVENT_ERROR);
    TL_HANDLE secondSystem = nullptr;
    ASSERT_EQ(gentl.TLOpen(&secondSystem), GC_ERR_SUCCESS);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ASSERT_TRUE(Eventually([&] { return Sim::GetCameraStatus(kCam1001).lastFrameId > 0; }));
    // Nobody takes the buffers, so the waiter on the error event waits for good.
    auto errorWaiter = WaitForever(deviceError);
    LetWaitersSettle();

    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(errorWaiter, "EventGetData on the device's error event"), GC_ERR_ABORT);
    const Sim::CameraStatus status = Sim::GetCameraStatus(kCam1001);
    EXPECT_FALSE(status.acquiring);
    EXPECT_FALSE(status.connected);

    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    for (void* handle : AllHandles(buffers.front(), deviceError)) ExpectDead(handle);
    ExpectDead(secondSystem);
    ExpectCameraOpensAgain();
}

TEST_F(ConsumerTeardown, SystemCloseWithChildrenOpenClosesItsSubtreeOnly) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    const EVENT_HANDLE deviceError = RegisterEvent(cam.dev, EVENT_ERROR);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    auto waiter = WaitForever(deviceError);
    const Camera other = OpenCamera(kCam2001, kU3vInterface);
    ASSERT_TRUE(other);
    LetWaitersSettle();

    ASSERT_EQ(CloseSystem(cam.tl), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the device's error event"), GC_ERR_ABORT);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    for (void* handle : AllHandles(buffers.front(), deviceError)) ExpectDead(handle);
    // The other system and its camera live on.
    EXPECT_TRUE(Sim::GetCameraStatus(kCam2001).connected);
    EXPECT_EQ(Text(DevInfo(other.dev, DEVICE_INFO_ID)), kCam2001);
    ExpectCameraOpensAgain();
}

TEST_F(ConsumerTeardown, ADeviceOutlivesItsInterfaceButNotItsSystem) {
    ASSERT_EQ(gentl.IFClose(cam.iface), GC_ERR_SUCCESS);
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_ID)), kCam1001);
    IF_HANDLE parent = nullptr;
    EXPECT_EQ(gentl.DevGetParentIF(cam.dev, &parent), GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 0u);

    ASSERT_EQ(CloseSystem(cam.tl), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    ExpectDead(cam.dev);
    ExpectDead(ds);
}

TEST_F(ConsumerTeardown, DeviceCloseWithAnAcquiringStreamWakesItsWaiter) {
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    // Keep the output queue empty so the waiter really waits.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    auto waiter = WaitForever(newBuffer);
    LetWaitersSettle();
    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the new-buffer event"), GC_ERR_ABORT);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);
    ExpectDead(ds);
    ExpectDead(newBuffer);
}

TEST_F(ConsumerTeardown, SecondClosesAndCallsAfterCloseAreRefused) {
    const BUFFER_HANDLE buffer = Alloc(ds, 64);
    ASSERT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, buffer, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventGetData(newBuffer, nullptr, nullptr, 0), GC_ERR_INVALID_HANDLE);
    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DevClose(cam.dev), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.GCReadPort(cam.port, 0, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
    ASSERT_EQ(gentl.IFClose(cam.iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(cam.iface), GC_ERR_INVALID_HANDLE);
    ASSERT_EQ(CloseSystem(cam.tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(cam.tl), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
}

TEST_F(ConsumerTeardown, UnregisteringTheNewBufferEventEndsAWaitOnIt) {
    auto waiter = WaitForever(newBuffer);
    LetWaitersSettle();
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the new-buffer event"), GC_ERR_ABORT);
    // Registered again, the event waits normally.
    newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
}

TEST_F(ConsumerTeardown, EventCountersAndMissingBuffersOfDeviceEvents) {
    const EVENT_HANDLE deviceEvent = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    Sim::RaiseDeviceEvent(kCam1001, 0x9001);
    ASSERT_TRUE(Eventually([&] {
        uint64_t fired = 0;
        size_t size = sizeof fired;
        INFO_DATATYPE type = 0;
        return gentl.EventGetInfo(deviceEvent, EVENT_NUM_FIRED, &type, &fired, &size) == GC_ERR_SUCCESS &&
               fired == 1 && type == INFO_DATATYPE_UINT64 && size == 8;
    }));
    // A size big enough but no buffer: the buffer is the bad parameter, the handle is fine.
    size_t size = 64;
    EXPECT_EQ(gentl.EventGetData(deviceEvent, nullptr, &size, kLongWaitMs), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(Value<uint64_t>(EventInfo(deviceEvent, EVENT_NUM_IN_QUEUE), INFO_DATATYPE_UINT64), 1u);
}

}  // namespace
}  // namespace consumer
