// Acquisition the way applications drive it: the whole road from GCInitLib to GCCloseLib with
// every delivered image checked, and the ways an acquisition ends, fails or is cut short.
#include <map>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

namespace Reg = Sim::CameraRegister;

struct RoadOptions {
    uint32_t pixelFormat = Sim::PixelFormat::kMono8;
    uint32_t width = 160;
    uint32_t height = 120;
    size_t frames = 1000;
    // Enough buffers that a consumer held up for tens of milliseconds still has one queued for
    // every image: frame IDs then count up without gaps.
    size_t buffers = 64;
    bool consumerMemory = false;
};

size_t BytesPerPixel(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case Sim::PixelFormat::kMono16: return 2;
        case Sim::PixelFormat::kRGB8: return 3;
        default: return 1;
    }
}

// The bytes the camera's default test pattern (grey diagonal ramp, s = x + y + frame ID) puts
// at one pixel.
std::vector<unsigned char> PatternPixel(uint32_t pixelFormat, uint64_t x, uint64_t y, uint64_t frameId) {
    const uint64_t s = x + y + frameId;
    switch (pixelFormat) {
        case Sim::PixelFormat::kMono16: {
            const auto value = static_cast<uint16_t>((s % 4096) * 16);
            return {static_cast<unsigned char>(value & 0xFF), static_cast<unsigned char>(value >> 8)};
        }
        case Sim::PixelFormat::kRGB8:
            return {static_cast<unsigned char>(s % 256), static_cast<unsigned char>((s + 85) % 256),
                    static_cast<unsigned char>((s + 170) % 256)};
        default: return {static_cast<unsigned char>(s % 256)};
    }
}

// Nothing opened up front: the road itself opens and closes everything, GCInitLib included.
// The camera runs paced at its top frame rate, as a real one does: without pacing it makes an
// image whenever asked, and every image asked for while no buffer is queued is dropped, so
// frame IDs would skip.
class ConsumerRoad : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::Reset();
        Sim::SetPacing(true);
    }
    void TearDown() override { gentl.GCCloseLib(); }

    void RunRoad(const RoadOptions& options);

    GenTLProducer& gentl = Gentl();
};

void ConsumerRoad::RunRoad(const RoadOptions& options) {
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);

    // Discover interfaces and devices, and open the camera by the ID the list gives.
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 1000), GC_ERR_SUCCESS);
    uint32_t count = 0;
    ASSERT_EQ(gentl.TLGetNumInterfaces(tl, &count), GC_ERR_SUCCESS);
    std::string interfaceId;
    for (uint32_t i = 0; i < count && interfaceId.empty(); ++i) {
        char id[256] = {};
        size_t size = sizeof id;
        ASSERT_EQ(gentl.TLGetInterfaceID(tl, i, id, &size), GC_ERR_SUCCESS);
        if (Text(InterfaceInfoOfTL(tl, id, INTERFACE_INFO_TLTYPE)) == "GEV") interfaceId = id;
    }
    ASSERT_EQ(interfaceId, kGevInterface);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, interfaceId.c_str(), &iface), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 1000), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.IFGetNumDevices(iface, &count), GC_ERR_SUCCESS);
    ASSERT_GE(count, 1u);
    char deviceId[256] = {};
    size_t size = sizeof deviceId;
    ASSERT_EQ(gentl.IFGetDeviceID(iface, 0, deviceId, &size), GC_ERR_SUCCESS);
    ASSERT_STREQ(deviceId, kCam1001);
    DEV_HANDLE dev = nullptr;
    ASSERT_EQ(gentl.IFOpenDevice(iface, deviceId, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS) << LastErrorText();
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);

    // Set the image format through the camera's registers, as GenApi features would.
    WriteRegister<uint32_t>(port, Reg::kWidth, options.width);
    WriteRegister<uint32_t>(port, Reg::kHeight, options.height);
    WriteRegister<uint32_t>(port, Reg::kPixelFormat, options.pixelFormat);
    WriteRegister<double>(port, Reg::kAcquisitionFrameRate, Sim::kMaxFrameRate);
    const size_t bytesPerPixel = BytesPerPixel(options.pixelFormat);
    const size_t imageBytes = size_t{options.width} * options.height * bytesPerPixel;

    ASSERT_EQ(gentl.DevGetNumDataStreams(dev, &count), GC_ERR_SUCCESS);
    ASSERT_GE(count, 1u);
    char streamId[64] = {};
    size = sizeof streamId;
    ASSERT_EQ(gentl.DevGetDataStreamID(dev, 0, streamId, &size), GC_ERR_SUCCESS);
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(dev, streamId, &ds), GC_ERR_SUCCESS) << LastErrorText();
    const size_t payload = static_cast<size_t>(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64));
    ASSERT_EQ(payload, imageBytes);

    // Announce and queue; every buffer carries its own user pointer.
    std::vector<std::vector<unsigned char>> memory(options.consumerMemory ? options.buffers : 0);
    std::map<BUFFER_HANDLE, size_t> indexOf;
    std::vector<void*> bases;
    for (size_t i = 0; i < options.buffers; ++i) {
        void* const user = reinterpret_cast<void*>(0xB000 + i);
        BUFFER_HANDLE buffer = nullptr;
        if (options.consumerMemory) {
            memory[i].assign(payload, 0);
            ASSERT_EQ(gentl.DSAnnounceBuffer(ds, memory[i].data(), payload, user, &buffer), GC_ERR_SUCCESS);
        } else {
            ASSERT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, payload, user, &buffer), GC_ERR_SUCCESS);
        }
        indexOf[buffer] = i;
        bases.push_back(Value<void*>(BufInfo(ds, buffer, BUFFER_INFO_BASE), INFO_DATATYPE_PTR));
        if (options.consumerMemory) {
            ASSERT_EQ(bases.back(), memory[i].data());
        }
        ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    }
    ASSERT_EQ(indexOf.size(), options.buffers);
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 1);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS) << LastErrorText();
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStart, Sim::kCommandValue);
    EXPECT_TRUE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));

    uint64_t lastFrameId = 0;
    uint64_t lastTimestamp = 0;
    const bool failedBefore = HasFailure();
    for (size_t frame = 0; frame < options.frames; ++frame) {
        EVENT_NEW_BUFFER_DATA data{};
        size = sizeof data;
        ASSERT_EQ(gentl.EventGetData(event, &data, &size, kLongWaitMs), GC_ERR_SUCCESS)
            << "frame " << frame << ": " << LastErrorText();
        ASSERT_EQ(size, sizeof data);
        // Copied out by value: the event data is byte-packed.
        const BUFFER_HANDLE buffer = data.BufferHandle;
        void* const user = data.pUserPointer;
        const auto found = indexOf.find(buffer);
        ASSERT_NE(found, indexOf.end()) << "frame " << frame << " came in a buffer never announced";
        EXPECT_EQ(user, reinterpret_cast<void*>(0xB000 + found->second));
        auto sizet = [&](BUFFER_INFO_CMD command) {
            return Value<size_t>(BufInfo(ds, buffer, command), INFO_DATATYPE_SIZET);
        };
        auto u64 = [&](BUFFER_INFO_CMD command) {
            return Value<uint64_t>(BufInfo(ds, buffer, command), INFO_DATATYPE_UINT64);
        };

        EXPECT_EQ(sizet(BUFFER_INFO_WIDTH), options.width);
        EXPECT_EQ(sizet(BUFFER_INFO_HEIGHT), options.height);
        EXPECT_EQ(u64(BUFFER_INFO_PIXELFORMAT), options.pixelFormat);
        EXPECT_EQ(sizet(BUFFER_INFO_SIZE_FILLED), imageBytes);
        EXPECT_EQ(sizet(BUFFER_INFO_SIZE), payload);
        EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_INCOMPLETE)));
        EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IMAGEPRESENT)));
        EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_NEW_DATA)));
        EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_QUEUED)));
        EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_DATA_LARGER_THAN_BUFFER)));
        EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_CONTAINS_CHUNKDATA)));
        EXPECT_EQ(sizet(BUFFER_INFO_XOFFSET) + sizet(BUFFER_INFO_YOFFSET), 0u);
        EXPECT_EQ(sizet(BUFFER_INFO_XPADDING) + sizet(BUFFER_INFO_YPADDING), 0u);
        EXPECT_EQ(sizet(BUFFER_INFO_IMAGEOFFSET), 0u);
        EXPECT_EQ(sizet(BUFFER_INFO_DELIVERED_IMAGEHEIGHT), options.height);
        EXPECT_EQ(sizet(BUFFER_INFO_DATA_SIZE), imageBytes);
        EXPECT_EQ(sizet(BUFFER_INFO_PAYLOADTYPE), static_cast<size_t>(PAYLOAD_TYPE_IMAGE));
        EXPECT_EQ(u64(BUFFER_INFO_PIXELFORMAT_NAMESPACE), static_cast<uint64_t>(PIXELFORMAT_NAMESPACE_PFNC_32BIT));
        EXPECT_EQ(Value<int32_t>(BufInfo(ds, buffer, BUFFER_INFO_PIXEL_ENDIANNESS), INFO_DATATYPE_INT32),
                  PIXELENDIANNESS_LITTLE);
        EXPECT_EQ(Text(BufInfo(ds, buffer, BUFFER_INFO_TLTYPE)), "Mixed");

        // Frame IDs count up by one, timestamps (ticks of 1 ns) rise.
        const uint64_t frameId = u64(BUFFER_INFO_FRAMEID);
        const uint64_t timestamp = u64(BUFFER_INFO_TIMESTAMP_NS);
        EXPECT_EQ(u64(BUFFER_INFO_TIMESTAMP), timestamp);
        if (frame == 0) {
            EXPECT_GE(frameId, 1u);
        } else {
            EXPECT_EQ(frameId, lastFrameId + 1)
                << "frame " << frame << "; images dropped for want of a buffer so far: "
                << Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_UNDERRUN), INFO_DATATYPE_UINT64);
            EXPECT_GT(timestamp, lastTimestamp) << "frame " << frame;
        }
        lastFrameId = frameId;
        lastTimestamp = timestamp;

        // The image itself: the frame ID in its first 8 bytes, the test pattern elsewhere.
        const auto* image = static_cast<const unsigned char*>(bases[found->second]);
        uint64_t stamped = 0;
        std::memcpy(&stamped, image, sizeof stamped);
        EXPECT_EQ(stamped, frameId) << "frame " << frame;
        for (const auto& [x, y] : {std::pair<uint64_t, uint64_t>{options.width / 2, options.height / 2},
                                   {options.width - 1, options.height - 1}}) {
            const auto expected = PatternPixel(options.pixelFormat, x, y, frameId);
            const unsigned char* pixel = image + (y * options.width + x) * bytesPerPixel;
            EXPECT_EQ(std::vector<unsigned char>(pixel, pixel + bytesPerPixel), expected)
                << "pixel " << x << "," << y << " of frame " << frame;
        }

        ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS) << LastErrorText();
        if (HasFailure() && !failedBefore) {
            ADD_FAILURE() << "stopped checking at frame " << frame;
            break;
        }
    }
    EXPECT_GE(Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_DELIVERED), INFO_DATATYPE_UINT64), options.frames);

    // Stop in the order consumers use, then take everything down.
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStop, Sim::kCommandValue);
    ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_FALSE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 0);
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    size_t revoked = 0;
    BUFFER_HANDLE buffer = nullptr;
    while (gentl.DSGetBufferID(ds, 0, &buffer) == GC_ERR_SUCCESS) {
        void* base = nullptr;
        void* user = nullptr;
        ASSERT_EQ(gentl.DSRevokeBuffer(ds, buffer, &base, &user), GC_ERR_SUCCESS) << LastErrorText();
        ASSERT_EQ(indexOf.count(buffer), 1u);
        EXPECT_EQ(user, reinterpret_cast<void*>(0xB000 + indexOf[buffer]));
        EXPECT_EQ(base, bases[indexOf[buffer]]);
        ASSERT_LE(++revoked, options.buffers);
    }
    EXPECT_EQ(LastErrorCode(), GC_ERR_INVALID_ID);
    EXPECT_EQ(revoked, options.buffers);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DevClose(dev), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);

    // The camera saw one acquisition and was handed back.
    const Sim::CameraStatus status = Sim::GetCameraStatus(kCam1001);
    EXPECT_FALSE(status.connected);
    EXPECT_FALSE(status.acquiring);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::StartGrab), 1u);
    const auto log = Sim::CallLog(kCam1001);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<Sim::CameraCall>(log.end() - 3, log.end()),
              (std::vector<Sim::CameraCall>{Sim::CameraCall::CloseStream, Sim::CameraCall::QueryPrepareClose,
                                            Sim::CameraCall::CloseDevice}));
}

TEST_F(ConsumerRoad, ThousandFramesThroughTheCInterface) { RunRoad({}); }

TEST_F(ConsumerRoad, ConsumerMemoryMono16) {
    RoadOptions options;
    options.pixelFormat = Sim::PixelFormat::kMono16;
    options.consumerMemory = true;
    options.frames = 200;
    RunRoad(options);
}

TEST_F(ConsumerRoad, Rgb8WithAnOddSize) {
    RoadOptions options;
    options.pixelFormat = Sim::PixelFormat::kRGB8;
    options.width = 68;
    options.height = 34;
    options.frames = 200;
    RunRoad(options);
}

class ConsumerAcquisition : public ConsumerTest {
protected:
    void SetUp() override {
        ConsumerTest::SetUp();
        cam = OpenCamera();
        ASSERT_TRUE(cam);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
        payload = PayloadSize(ds);
        event = RegisterEvent(ds, EVENT_NEW_BUFFER);
    }

    uint64_t Counter(STREAM_INFO_CMD command) { return Value<uint64_t>(DSInfo(ds, command), INFO_DATATYPE_UINT64); }
    bool Grabbing() { return Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)); }

    Camera cam;
    DS_HANDLE ds = nullptr;
    size_t payload = 0;
    EVENT_HANDLE event = nullptr;
};

TEST_F(ConsumerAcquisition, CountedAcquisitionEndsByItself) {
    const auto buffers = AllocAndQueue(ds, 3, payload);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, 3), GC_ERR_SUCCESS);
    for (int i = 0; i < 3; ++i) {
        const Delivery next = NextBuffer(event);
        ASSERT_EQ(next.result, GC_ERR_SUCCESS) << i << ": " << LastErrorText();
        EXPECT_EQ(next.buffer, buffers[i]) << "buffers are filled in queue order";
    }
    EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 3u);

    // Once ended, it starts again with fresh counters.
    for (const BUFFER_HANDLE b : buffers) ASSERT_EQ(gentl.DSQueueBuffer(ds, b), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_EQ(NextBuffer(event).result, GC_ERR_SUCCESS);
    EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 1u);
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);

    // Nothing to acquire: the loop ends before any image.
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, 0), GC_ERR_SUCCESS);
    EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 0u);
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(ConsumerAcquisition, StartWhileGrabbingAndStopWithoutStart) {
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::StopGrab), 1u);

    AllocAndQueue(ds, 2, payload);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    EXPECT_TRUE(Sim::GetCameraStatus(kCam1001).acquiring);
    EXPECT_EQ(Failure(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE)),
              Failed(GC_ERR_ERROR, "Acq Resource in use"));
    // The kill flag stops like the default one.
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_KILL), GC_ERR_SUCCESS);
    EXPECT_FALSE(Grabbing());
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);

    Sim::InjectFault({Sim::Operation::StartGrab, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE)),
              Failed(GC_ERR_ERROR, "Unable to start acquisition"));
    EXPECT_FALSE(Grabbing());
    Sim::InjectFault({Sim::Operation::StopGrab, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT)),
              Failed(GC_ERR_IO, "Unable to stop acquisition"));
}

TEST_F(ConsumerAcquisition, ImagesWithoutBuffersAreCountedAsUnderruns) {
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    EXPECT_TRUE(Eventually([&] { return Counter(STREAM_INFO_NUM_UNDERRUN) > 0; }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 0u);
    EXPECT_EQ(NextBuffer(event, 0).result, GC_ERR_TIMEOUT);

    // A buffer queued now is filled.
    const BUFFER_HANDLE buffer = AllocAndQueue(ds, 1, payload)[0];
    const Delivery next = NextBuffer(event);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(next.buffer, buffer);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 1u);
    EXPECT_GT(Value<int64_t>(DSInfo(ds, STREAM_INFO_NUM_STARTED), INFO_DATATYPE_INT64), 1);
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(ConsumerAcquisition, BufferTooSmallForTheImage) {
    const BUFFER_HANDLE buffer = AllocAndQueue(ds, 1, payload / 2)[0];
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    const Delivery next = NextBuffer(event);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_EQ(next.buffer, buffer);
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_INCOMPLETE)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IMAGEPRESENT)));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET), 0u);
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_DATA_LARGER_THAN_BUFFER)));
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(ConsumerAcquisition, FailedStreamIsReportedByTheWait) {
    AllocAndQueue(ds, 2, payload);
    Sim::InjectFault({Sim::Operation::GrabImage, Tevold::kGrabStreamFailed, Sim::kUntilCleared, kCam1001});
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
    EXPECT_EQ(NextBuffer(event, 10).result, GC_ERR_ERROR);
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(ConsumerAcquisition, CameraUnpluggedWhileAcquiring) {
    AllocAndQueue(ds, 3, payload);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    Delivery next = NextBuffer(event);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSQueueBuffer(ds, next.buffer), GC_ERR_SUCCESS);

    Sim::RemoveCamera(kCam1001);
    // Buffers already delivered may still come; then the wait reports the failed stream.
    for (int i = 0; i < 10 && next.result == GC_ERR_SUCCESS; ++i) next = NextBuffer(event, 200);
    EXPECT_EQ(next.result, GC_ERR_ERROR);
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
}

TEST_F(ConsumerAcquisition, ClosingWhileAcquiringTakesEverythingDown) {
    AllocAndQueue(ds, 4, payload);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    ASSERT_EQ(NextBuffer(event).result, GC_ERR_SUCCESS);
    // One buffer delivered and held, others queued or waiting: the stream closes anyway.
    ASSERT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::CloseStream), 1u);

    // And a device closes with a running acquisition on it.
    ds = OpenStream(cam.dev);
    event = RegisterEvent(ds, EVENT_NEW_BUFFER);
    AllocAndQueue(ds, 2, payload);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    ASSERT_EQ(NextBuffer(event).result, GC_ERR_SUCCESS);
    ASSERT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);
}

}  // namespace
}  // namespace consumer
