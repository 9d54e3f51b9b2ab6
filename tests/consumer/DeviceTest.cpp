// The device module: its information, its streams, its own port and closing it.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerDevice = ConsumerTest;

TEST_F(ConsumerDevice, DeviceInformation) {
    const Camera cam = OpenCamera(kCam2001, kU3vInterface);
    ASSERT_TRUE(cam);
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_ID)), kCam2001);
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_VENDOR)), "Kavrin");
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_MODEL)), "SimCam U3V");
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_TLTYPE)), "U3V");
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_DISPLAYNAME)), "SimCam U3V (KS2001)");
    EXPECT_EQ(Value<int32_t>(DevInfo(cam.dev, DEVICE_INFO_ACCESS_STATUS), INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_READWRITE);
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_USER_DEFINED_NAME)), "Cam2001");
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_SERIAL_NUMBER)), "KS2001");
    EXPECT_EQ(Text(DevInfo(cam.dev, DEVICE_INFO_VERSION)), "1.0.0");
    EXPECT_EQ(Failure(DevInfo(cam.dev, 1000).result), Failed(GC_ERR_INVALID_PARAMETER, "Invalid device info Id 1000"));

    // A consumer reads the frequency into exactly 8 bytes, with whatever was in the size.
    uint64_t frequency = 0;
    size_t size = sizeof frequency;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(gentl.DevGetInfo(cam.dev, DEVICE_INFO_TIMESTAMP_FREQUENCY, &type, &frequency, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_UINT64);
    EXPECT_EQ(frequency, 1000000000u);
    EXPECT_EQ(size, 8u);

    EXPECT_EQ(Failure(DevInfo(nullptr, DEVICE_INFO_ID).result), Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(DevInfo(cam.iface, DEVICE_INFO_ID).result, GC_ERR_INVALID_HANDLE);
}

TEST_F(ConsumerDevice, StreamsOfADevice) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    uint32_t count = 0;
    ASSERT_EQ(gentl.DevGetNumDataStreams(cam.dev, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(gentl.DevGetNumDataStreams(cam.dev, nullptr), GC_ERR_INVALID_PARAMETER);

    size_t size = 0;
    ASSERT_EQ(gentl.DevGetDataStreamID(cam.dev, 0, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 4u);
    char id[16] = {};
    size = sizeof id;
    ASSERT_EQ(gentl.DevGetDataStreamID(cam.dev, 0, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "DS0");
    EXPECT_EQ(Failure(gentl.DevGetDataStreamID(cam.dev, 1, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Stream Index 1"));

    // Opening the same stream twice hands out the same stream.
    const DS_HANDLE ds = OpenStream(cam.dev);
    DS_HANDLE again = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(cam.dev, "DS0", &again), GC_ERR_SUCCESS);
    EXPECT_EQ(again, ds);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::OpenStream), 1u);
    DEV_HANDLE parent = nullptr;
    ASSERT_EQ(gentl.DSGetParentDev(ds, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, cam.dev);

    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(cam.dev, &port), GC_ERR_SUCCESS);
    EXPECT_EQ(port, cam.port);
    EXPECT_EQ(gentl.DevGetPort(cam.dev, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.DevOpenDataStream(cam.dev, "DS0", nullptr), GC_ERR_INVALID_PARAMETER);
}

TEST_F(ConsumerDevice, StreamThatCannotOpen) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    DS_HANDLE ds = nullptr;
    Sim::InjectFault({Sim::Operation::OpenStream, -1001, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.DevOpenDataStream(cam.dev, "DS0", &ds)), Failed(GC_ERR_ERROR, "Unable to open Stream"));
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(Failure(gentl.DevOpenDataStream(cam.dev, "DS7", &ds)), Failed(GC_ERR_ERROR, "Unable to open Stream"));
    EXPECT_EQ(ds, nullptr);
    // Nothing half-open was left: the stream opens now and closes cleanly.
    ds = OpenStream(cam.dev);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::CloseStream), 1u);
}

TEST_F(ConsumerDevice, LocalDevicePort) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    EXPECT_EQ(PortUrl(cam.dev), "Local:TLDevRegs.xml;500;0");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_ID)), "TLDEV::KVR-GEV-1001");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_MODULE)), "TLDevice");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_PORTNAME)), "DevicePort");
    EXPECT_EQ(Text(PortInfo(cam.dev, PORT_INFO_VERSION)), "1.0.0.0");
    EXPECT_TRUE(Flag(PortInfo(cam.dev, PORT_INFO_LITTLE_ENDIAN)));
    EXPECT_FALSE(Flag(PortInfo(cam.dev, PORT_INFO_ACCESS_NI)));
    EXPECT_EQ(PortInfo(cam.dev, 13).result, GC_ERR_INVALID_PARAMETER);

    // The device module has no registers of its own; the camera's are behind DevGetPort.
    uint32_t value = 0x5A5A5A5A;
    size_t size = sizeof value;
    EXPECT_EQ(gentl.GCReadPort(cam.dev, Sim::CameraRegister::kWidth, &value, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(value, 0x5A5A5A5Au);
    EXPECT_EQ(size, sizeof value);
    EXPECT_EQ(gentl.GCWritePort(cam.dev, Sim::CameraRegister::kWidth, &value, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Sim::CameraRegister::kWidth), Sim::kDefaultWidth);
}

TEST_F(ConsumerDevice, ClosingReleasesTheCameraAndEveryHandleBelow) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const DS_HANDLE ds = OpenStream(cam.dev);
    const auto buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    EVENT_HANDLE event = RegisterEvent(ds, EVENT_NEW_BUFFER);
    EXPECT_TRUE(Sim::GetCameraStatus(kCam1001).connected);

    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    const std::vector<Sim::CameraCall> expected = {Sim::CameraCall::Connect, Sim::CameraCall::OpenStream,
                                                   Sim::CameraCall::CloseStream, Sim::CameraCall::QueryPrepareClose,
                                                   Sim::CameraCall::CloseDevice};
    auto log = Sim::CallLog(kCam1001);
    // Stopping a stream that never started is the camera's business; leave StopGrab out.
    log.erase(std::remove(log.begin(), log.end(), Sim::CameraCall::StopGrab), log.end());
    EXPECT_EQ(log, expected);

    // Every handle of the closed device is stale now and refused with a code.
    uint32_t count = 0;
    size_t size = 4;
    uint32_t value = 0;
    EXPECT_EQ(Failure(gentl.DevGetNumDataStreams(cam.dev, &count)),
              Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(gentl.GCReadPort(cam.port, Sim::CameraRegister::kWidth, &value, &size), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(DSInfo(ds, STREAM_INFO_ID).result, GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSQueueBuffer(ds, buffers[0]), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventGetData(event, nullptr, &size, 0), GC_ERR_INVALID_HANDLE);
    // The C++ consumer closes the stream after the device.
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DevClose(cam.dev), GC_ERR_INVALID_HANDLE);

    // The camera can be opened again.
    DEV_HANDLE reopened = OpenDevice(cam.iface, kCam1001);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Text(DevInfo(reopened, DEVICE_INFO_ID)), kCam1001);
}

TEST_F(ConsumerDevice, OneCameraTwoSystems) {
    const Camera first = OpenCamera();
    ASSERT_TRUE(first);
    // A second system sees the camera as busy and cannot take it.
    const TL_HANDLE tl = OpenSystem();
    const IF_HANDLE iface = OpenInterface(tl);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS);
    EXPECT_EQ(Value<int32_t>(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_ACCESS_STATUS), INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_BUSY);
    DEV_HANDLE dev = nullptr;
    EXPECT_NE(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS);
    EXPECT_EQ(dev, nullptr);
    EXPECT_NE(OpenDevice(iface, kCam1002), nullptr);
}

}  // namespace
}  // namespace consumer
