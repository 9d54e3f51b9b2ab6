// Whole roads that consumers in use take, end to end through the C functions: a cautious
// consumer that probes access modes and closes a device before its stream, and the waits of a
// consumer loop that must end only with data, a timeout or an abort.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerRoads = ConsumerTest;

// A consumer that updates the interface list before every open, probes the access modes, locks
// the transport parameters, waits 3 s per frame and closes the device before its stream.
TEST_F(ConsumerRoads, CautiousConsumerProbesLocksAndClosesOutOfOrder) {
    const TL_HANDLE tl = OpenSystem();
    std::vector<DEV_HANDLE> devices;
    for (const auto& [interfaceId, deviceId] :
         {std::pair{kGevInterface, kCam1001}, std::pair{kU3vInterface, kCam2001},
          std::pair{kGevInterface, kCam1002}}) {
        SCOPED_TRACE(deviceId);
        ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 1000), GC_ERR_SUCCESS);
        IF_HANDLE iface = nullptr;
        ASSERT_EQ(gentl.TLOpenInterface(tl, interfaceId, &iface), GC_ERR_SUCCESS)
            << LastErrorText();
        DEV_HANDLE dev = nullptr;
        GC_ERROR opened = GC_ERR_NOT_IMPLEMENTED;
        for (const DEVICE_ACCESS_FLAGS access :
             {DEVICE_ACCESS_READONLY, DEVICE_ACCESS_CONTROL, DEVICE_ACCESS_EXCLUSIVE}) {
            opened = gentl.IFOpenDevice(iface, deviceId, access, &dev);
            if (opened != GC_ERR_NOT_IMPLEMENTED) break;
        }
        ASSERT_EQ(opened, GC_ERR_SUCCESS) << LastErrorText();
        devices.push_back(dev);
    }

    const DEV_HANDLE dev = devices.front();
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS);
    AllocAndQueue(ds, 4, ReadRegister<uint32_t>(port, Reg::kPayloadSize));
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 1);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStart, Sim::kCommandValue);
    for (int frame = 0; frame < 10; ++frame) {
        const Delivery delivery = NextBuffer(event, 3000);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(BufInfo(ds, delivery.buffer, BUFFER_INFO_SIZE_FILLED).result, GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStop, Sim::kCommandValue);
    ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 0);

    // The device goes first; its stream went with it, and the stale handle only gives a code.
    for (const DEV_HANDLE open : devices) EXPECT_EQ(gentl.DevClose(open), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_INVALID_HANDLE);
}

using ConsumerWaits = ConsumerStreamTest;

// A buffer taken back from the output queue or a flush leaves nothing to wake for.
TEST_F(ConsumerWaits, RequeuesAndFlushesLeaveNoWakeUp) {
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

}  // namespace
}  // namespace consumer
