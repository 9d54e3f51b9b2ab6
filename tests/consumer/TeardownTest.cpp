// Closing, in every order a consumer closes: handles that stay dead after their object went
// (even when a new object takes its place), GCCloseLib and TLClose with everything still open
// and threads waiting, closes with children open, double closes and calls after a close.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

class ConsumerTeardown : public ConsumerStreamTest {
protected:
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

TEST_F(ConsumerTeardown, AStaleHandleNeverReachesTheNextObject) {
    const BUFFER_HANDLE oldBuffer = Alloc(ds, 64);
    for (int reopen = 0; reopen < 20; ++reopen) {
        const DS_HANDLE old = ds;
        ASSERT_EQ(gentl.DSClose(old), GC_ERR_SUCCESS);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
        EXPECT_NE(ds, old);
        BUFFER_HANDLE refused = nullptr;
        EXPECT_EQ(gentl.DSClose(old), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(old, 64, nullptr, &refused),
                  GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DSRevokeBuffer(old, oldBuffer, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
        const BUFFER_HANDLE fresh = Alloc(ds, 64);
        EXPECT_NE(fresh, oldBuffer);
        EXPECT_EQ(gentl.DSQueueBuffer(ds, oldBuffer), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(gentl.DSQueueBuffer(old, fresh), GC_ERR_INVALID_HANDLE);
        EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 1u);
    }

    const DEV_HANDLE first = cam.dev;
    ASSERT_EQ(CloseDevice(first), GC_ERR_SUCCESS);
    const DEV_HANDLE second = OpenDevice(cam.iface, kCam1002);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(Failure(DevInfo(first, DEVICE_INFO_ID).result),
              Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(Text(DevInfo(second, DEVICE_INFO_ID)), kCam1002);
}

// TLClose takes down its own subtree and leaves another system's alone; GCCloseLib then takes
// down everything left. Either way threads waiting on what went are released, the cameras are
// handed back and every handle of them stays dead.
TEST_F(ConsumerTeardown, SystemCloseThenCloseLibWithEverythingOpen) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    const EVENT_HANDLE deviceError = RegisterEvent(cam.dev, EVENT_ERROR);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ASSERT_TRUE(Eventually([&] { return Sim::GetCameraStatus(kCam1001).lastFrameId > 0; }));
    // Nobody takes the buffers, so the waiters on the error events wait for good.
    auto waiter = WaitOnThread(deviceError);
    const Camera other = OpenCamera(kCam2001, kU3vInterface);
    ASSERT_TRUE(other);
    const DS_HANDLE otherDs = OpenStream(other.dev);
    AllocAndQueue(otherDs, 2, PayloadSize(otherDs));
    ASSERT_EQ(gentl.DSStartAcquisition(otherDs, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              GC_ERR_SUCCESS);
    const EVENT_HANDLE otherError = RegisterEvent(other.dev, EVENT_ERROR);
    auto otherWaiter = WaitOnThread(otherError);
    TL_HANDLE emptySystem = nullptr;
    ASSERT_EQ(gentl.TLOpen(&emptySystem), GC_ERR_SUCCESS);

    ASSERT_EQ(CloseSystem(cam.tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(cam.tl), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the device's error event"), GC_ERR_ABORT);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    for (void* handle : AllHandles(buffers.front(), deviceError)) ExpectDead(handle);
    EXPECT_TRUE(Sim::GetCameraStatus(kCam2001).acquiring);
    EXPECT_EQ(Text(DevInfo(other.dev, DEVICE_INFO_ID)), kCam2001);
    EXPECT_EQ(otherWaiter.wait_for(std::chrono::seconds(0)), std::future_status::timeout);

    // A second GCInitLib is harmless; one GCCloseLib ends the session all the same, and a
    // second one is harmless too.
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    TL_HANDLE closed = nullptr;
    EXPECT_EQ(gentl.TLOpen(&closed), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(AwaitOrDie(otherWaiter, "EventGetData on the other device's error event"),
              GC_ERR_ABORT);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam2001).acquiring);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam2001).connected);

    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    for (void* handle :
         {other.tl, other.iface, other.dev, other.port, otherDs, otherError, emptySystem})
        ExpectDead(handle);
    ExpectCameraOpensAgain();
}

// Reopened, the interface lists nothing until its next update.
TEST_F(ConsumerTeardown, ADeviceOutlivesItsInterfaceButNotItsSystem) {
    IF_HANDLE parent = nullptr;
    ASSERT_EQ(gentl.DevGetParentIF(cam.dev, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, cam.iface);
    ASSERT_EQ(gentl.IFClose(cam.iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(cam.iface), GC_ERR_INVALID_HANDLE);
    ExpectDead(cam.iface);
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_ID)), kCam1001);
    EXPECT_EQ(gentl.DevGetParentIF(cam.dev, &parent), GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 0u);
    IF_HANDLE reopened = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(cam.tl, kGevInterface, &reopened), GC_ERR_SUCCESS);
    uint32_t count = 99;
    ASSERT_EQ(gentl.IFGetNumDevices(reopened, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(CloseSystem(cam.tl), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    ExpectDead(cam.dev);
    ExpectDead(ds);
    ExpectDead(reopened);
}

// The device goes with its stream still acquiring, a thread waiting for its buffers and its
// events registered: the wait ends, the camera is handed back in order, every handle below is
// dead, and the camera opens again.
TEST_F(ConsumerTeardown, DeviceCloseWithAnAcquiringStreamWakesItsWaiterAndReleasesTheCamera) {
    const auto buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    // Keep the output queue empty so the waiter really waits.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    auto waiter = WaitOnThread(newBuffer);
    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the new-buffer event"), GC_ERR_ABORT);
    ExpectClosedInOrder(kCam1001);

    for (void* handle : {cam.dev, cam.port, ds, buffers[0], newBuffer}) ExpectDead(handle);
    EXPECT_EQ(gentl.DSQueueBuffer(ds, buffers[0]), GC_ERR_INVALID_HANDLE);
    // A consumer that closes the stream after its device gets a code.
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DevClose(cam.dev), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(Text(DevInfo(OpenDevice(cam.iface, kCam1001), DEVICE_INFO_ID)), kCam1001);
}

TEST_F(ConsumerTeardown, UnregisteringTheNewBufferEventEndsAWaitOnIt) {
    auto waiter = WaitOnThread(newBuffer);
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "EventGetData on the new-buffer event"), GC_ERR_ABORT);
    // Registered again, the event waits normally.
    newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
}

}  // namespace
}  // namespace consumer
