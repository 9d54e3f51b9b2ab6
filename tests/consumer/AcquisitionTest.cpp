// Acquisition the way applications drive it: the whole road from GCInitLib to GCCloseLib, with
// the cameras listed on one system handle and opened by the listed IDs on another, and every
// delivered image checked; a cautious consumer that probes access modes and closes a device
// before its stream; and the ways an acquisition ends, fails or is cut short.
#include <cstring>
#include <map>
#include <tuple>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

struct RoadOptions {
    const char* name = "Mono8";
    uint32_t pixelFormat = Sim::PixelFormat::kMono8;
    uint32_t width = 160;
    uint32_t height = 120;
    size_t frames = 1000;
    bool consumerMemory = false;
};

void PrintTo(const RoadOptions& options, std::ostream* out) { *out << options.name; }

// Enough buffers that a consumer held up for tens of milliseconds still has one queued for every
// image: frame IDs then count up without gaps.
constexpr size_t kRoadBuffers = 64;

// Nothing opened up front: the road itself opens and closes everything, GCInitLib included.
// The camera runs paced at its top frame rate, as a real one does: without pacing it makes an
// image whenever asked, and every image asked for while no buffer is queued is dropped, so frame
// IDs would skip.
class ConsumerRoad : public ::testing::TestWithParam<RoadOptions> {
protected:
    void SetUp() override {
        Sim::Reset();
        Sim::SetPacing(true);
    }
    void TearDown() override { gentl.GCCloseLib(); }

    GenTLProducer& gentl = Gentl();
};

TEST_P(ConsumerRoad, EveryFrameThroughTheCInterface) {
    const RoadOptions& options = GetParam();
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);

    // List every camera through one system handle and close it, keeping the IDs and serials.
    std::vector<std::tuple<std::string, std::string, std::string>> listed;
    TL_HANDLE lister = nullptr;
    ASSERT_EQ(gentl.TLOpen(&lister), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.TLUpdateInterfaceList(lister, nullptr, 1000), GC_ERR_SUCCESS);
    for (const std::string& interfaceId : InterfaceIds(lister)) {
        IF_HANDLE iface = nullptr;
        ASSERT_EQ(gentl.TLOpenInterface(lister, interfaceId.c_str(), &iface), GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 1000), GC_ERR_SUCCESS);
        for (const std::string& deviceId : DeviceIds(iface))
            listed.emplace_back(
                interfaceId, deviceId,
                Text(DeviceInfoOfIF(iface, deviceId.c_str(), DEVICE_INFO_SERIAL_NUMBER)));
        ASSERT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    }
    ASSERT_EQ(gentl.TLClose(lister), GC_ERR_SUCCESS);
    ASSERT_EQ(listed.size(), 4u);
    const auto& [interfaceId, deviceId, serial] = listed[0];
    ASSERT_EQ(deviceId, kCam1001);

    // Open the first camera by those IDs through a new handle on which nothing was listed.
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, interfaceId.c_str(), &iface), GC_ERR_SUCCESS)
        << LastErrorText();
    DEV_HANDLE dev = nullptr;
    ASSERT_EQ(gentl.IFOpenDevice(iface, deviceId.c_str(), DEVICE_ACCESS_CONTROL, &dev),
              GC_ERR_SUCCESS)
        << LastErrorText();
    EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_SERIAL_NUMBER)), serial);
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);

    // Set the image format through the camera's registers, as GenApi features would.
    WriteRegister<uint32_t>(port, Reg::kWidth, options.width);
    WriteRegister<uint32_t>(port, Reg::kHeight, options.height);
    WriteRegister<uint32_t>(port, Reg::kPixelFormat, options.pixelFormat);
    WriteRegister<double>(port, Reg::kAcquisitionFrameRate, Sim::kMaxFrameRate);
    // The simulator's own rendering of an image with these settings.
    const size_t imageBytes = Sim::ReferenceImage(deviceId, 1).size();

    uint32_t count = 0;
    ASSERT_EQ(gentl.DevGetNumDataStreams(dev, &count), GC_ERR_SUCCESS);
    ASSERT_GE(count, 1u);
    char streamId[64] = {};
    size_t size = sizeof streamId;
    ASSERT_EQ(gentl.DevGetDataStreamID(dev, 0, streamId, &size), GC_ERR_SUCCESS);
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(dev, streamId, &ds), GC_ERR_SUCCESS) << LastErrorText();
    const size_t payload =
        static_cast<size_t>(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64));
    ASSERT_EQ(payload, imageBytes);

    // Announce and queue; every buffer carries its own user pointer.
    std::vector<std::vector<unsigned char>> memory(kRoadBuffers,
                                                   std::vector<unsigned char>(payload));
    std::map<BUFFER_HANDLE, size_t> indexOf;
    std::vector<void*> bases;
    for (size_t i = 0; i < kRoadBuffers; ++i) {
        void* const user = reinterpret_cast<void*>(0xB000 + i);
        BUFFER_HANDLE buffer = nullptr;
        if (options.consumerMemory) {
            ASSERT_EQ(gentl.DSAnnounceBuffer(ds, memory[i].data(), payload, user, &buffer),
                      GC_ERR_SUCCESS);
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
    ASSERT_EQ(indexOf.size(), kRoadBuffers);
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 1);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStart, Sim::kCommandValue);
    EXPECT_TRUE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));

    // What every filled buffer reports, whatever its image.
    const std::pair<BUFFER_INFO_CMD, size_t> sizes[] = {
        {BUFFER_INFO_WIDTH, options.width},
        {BUFFER_INFO_HEIGHT, options.height},
        {BUFFER_INFO_SIZE_FILLED, imageBytes},
        {BUFFER_INFO_SIZE, payload},
        {BUFFER_INFO_XOFFSET, 0},
        {BUFFER_INFO_YOFFSET, 0},
        {BUFFER_INFO_XPADDING, 0},
        {BUFFER_INFO_YPADDING, 0},
        {BUFFER_INFO_IMAGEOFFSET, 0},
        {BUFFER_INFO_DELIVERED_IMAGEHEIGHT, options.height},
        {BUFFER_INFO_DATA_SIZE, imageBytes},
        {BUFFER_INFO_PAYLOADTYPE, size_t{PAYLOAD_TYPE_IMAGE}}};
    const std::pair<BUFFER_INFO_CMD, bool> flags[] = {{BUFFER_INFO_IS_INCOMPLETE, false},
                                                      {BUFFER_INFO_IMAGEPRESENT, true},
                                                      {BUFFER_INFO_NEW_DATA, true},
                                                      {BUFFER_INFO_IS_QUEUED, false},
                                                      {BUFFER_INFO_DATA_LARGER_THAN_BUFFER, false},
                                                      {BUFFER_INFO_CONTAINS_CHUNKDATA, false}};

    uint64_t firstFrameId = 0;
    uint64_t lastFrameId = 0;
    uint64_t lastTimestamp = 0;
    // One broken frame is reported, not a thousand.
    const bool failedBefore = HasFailure();
    for (size_t frame = 0; frame < options.frames && HasFailure() == failedBefore; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const Delivery next = NextBuffer(event);
        ASSERT_EQ(next.result, GC_ERR_SUCCESS) << LastErrorText();
        const BUFFER_HANDLE buffer = next.buffer;
        const auto found = indexOf.find(buffer);
        ASSERT_NE(found, indexOf.end()) << "a buffer never announced";
        EXPECT_EQ(next.user, reinterpret_cast<void*>(0xB000 + found->second));
        auto u64 = [&](BUFFER_INFO_CMD c) {
            return Value<uint64_t>(BufInfo(ds, buffer, c), INFO_DATATYPE_UINT64);
        };
        for (const auto& [command, expected] : sizes) {
            EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, command), INFO_DATATYPE_SIZET), expected)
                << command;
        }
        for (const auto& [command, expected] : flags) {
            EXPECT_EQ(Flag(BufInfo(ds, buffer, command)), expected) << command;
        }
        EXPECT_EQ(u64(BUFFER_INFO_PIXELFORMAT), options.pixelFormat);
        EXPECT_EQ(u64(BUFFER_INFO_PIXELFORMAT_NAMESPACE),
                  uint64_t{PIXELFORMAT_NAMESPACE_PFNC_32BIT});
        EXPECT_EQ(
            Value<int32_t>(BufInfo(ds, buffer, BUFFER_INFO_PIXEL_ENDIANNESS), INFO_DATATYPE_INT32),
            PIXELENDIANNESS_LITTLE);
        EXPECT_EQ(Text(BufInfo(ds, buffer, BUFFER_INFO_TLTYPE)), "Mixed");

        // Frame IDs count up by one, timestamps (ticks of 1 ns) rise. The only frame IDs a
        // delivery may skip are those of images the camera made while no buffer was queued, each
        // one an underrun: a consumer slower than the camera (as under emulation) sees them.
        const uint64_t frameId = u64(BUFFER_INFO_FRAMEID);
        const uint64_t timestamp = u64(BUFFER_INFO_TIMESTAMP_NS);
        EXPECT_EQ(u64(BUFFER_INFO_TIMESTAMP), timestamp);
        if (frame == 0) firstFrameId = frameId;
        if (frame > 0) {
            EXPECT_GT(frameId, lastFrameId);
            EXPECT_LE(frameId - firstFrameId - frame,
                      Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_UNDERRUN), INFO_DATATYPE_UINT64));
            EXPECT_GT(timestamp, lastTimestamp);
        }
        lastFrameId = frameId;
        lastTimestamp = timestamp;

        // The image itself: the frame ID in its first 8 bytes, the test pattern elsewhere,
        // byte for byte as the camera renders that frame.
        const auto* image = static_cast<const unsigned char*>(bases[found->second]);
        uint64_t stamped = 0;
        std::memcpy(&stamped, image, sizeof stamped);
        EXPECT_EQ(stamped, frameId);
        EXPECT_TRUE(
            std::equal(image, image + imageBytes, Sim::ReferenceImage(deviceId, frameId).begin()))
            << "frame " << frameId;
        ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS) << LastErrorText();
    }
    EXPECT_GE(Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_DELIVERED), INFO_DATATYPE_UINT64),
              options.frames);

    // Stop in the order consumers use, then take everything down.
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStop, Sim::kCommandValue);
    ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS)
        << LastErrorText();
    EXPECT_FALSE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 0);
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    size_t revoked = 0;
    BUFFER_HANDLE buffer = nullptr;
    while (gentl.DSGetBufferID(ds, 0, &buffer) == GC_ERR_SUCCESS) {
        void* base = nullptr;
        void* user = nullptr;
        ASSERT_EQ(gentl.DSRevokeBuffer(ds, buffer, &base, &user), GC_ERR_SUCCESS)
            << LastErrorText();
        ASSERT_EQ(indexOf.count(buffer), 1u);
        EXPECT_EQ(user, reinterpret_cast<void*>(0xB000 + indexOf[buffer]));
        EXPECT_EQ(base, bases[indexOf[buffer]]);
        ASSERT_LE(++revoked, kRoadBuffers);
    }
    EXPECT_EQ(LastErrorCode(), GC_ERR_INVALID_ID);
    EXPECT_EQ(revoked, kRoadBuffers);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DevClose(dev), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);

    // The camera saw one acquisition and was handed back.
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::StartGrab), 1u);
    ExpectClosedInOrder(kCam1001);
}

// A thousand Mono8 frames in library memory; then wider pixels in the consumer's own memory, and
// RGB8 at a size that is no multiple of anything convenient.
const RoadOptions kRoads[] = {
    {},
    {"Mono16InConsumerMemory", Sim::PixelFormat::kMono16, 160, 120, 200, true},
    {"Rgb8OddSize", Sim::PixelFormat::kRGB8, 68, 34, 200, false}};
INSTANTIATE_TEST_SUITE_P(Formats, ConsumerRoad, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

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

using ConsumerAcquisition = ConsumerStreamTest;

TEST_F(ConsumerAcquisition, CountedAcquisitionEndsByItself) {
    const auto buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    ASSERT_EQ(Start(3), GC_ERR_SUCCESS);
    for (int i = 0; i < 3; ++i) {
        const Delivery next = NextBuffer(newBuffer);
        ASSERT_EQ(next.result, GC_ERR_SUCCESS) << i << ": " << LastErrorText();
        EXPECT_EQ(next.buffer, buffers[i]) << "buffers are filled in queue order";
    }
    EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 3u);
    EXPECT_EQ(Started(), 3);

    // Once ended, it starts again with fresh counters; with nothing to acquire it ends at once.
    for (const BUFFER_HANDLE b : buffers) ASSERT_EQ(gentl.DSQueueBuffer(ds, b), GC_ERR_SUCCESS);
    for (const uint64_t frames : {uint64_t{1}, uint64_t{0}}) {
        ASSERT_EQ(Start(frames), GC_ERR_SUCCESS) << LastErrorText();
        if (frames > 0) {
            ASSERT_EQ(NextBuffer(newBuffer).result, GC_ERR_SUCCESS);
        }
        EXPECT_TRUE(Eventually([&] { return !Grabbing(); }));
        EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), frames);
        EXPECT_EQ(Started(), static_cast<int64_t>(frames));
        EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
    }
}

TEST_F(ConsumerAcquisition, StartWhileGrabbingAndStopWithoutStart) {
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_EQ(Sim::CountCalls(kCam1001, Sim::CameraCall::StopGrab), 1u);

    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_TRUE(Sim::GetCameraStatus(kCam1001).acquiring);
    EXPECT_EQ(Failure(Start()), Failed(GC_ERR_ERROR, "Acq Resource in use"));
    // The kill flag stops like the default one.
    EXPECT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_KILL), GC_ERR_SUCCESS);
    EXPECT_FALSE(Grabbing());
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).acquiring);

    Sim::InjectFault({Sim::Operation::StartGrab, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(Start()), Failed(GC_ERR_ERROR, "Unable to start acquisition"));
    EXPECT_FALSE(Grabbing());
    Sim::InjectFault({Sim::Operation::StopGrab, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(Stop()), Failed(GC_ERR_IO, "Unable to stop acquisition"));
}

// A stop while the acquisition waits for a slow camera's next image ends that grab: the buffer
// it was for goes back to the input queue, and the next start fills it first.
TEST_F(ConsumerAcquisition, StopEndsAGrabWaitingForTheNextImage) {
    Sim::SetPacing(true);
    Sim::SetFrameRate(kCam1001, Sim::kMinFrameRate);
    const auto buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ASSERT_EQ(NextBuffer(newBuffer).buffer, buffers[0]) << LastErrorText();
    // The second image is a second away; the stop does not wait for it.
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_FALSE(Grabbing());
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 1u);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 1u);

    Sim::SetPacing(false);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_EQ(NextBuffer(newBuffer).buffer, buffers[1]) << LastErrorText();
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
}

// Images without a buffer are counted and dropped; one too large for its buffer is delivered
// as incomplete; a buffer queued later is filled as usual.
TEST_F(ConsumerAcquisition, UnderrunsAndABufferTooSmallForTheImage) {
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_TRUE(Eventually([&] { return Counter(STREAM_INFO_NUM_UNDERRUN) > 0; }));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 0u);
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);

    const BUFFER_HANDLE small = AllocAndQueue(ds, 1, PayloadSize(ds) / 2)[0];
    ASSERT_EQ(NextBuffer(newBuffer).buffer, small) << LastErrorText();
    EXPECT_TRUE(Flag(BufInfo(ds, small, BUFFER_INFO_IS_INCOMPLETE)));
    EXPECT_FALSE(Flag(BufInfo(ds, small, BUFFER_INFO_IMAGEPRESENT)));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, small, BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET), 0u);
    EXPECT_TRUE(Flag(BufInfo(ds, small, BUFFER_INFO_DATA_LARGER_THAN_BUFFER)));

    const BUFFER_HANDLE buffer = AllocAndQueue(ds, 1, PayloadSize(ds))[0];
    ASSERT_EQ(NextBuffer(newBuffer).buffer, buffer) << LastErrorText();
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IMAGEPRESENT)));
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 2u);
    EXPECT_GT(Started(), 2);
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
}

// A stream the camera library fails, and a camera unplugged mid-acquisition: either way the
// acquisition ends, a wait without limit ends at once with the failure, and the stream's error
// event tells.
TEST_F(ConsumerAcquisition, FailedStreamAndUnpluggedCameraEndTheWait) {
    const EVENT_HANDLE errors = RegisterEvent(ds, EVENT_ERROR);
    const ErrorEntry failurePosted{GC_ERR_IO, "Acquisition ended: the camera stream failed"};
    AllocAndQueue(ds, 3, PayloadSize(ds));
    Sim::InjectFault(
        {Sim::Operation::GrabImage, Tevold::kGrabStreamFailed, Sim::kUntilCleared, kCam1001});
    auto waiter = WaitOnThread(newBuffer);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "a wait on a failed stream"), GC_ERR_ERROR);
    EXPECT_FALSE(Grabbing());
    EXPECT_EQ(NextBuffer(newBuffer, GENTL_INFINITE).result, GC_ERR_ERROR);
    EXPECT_EQ(NextError(errors), failurePosted);
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);

    Sim::ClearFaults();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS) << LastErrorText();
    const Delivery next = NextBuffer(newBuffer);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_EQ(gentl.DSQueueBuffer(ds, next.buffer), GC_ERR_SUCCESS);
    Sim::RemoveCamera(kCam1001);
    EXPECT_EQ(WaitPastDeliveredBuffers(), GC_ERR_ERROR);
    EXPECT_EQ(NextError(errors), failurePosted);
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);
}

}  // namespace
}  // namespace consumer
