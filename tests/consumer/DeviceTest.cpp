// The device module: its information as the interface lists it and once open, its streams, and
// closes racing each other.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerDevice = ConsumerTest;

TEST_F(ConsumerDevice, DeviceInformationListedAndOpen) {
    const IF_HANDLE iface = OpenInterface(OpenSystem(), kU3vInterface);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS);
    const std::pair<DEVICE_INFO_CMD, const char*> texts[] = {
        {DEVICE_INFO_ID, kCam2001},
        {DEVICE_INFO_VENDOR, "Kavrin"},
        {DEVICE_INFO_MODEL, "SimCam U3V"},
        {DEVICE_INFO_TLTYPE, "U3V"},
        {DEVICE_INFO_DISPLAYNAME, "SimCam U3V (KS2001)"},
        {DEVICE_INFO_USER_DEFINED_NAME, "Cam2001"},
        {DEVICE_INFO_SERIAL_NUMBER, "KS2001"},
        {DEVICE_INFO_VERSION, "1.0.0"}};
    auto access = [](const Info& info) { return Value<int32_t>(info, INFO_DATATYPE_INT32); };
    auto frequency = [](const Info& info) { return Value<uint64_t>(info, INFO_DATATYPE_UINT64); };
    for (const auto& [command, expected] : texts) {
        EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam2001, command)), expected) << command;
    }
    EXPECT_EQ(access(DeviceInfoOfIF(iface, kCam2001, DEVICE_INFO_ACCESS_STATUS)),
              DEVICE_ACCESS_STATUS_READWRITE);
    EXPECT_EQ(frequency(DeviceInfoOfIF(iface, kCam2001, DEVICE_INFO_TIMESTAMP_FREQUENCY)),
              1000000000u);
    // The interface also answers the camera library's own device information.
    const std::pair<DEVICE_INFO_CMD, const char*> custom[] = {{1000, kCam2001},
                                                              {1001, "KS2001"},
                                                              {1002, "SimU3V0"},
                                                              {1003, "sim://SimU3V0/KVR-U3V-2001"},
                                                              {1004, "Tevold simulator"}};
    for (const auto& [command, expected] : custom) {
        EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam2001, command)), expected) << command;
    }
    EXPECT_EQ(Failure(DeviceInfoOfIF(iface, kCam2001, 999).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Device info Id 999"));
    EXPECT_EQ(Failure(DeviceInfoOfIF(iface, "KVR-U3V-9999", DEVICE_INFO_ID).result),
              Failed(GC_ERR_ERROR, "Unable to find device KVR-U3V-9999"));
    INFO_DATATYPE type = 0;
    char text[64];
    EXPECT_EQ(gentl.IFGetDeviceInfo(iface, kCam2001, DEVICE_INFO_ID, &type, text, nullptr),
              GC_ERR_INVALID_PARAMETER);

    // Open, the device answers the same; the interface now lists it as taken.
    const DEV_HANDLE dev = OpenDevice(iface, kCam2001);
    ASSERT_NE(dev, nullptr);
    for (const auto& [command, expected] : texts)
        EXPECT_EQ(Text(DevInfo(dev, command)), expected) << command;
    EXPECT_EQ(access(DevInfo(dev, DEVICE_INFO_ACCESS_STATUS)), DEVICE_ACCESS_STATUS_READWRITE);
    EXPECT_EQ(frequency(DevInfo(dev, DEVICE_INFO_TIMESTAMP_FREQUENCY)), 1000000000u);
    EXPECT_EQ(Failure(DevInfo(dev, 1000).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid device info Id 1000"));
    EXPECT_EQ(access(DeviceInfoOfIF(iface, kCam2001, DEVICE_INFO_ACCESS_STATUS)),
              DEVICE_ACCESS_STATUS_NOACCESS);
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
    ASSERT_EQ(gentl.DevGetDataStreamID(cam.dev, 0, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "DS0");
    EXPECT_EQ(Failure(gentl.DevGetDataStreamID(cam.dev, 1, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Stream Index 1"));

    // A stream the camera cannot open, or one that does not exist, leaves nothing half-open.
    DS_HANDLE ds = nullptr;
    Sim::InjectFault({Sim::Operation::OpenStream, -1001, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.DevOpenDataStream(cam.dev, "DS0", &ds)),
              Failed(GC_ERR_ERROR, "Unable to open Stream"));
    EXPECT_EQ(Failure(gentl.DevOpenDataStream(cam.dev, "DS7", &ds)),
              Failed(GC_ERR_ERROR, "Unable to open Stream"));
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(gentl.DevOpenDataStream(cam.dev, "DS0", nullptr), GC_ERR_INVALID_PARAMETER);

    // Opening the same stream twice hands out the same stream.
    ds = OpenStream(cam.dev);
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
}

// Closes that race each other from two threads end in codes, never in a crash: the stream and
// its device, and a buffer queued while it is revoked.
TEST_F(ConsumerDevice, ClosesRacingOnTwoThreads) {
    const TL_HANDLE tl = OpenSystem();
    const IF_HANDLE iface = OpenInterface(tl);
    for (int round = 0; round < 20; ++round) {
        const DEV_HANDLE dev = OpenDevice(iface);
        const DS_HANDLE ds = OpenStream(dev);
        const BUFFER_HANDLE buffer = Alloc(ds, PayloadSize(ds));
        ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
                  GC_ERR_SUCCESS);
        auto revoke = std::async(std::launch::async, [ds, buffer] {
            return Gentl().DSRevokeBuffer(ds, buffer, nullptr, nullptr);
        });
        const GC_ERROR queued = gentl.DSQueueBuffer(ds, buffer);
        const GC_ERROR revoked = AwaitOrDie(revoke, "DSRevokeBuffer racing DSQueueBuffer");
        // Whichever came first, the buffer is either gone or queued: exactly one succeeds.
        EXPECT_NE(revoked == GC_ERR_SUCCESS, queued == GC_ERR_SUCCESS) << queued << " " << revoked;
        EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), revoked == GC_ERR_SUCCESS ? 0u : 1u);

        // Every other round the device close waits until the stream's close is on its way.
        std::promise<void> closing;
        auto closeStream = std::async(std::launch::async, [ds, &closing] {
            closing.set_value();
            return Gentl().DSClose(ds);
        });
        if (round % 2 == 1) closing.get_future().wait();
        EXPECT_EQ(CloseDevice(dev), GC_ERR_SUCCESS);
        const GC_ERROR closed = AwaitOrDie(closeStream, "DSClose racing DevClose");
        EXPECT_TRUE(closed == GC_ERR_SUCCESS || closed == GC_ERR_INVALID_HANDLE ||
                    closed == GC_ERR_INVALID_PARAMETER)
            << closed;
        EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    }
}

}  // namespace
}  // namespace consumer
