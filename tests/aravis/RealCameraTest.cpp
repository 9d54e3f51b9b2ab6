// The producer with the camera library's GigE Vision backend on: Aravis's fake camera on
// loopback, reached only through the producer's exported C functions, inside a network namespace
// of the test's own.
#include <arpa/inet.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <optional>
#include <set>
#include <thread>

#include "FakeGevCamera.h"
#include "GvspSender.h"
#include "KavrinTL.h"
#include "PrivateNetwork.h"
#include "consumer/ConsumerFixture.h"
#include "grab/ToolProcess.h"
#include "tools/CameraFeatures.h"
#include "tools/DeviceDescription.h"

namespace aravis_tests {
namespace {

using namespace consumer;

constexpr const char* kLoopback = "GEV::lo";
constexpr uint64_t kDiscoveryMs = 300;
constexpr uint32_t kMono8 = 0x01080001;
// The fake camera's Width register (big-endian, as every GigE Vision register).
constexpr uint64_t kWidthRegister = ARV_FAKE_CAMERA_REGISTER_WIDTH;
constexpr uint64_t kHeightRegister = ARV_FAKE_CAMERA_REGISTER_HEIGHT;
// Small images at a modest rate: every one arrives complete, also under the sanitizers.
constexpr uint32_t kFrameRate = 50;
constexpr uint32_t kWidth = 640;
constexpr uint32_t kHeight = 64;
// A camera lost mid-grab ends every wait within this, whatever the wait's own timeout.
constexpr std::chrono::seconds kLossBound{2};
// A wait that only the camera's loss can end in time.
constexpr uint64_t kLongWaitMs = 60000;
// Closing what a lost camera leaves never hangs.
constexpr std::chrono::seconds kTeardownLimit{30};

// Milliseconds from since until the given bound after it; 0 once the bound has passed.
uint64_t MsLeft(std::chrono::steady_clock::time_point since, std::chrono::milliseconds bound) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        since + bound - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<uint64_t>(left.count()) : 0;
}

long long MsSince(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 since)
        .count();
}

// The camera says the payload size (custom command 1001); the stream does not define one.
size_t PayloadSize(DS_HANDLE ds) {
    return Value<uint64_t>(DSInfo(ds, static_cast<STREAM_INFO_CMD>(1001)), INFO_DATATYPE_UINT64);
}

std::vector<BUFFER_HANDLE> AllocAndQueue(DS_HANDLE ds, uint32_t count, size_t size) {
    std::vector<BUFFER_HANDLE> buffers(count);
    for (BUFFER_HANDLE& buffer : buffers) {
        EXPECT_EQ(Gentl().DSAllocAndAnnounceBuffer(ds, size, nullptr, &buffer), GC_ERR_SUCCESS);
        EXPECT_EQ(Gentl().DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    }
    return buffers;
}

// The next image, which must be complete, queued again at once.
void ReceiveComplete(DS_HANDLE ds, EVENT_HANDLE newBuffer, int count) {
    for (int image = 0; image < count; ++image) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << "image " << image << ": " << LastErrorText();
        EXPECT_FALSE(Flag(BufInfo(ds, delivery.buffer, BUFFER_INFO_IS_INCOMPLETE)));
        ASSERT_EQ(Gentl().DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
}

// A packet counter of the stream (include/KavrinTL.h).
uint64_t Packets(DS_HANDLE ds, int command) {
    return Value<uint64_t>(DSInfo(ds, static_cast<STREAM_INFO_CMD>(command)), INFO_DATATYPE_UINT64);
}

// Revokes, and so frees, every buffer of the stream, waiting for one that a grab still holds.
void RevokeAll(DS_HANDLE ds) {
    EXPECT_TRUE(Eventually([&] {
        BUFFER_HANDLE buffer = nullptr;
        while (Gentl().DSGetBufferID(ds, 0, &buffer) == GC_ERR_SUCCESS)
            if (Gentl().DSRevokeBuffer(ds, buffer, nullptr, nullptr) != GC_ERR_SUCCESS)
                return false;
        return true;
    }));
}

class RealCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PrivateNetworkUnavailable().empty()) GTEST_SKIP() << PrivateNetworkUnavailable();
        fake_.emplace();
        ASSERT_TRUE(fake_->IsRunning());
        fake_->SetFrameRate(kFrameRate);
        setenv("KAVRIN_TRANSPORTS", "sim,gev,u3v", 1);
        setenv("KAVRIN_GEV_INTERFACES", "lo", 1);
        ASSERT_EQ(Gentl().GCInitLib(), GC_ERR_SUCCESS);
    }

    void TearDown() override {
        Gentl().GCCloseLib();
        unsetenv("KAVRIN_TRANSPORTS");
        unsetenv("KAVRIN_GEV_INTERFACES");
    }

    TL_HANDLE OpenSystem() {
        TL_HANDLE tl = nullptr;
        EXPECT_EQ(Gentl().TLOpen(&tl), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(Gentl().TLUpdateInterfaceList(tl, nullptr, kDiscoveryMs), GC_ERR_SUCCESS);
        return tl;
    }

    IF_HANDLE OpenLoopback() {
        IF_HANDLE iface = nullptr;
        EXPECT_EQ(Gentl().TLOpenInterface(OpenSystem(), kLoopback, &iface), GC_ERR_SUCCESS)
            << LastErrorText();
        EXPECT_EQ(Gentl().IFUpdateDeviceList(iface, nullptr, kDiscoveryMs), GC_ERR_SUCCESS);
        return iface;
    }

    // The fake camera opened with control, and its remote device port.
    std::pair<DEV_HANDLE, PORT_HANDLE> OpenCamera() {
        DEV_HANDLE dev = nullptr;
        PORT_HANDLE port = nullptr;
        EXPECT_EQ(Gentl().IFOpenDevice(OpenLoopback(), FakeGevCamera::kDeviceId,
                                       DEVICE_ACCESS_CONTROL, &dev),
                  GC_ERR_SUCCESS)
            << LastErrorText();
        EXPECT_EQ(Gentl().DevGetPort(dev, &port), GC_ERR_SUCCESS);
        return {dev, port};
    }

    // A stream with bufferCount buffers of the payload size and slack bytes more queued, and the
    // new-buffer event registered, acquiring.
    std::pair<DS_HANDLE, EVENT_HANDLE> StartStream(DEV_HANDLE dev, uint32_t bufferCount,
                                                   size_t slack = 0) {
        DS_HANDLE ds = nullptr;
        EXPECT_EQ(Gentl().DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS) << LastErrorText();
        AllocAndQueue(ds, bufferCount, PayloadSize(ds) + slack);
        EVENT_HANDLE newBuffer = nullptr;
        EXPECT_EQ(Gentl().GCRegisterEvent(ds, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
        EXPECT_EQ(Gentl().DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
                  GC_ERR_SUCCESS)
            << LastErrorText();
        return {ds, newBuffer};
    }

    std::optional<FakeGevCamera> fake_;
};

uint32_t BigEndianRegister(PORT_HANDLE port, uint64_t address) {
    return ntohl(ReadRegister<uint32_t>(port, address));
}

TEST_F(RealCameraTest, FakeCameraIsListedBesideTheSimulatedOnes) {
    const std::vector<std::string> interfaces = InterfaceIds(OpenSystem());
    EXPECT_EQ(interfaces,
              (std::vector<std::string>{"GEV::SimGEV0", "U3V::SimU3V0", kLoopback, "U3V::USB"}));

    const IF_HANDLE iface = OpenLoopback();
    EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_TLTYPE)), "GEV");
    ASSERT_EQ(DeviceIds(iface), std::vector<std::string>{FakeGevCamera::kDeviceId});
    const auto info = [&](DEVICE_INFO_CMD command) {
        return DeviceInfoOfIF(iface, FakeGevCamera::kDeviceId, command);
    };
    EXPECT_EQ(Text(info(DEVICE_INFO_VENDOR)), "Aravis");
    EXPECT_EQ(Text(info(DEVICE_INFO_MODEL)), "Fake");
    EXPECT_EQ(Text(info(DEVICE_INFO_SERIAL_NUMBER)), FakeGevCamera::kSerialNumber);
    EXPECT_EQ(Text(info(DEVICE_INFO_TLTYPE)), "GEV");
    EXPECT_EQ(Value<int32_t>(info(DEVICE_INFO_ACCESS_STATUS), INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_READWRITE);

    // What a user sees: kavrin-grab, in its own process, lists the camera beside the simulated
    // ones.
    grabtool::ToolRun list;
    list.args = {"list"};
    list.environment = {{"KAVRIN_TRANSPORTS", "sim,gev"}, {"KAVRIN_GEV_INTERFACES", "lo"}};
    const grabtool::ToolResult listed = grabtool::RunTool(list);
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_THAT(listed.out, ::testing::HasSubstr("KVR-GEV-1001"));
    EXPECT_THAT(listed.out, ::testing::ContainsRegex(
                                std::string(FakeGevCamera::kDeviceId) + " +Aravis +Fake +" +
                                FakeGevCamera::kSerialNumber + " .*GEV +ReadWrite"));
}

TEST_F(RealCameraTest, DescriptionRegistersAndTwoHundredCompleteImages) {
    const auto [dev, port] = OpenCamera();
    ASSERT_NE(port, nullptr);

    EXPECT_EQ(PortUrl(port).rfind("Local:Fake.xml;", 0), 0u) << PortUrl(port);
    uint32_t urls = 0;
    EXPECT_EQ(Gentl().GCGetNumPortURLs(port, &urls), GC_ERR_SUCCESS);
    EXPECT_EQ(urls, 1u);
    EXPECT_EQ(Text(UrlInfo(port, 0, URL_INFO_FILENAME)), "Fake.xml");
    const std::string description = ReadDescription(port);
    EXPECT_NE(description.find("<RegisterDescription"), std::string::npos);
    EXPECT_NE(description.find("\"Width\""), std::string::npos);

    EXPECT_EQ(BigEndianRegister(port, kWidthRegister), uint32_t{ARV_FAKE_CAMERA_WIDTH_DEFAULT});
    WriteRegister<uint32_t>(port, kWidthRegister, htonl(kWidth));
    EXPECT_EQ(BigEndianRegister(port, kWidthRegister), kWidth);
    WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));

    // The description is the camera's own, not writable through the port.
    const auto address =
        Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64);
    char byte = 0;
    size_t size = 1;
    EXPECT_EQ(Gentl().GCWritePort(port, address, &byte, &size), GC_ERR_ACCESS_DENIED);

    // Buffers larger than an image: the camera writes straight into them and says how much.
    const auto [ds, newBuffer] = StartStream(dev, 8, 4096);
    uint64_t lastFrameId = 0;
    for (int image = 0; image < 200; ++image) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << "image " << image << ": " << LastErrorText();
        const auto buffer = [&](BUFFER_INFO_CMD command) {
            return BufInfo(ds, delivery.buffer, command);
        };
        EXPECT_FALSE(Flag(buffer(BUFFER_INFO_IS_INCOMPLETE)));
        EXPECT_EQ(Value<size_t>(buffer(BUFFER_INFO_WIDTH), INFO_DATATYPE_SIZET), kWidth);
        EXPECT_EQ(Value<size_t>(buffer(BUFFER_INFO_HEIGHT), INFO_DATATYPE_SIZET), kHeight);
        EXPECT_EQ(Value<size_t>(buffer(BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET),
                  size_t{kWidth} * kHeight);
        EXPECT_EQ(Value<uint64_t>(buffer(BUFFER_INFO_PIXELFORMAT), INFO_DATATYPE_UINT64), kMono8);
        const auto frameId = Value<uint64_t>(buffer(BUFFER_INFO_FRAMEID), INFO_DATATYPE_UINT64);
        EXPECT_NE(frameId, lastFrameId);  // GigE Vision 1.x block IDs wrap at 16 bits
        lastFrameId = frameId;
        ASSERT_EQ(Gentl().DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
    EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    // Nothing was lost on loopback: every packet of the 200 images (a leader, data, a trailer)
    // arrived, and the counters stay readable after the stop.
    EXPECT_GE(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_RECEIVED), 200u * 3);
    EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_MISSING), 0u);
    EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_RESENT), 0u);
    EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_RESEND_REQUESTS), 0u);
    EXPECT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DevClose(dev), GC_ERR_SUCCESS);

    // Closed, the camera is free for the next application.
    const IF_HANDLE iface = OpenLoopback();
    EXPECT_EQ(
        Value<int32_t>(DeviceInfoOfIF(iface, FakeGevCamera::kDeviceId, DEVICE_INFO_ACCESS_STATUS),
                       INFO_DATATYPE_INT32),
        DEVICE_ACCESS_STATUS_READWRITE);
}

// The camera receives into queued buffers ahead of the grab. Buffers that leave the queue by a
// flush while the camera streams are taken back from it before the flush returns: revoked and
// freed at once, no image lands in them (the sanitizer builds would see the write).
TEST_F(RealCameraTest, BuffersFlushedWhileStreamingAreTakenBackFromTheCamera) {
    const auto [dev, port] = OpenCamera();
    WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));
    const auto [ds, newBuffer] = StartStream(dev, 4);
    ReceiveComplete(ds, newBuffer, 10);

    ASSERT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS)
        << LastErrorText();
    ASSERT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS) << LastErrorText();
    ReceiveComplete(ds, newBuffer, 10);

    ASSERT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS) << LastErrorText();
    // The buffer being filled during the flush is let go when its grab ends.
    RevokeAll(ds);
    AllocAndQueue(ds, 4, PayloadSize(ds));
    ReceiveComplete(ds, newBuffer, 10);
    EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);

    // An acquisition of a counted number of images ends by itself while the camera goes on
    // sending: the buffers still queued are taken back from it as it ends.
    ASSERT_EQ(Gentl().DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, 3), GC_ERR_SUCCESS)
        << LastErrorText();
    ReceiveComplete(ds, newBuffer, 3);
    EXPECT_TRUE(Eventually([&, ds = ds] { return !Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)); }));
    ASSERT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    RevokeAll(ds);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * 1000 / kFrameRate));
    EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DevClose(dev), GC_ERR_SUCCESS);
}

// A consumer that takes nothing for a while: NewestOnly, where the camera's receiving thread
// delivers each image, keeps the newest buffer alone in the output queue and counts the images
// it replaced as lost; OldestFirstOverwrite, where the grab fills each buffer, keeps every buffer
// in the output queue and refills the oldest. Either way every buffer taken holds a whole image.
TEST_F(RealCameraTest, HandlingModesKeepTheNewestOrRefillTheOldestBuffer) {
    const auto [dev, port] = OpenCamera();
    WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(Gentl().DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS) << LastErrorText();
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    EVENT_HANDLE newBuffer = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(ds, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
    CameraFeatures streamFeatures(Gentl(), ds, DownloadDescription(Gentl(), ds).xml);
    const auto counter = [ds = ds](STREAM_INFO_CMD command) {
        return Value<uint64_t>(DSInfo(ds, command), INFO_DATATYPE_UINT64);
    };
    const auto awaiting = [ds = ds] {
        return Value<uint32_t>(DSInfo(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), INFO_DATATYPE_UINT32);
    };
    const auto takeAll = [&] {
        std::vector<uint64_t> frameIds;
        for (Delivery delivery = NextBuffer(newBuffer, 0); delivery.result == GC_ERR_SUCCESS;
             delivery = NextBuffer(newBuffer, 0)) {
            EXPECT_FALSE(Flag(BufInfo(ds, delivery.buffer, BUFFER_INFO_IS_INCOMPLETE)));
            frameIds.push_back(Value<uint64_t>(BufInfo(ds, delivery.buffer, BUFFER_INFO_FRAMEID),
                                               INFO_DATATYPE_UINT64));
        }
        return frameIds;
    };
    const auto streamWithoutTaking = [&](const char* mode) {
        streamFeatures.Apply(std::string("StreamBufferHandlingMode=") + mode);
        ASSERT_EQ(Gentl().DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
                  GC_ERR_SUCCESS)
            << LastErrorText();
        EXPECT_TRUE(Eventually([&] { return counter(STREAM_INFO_NUM_DELIVERED) >= 6; }));
        ASSERT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    };

    streamWithoutTaking("NewestOnly");
    EXPECT_EQ(awaiting(), 1u);
    EXPECT_GE(counter(STREAM_INFO_NUM_UNDERRUN), 5u);
    EXPECT_EQ(takeAll().size(), 1u);

    ASSERT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    streamWithoutTaking("OldestFirstOverwrite");
    EXPECT_EQ(awaiting(), buffers.size());
    const std::vector<uint64_t> frameIds = takeAll();
    ASSERT_EQ(frameIds.size(), buffers.size());
    EXPECT_TRUE(std::is_sorted(frameIds.begin(), frameIds.end()));
    EXPECT_GE(counter(STREAM_INFO_NUM_UNDERRUN), 3u);
    EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DevClose(dev), GC_ERR_SUCCESS);
}

// The camera dies mid-grab: the wait in progress, whose own timeout is a minute, ends within the
// bound with the stream's failure; by then the remote-device event, the stream's error entry
// and the device's error entry are there. Closing afterwards does not hang.
TEST_F(RealCameraTest, CameraLostMidStreamEndsTheWaitWithinTwoSecondsAndClosesWithoutHanging) {
    const auto [dev, port] = OpenCamera();
    WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));
    EVENT_HANDLE remote = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(port, EVENT_REMOTE_DEVICE, &remote), GC_ERR_SUCCESS);
    EVENT_HANDLE deviceErrors = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(dev, EVENT_ERROR, &deviceErrors), GC_ERR_SUCCESS);
    const auto [ds, newBuffer] = StartStream(dev, 4);
    EVENT_HANDLE streamErrors = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(ds, EVENT_ERROR, &streamErrors), GC_ERR_SUCCESS);
    ReceiveComplete(ds, newBuffer, 10);

    const auto poweredOff = std::chrono::steady_clock::now();
    fake_->PowerOff();
    // Images still on their way may come; then the wait ends with the stream's failure.
    GC_ERROR result = GC_ERR_SUCCESS;
    while (result == GC_ERR_SUCCESS && MsLeft(poweredOff, kLossBound) > 0) {
        const Delivery delivery = NextBuffer(newBuffer, kLongWaitMs);
        result = delivery.result;
        if (result == GC_ERR_SUCCESS) Gentl().DSQueueBuffer(ds, delivery.buffer);
    }
    const long long waitEndedMs = MsSince(poweredOff);
    EXPECT_EQ(result, GC_ERR_ERROR) << LastErrorText();
    EXPECT_LT(waitEndedMs, std::chrono::milliseconds(kLossBound).count());
    RecordProperty("LossReportedAfterMs", static_cast<int>(waitEndedMs));
    EXPECT_FALSE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));

    uint8_t event[24] = {};
    size_t size = sizeof event;
    ASSERT_EQ(Gentl().EventGetData(remote, event, &size, MsLeft(poweredOff, kLossBound)),
              GC_ERR_SUCCESS)
        << LastErrorText();
    uint32_t eventId = 0;
    std::memcpy(&eventId, event, sizeof eventId);
    EXPECT_EQ(eventId, Tevold::kEventControlLost);
    EXPECT_EQ(NextError(streamErrors, MsLeft(poweredOff, kLossBound)),
              std::make_pair(GC_ERROR{GC_ERR_IO},
                             std::string("Acquisition ended: the camera stream failed")));
    EXPECT_EQ(NextError(deviceErrors, MsLeft(poweredOff, kLossBound)),
              std::make_pair(GC_ERROR{GC_ERR_IO}, std::string("Control of the camera was lost")));
    // Reported once, however many ways the loss shows.
    EXPECT_EQ(Gentl().EventGetData(remote, event, &size, 0), GC_ERR_TIMEOUT);

    auto teardown = std::async(std::launch::async, [&, ds = ds, dev = dev] {
        Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT);
        return Gentl().DSClose(ds) == GC_ERR_SUCCESS && Gentl().DevClose(dev) == GC_ERR_SUCCESS;
    });
    ASSERT_EQ(teardown.wait_for(kTeardownLimit), std::future_status::ready)
        << "closing a lost camera hangs";
    EXPECT_TRUE(teardown.get()) << LastErrorText();
}

// What a user sees: kavrin-grab, streaming with a timeout of a minute, ends the grab with its
// summary and "camera lost" soon after the camera dies, and exits.
TEST_F(RealCameraTest, KavrinGrabSaysCameraLostSoonAfterTheCameraDies) {
    grabtool::ToolRun grab;
    grab.args = {"grab",
                 FakeGevCamera::kDeviceId,
                 "Height=" + std::to_string(kHeight),
                 "-n",
                 "1000000",
                 "--timeout",
                 std::to_string(kLongWaitMs)};
    grab.environment = {{"KAVRIN_TRANSPORTS", "gev"}, {"KAVRIN_GEV_INTERFACES", "lo"}};
    std::optional<std::chrono::steady_clock::time_point> poweredOff;
    std::optional<long long> summaryMs;
    // Once the tool reports frames, the camera dies; the summary follows the end of the grab.
    grab.interruptWhen = [&](const std::string& out) {
        if (!poweredOff && out.find(" frames, ") != std::string::npos) {
            poweredOff = std::chrono::steady_clock::now();
            fake_->PowerOff();
        }
        if (poweredOff && !summaryMs && out.find(" frames in ") != std::string::npos)
            summaryMs = MsSince(*poweredOff);
        return false;
    };
    const grabtool::ToolResult result = grabtool::RunTool(grab);
    ASSERT_TRUE(poweredOff) << result.out << result.err;
    const long long exitedMs = MsSince(*poweredOff);
    ASSERT_TRUE(result.exited) << result.out << result.err;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err, ::testing::HasSubstr("kavrin-grab: camera lost: Control of the camera "
                                                 "was lost"));
    // The failure is said right after the summary, before the lost camera is let go.
    ASSERT_TRUE(summaryMs) << result.out;
    EXPECT_LT(*summaryMs, std::chrono::milliseconds(kLossBound).count()) << result.out;
    EXPECT_LT(exitedMs, std::chrono::milliseconds(kTeardownLimit).count());
    RecordProperty("ToolSummaryAfterMs", static_cast<int>(*summaryMs));
    RecordProperty("ToolExitedAfterMs", static_cast<int>(exitedMs));
}

// The camera leaves packets unsent: the stream's counters show them missing and the resends
// asked for, images with holes never reach the consumer (their buffers are queued again), and
// kavrin-grab's summary says the same counts. A simulated stream has no packets to count.
TEST_F(RealCameraTest, LostPacketsAreCountedAndResendsAskedFor) {
    fake_->AdvertisePacketResend();
    fake_->SetPacketLoss(0.02);
    {
        const auto [dev, port] = OpenCamera();
        WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));
        const auto [ds, newBuffer] = StartStream(dev, 8);
        ReceiveComplete(ds, newBuffer, 20);
        EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
        const uint64_t received = Packets(ds, KAVRIN_STREAM_INFO_PACKETS_RECEIVED);
        const uint64_t missing = Packets(ds, KAVRIN_STREAM_INFO_PACKETS_MISSING);
        EXPECT_GT(received, 20u * 3);
        EXPECT_GT(missing, 0u);
        EXPECT_LT(missing, received);
        EXPECT_GT(Packets(ds, KAVRIN_STREAM_INFO_RESEND_REQUESTS), 0u);
        // Aravis 0.8's fake camera answers no resend request.
        EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_RESENT), 0u);
        // The stream's node map shows the same counts, read through a GenApi engine.
        const Kavrin::Tools::CameraFeatures features(
            Gentl(), ds, Kavrin::Tools::DownloadDescription(Gentl(), ds).xml);
        const std::pair<const char*, int> counters[] = {
            {"StreamReceivedPacketCount", KAVRIN_STREAM_INFO_PACKETS_RECEIVED},
            {"StreamMissingPacketCount", KAVRIN_STREAM_INFO_PACKETS_MISSING},
            {"StreamResentPacketCount", KAVRIN_STREAM_INFO_PACKETS_RESENT},
            {"StreamIgnoredPacketCount", KAVRIN_STREAM_INFO_PACKETS_IGNORED},
            {"StreamResendRequestCount", KAVRIN_STREAM_INFO_RESEND_REQUESTS}};
        for (const auto& [name, command] : counters) {
            EXPECT_EQ(features.Integer(name), static_cast<int64_t>(Packets(ds, command))) << name;
        }
        EXPECT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
        EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
        EXPECT_EQ(Gentl().DevClose(dev), GC_ERR_SUCCESS);
    }

    grabtool::ToolRun grab;
    grab.args = {"grab", FakeGevCamera::kDeviceId, "Height=" + std::to_string(kHeight), "-n", "20"};
    grab.environment = {{"KAVRIN_TRANSPORTS", "gev"}, {"KAVRIN_GEV_INTERFACES", "lo"}};
    const grabtool::ToolResult result = grabtool::RunTool(grab);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(result.out,
                ::testing::ContainsRegex("20 frames in .*; packets received [1-9][0-9]*, missing "
                                         "[1-9][0-9]*, resent 0, ignored [0-9]+, resend requests "
                                         "[1-9][0-9]*"));

    // The simulated camera beside it counts no packets.
    IF_HANDLE sim = nullptr;
    ASSERT_EQ(Gentl().TLOpenInterface(OpenSystem(), "GEV::SimGEV0", &sim), GC_ERR_SUCCESS);
    ASSERT_EQ(Gentl().IFUpdateDeviceList(sim, nullptr, kDiscoveryMs), GC_ERR_SUCCESS);
    const std::vector<std::string> simulated = DeviceIds(sim);
    ASSERT_FALSE(simulated.empty());
    DEV_HANDLE dev = nullptr;
    ASSERT_EQ(Gentl().IFOpenDevice(sim, simulated[0].c_str(), DEVICE_ACCESS_CONTROL, &dev),
              GC_ERR_SUCCESS);
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(Gentl().DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS) << LastErrorText();
    for (const int command :
         {KAVRIN_STREAM_INFO_PACKETS_RECEIVED, KAVRIN_STREAM_INFO_PACKETS_MISSING,
          KAVRIN_STREAM_INFO_PACKETS_RESENT, KAVRIN_STREAM_INFO_PACKETS_IGNORED,
          KAVRIN_STREAM_INFO_RESEND_REQUESTS}) {
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        uint64_t value = 0;
        size_t size = sizeof value;
        EXPECT_EQ(
            Gentl().DSGetInfo(ds, static_cast<STREAM_INFO_CMD>(command), &type, &value, &size),
            GC_ERR_INVALID_PARAMETER)
            << command;
    }
}

// A GigE Vision chunk payload: the image chunk, then each chunk's data followed by its ID and
// length, big-endian.
std::vector<uint8_t> ChunkPayload(
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& chunks) {
    std::vector<uint8_t> payload;
    for (const auto& [id, data] : chunks) {
        payload.insert(payload.end(), data.begin(), data.end());
        for (const uint32_t word : {id, static_cast<uint32_t>(data.size())}) {
            for (const int shift : {24, 16, 8, 0})
                payload.push_back(static_cast<uint8_t>(word >> shift));
        }
    }
    return payload;
}

// A camera that sends chunks and resends lost packets (the fake camera answers control, the
// packets come from a sender of the test's own): the payload reaches the consumer byte for byte,
// described as chunk data, and a frame with packets lost on the way arrives complete.
TEST_F(RealCameraTest, ChunkPayloadArrivesUntouchedAndResentPacketsCompleteTheFrame) {
    fake_->SendNoImages();
    fake_->AdvertisePacketResend();
    const auto [dev, port] = OpenCamera();
    WriteRegister<uint32_t>(port, kWidthRegister, htonl(kWidth));
    WriteRegister<uint32_t>(port, kHeightRegister, htonl(kHeight));
    const auto [ds, newBuffer] = StartStream(dev, 4, 4096);
    GvspSender sender(fake_->Registers());

    std::vector<uint8_t> image(size_t{kWidth} * kHeight);
    for (size_t index = 0; index < image.size(); ++index)
        image[index] = static_cast<uint8_t>(index * 7);
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>> chunks = {
        {1, image}, {0x1001, std::vector<uint8_t>(8, 0xA5)}, {0x1002, {0, 0, 0, 42}}};
    GvspSender::Frame frame{1,       GvspSender::kImageWithChunks, kMono8, kWidth,
                            kHeight, ChunkPayload(chunks)};

    uint64_t layoutId = 0;
    for (const std::set<uint32_t>& held : {std::set<uint32_t>{}, std::set<uint32_t>{2, 3, 7}}) {
        SCOPED_TRACE(held.empty() ? "every packet sent" : "packets 2, 3 and 7 only on request");
        sender.Send(frame, held);
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        const auto info = [&, ds = ds](BUFFER_INFO_CMD command) {
            return BufInfo(ds, delivery.buffer, command);
        };
        EXPECT_FALSE(Flag(info(BUFFER_INFO_IS_INCOMPLETE)));
        EXPECT_TRUE(Flag(info(BUFFER_INFO_CONTAINS_CHUNKDATA)));
        EXPECT_EQ(Value<size_t>(info(BUFFER_INFO_PAYLOADTYPE), INFO_DATATYPE_SIZET),
                  size_t{PAYLOAD_TYPE_CHUNK_DATA});
        EXPECT_EQ(Value<uint64_t>(info(BUFFER_INFO_FRAMEID), INFO_DATATYPE_UINT64), frame.blockId);
        EXPECT_EQ(Value<size_t>(info(BUFFER_INFO_WIDTH), INFO_DATATYPE_SIZET), kWidth);
        const auto filled = Value<size_t>(info(BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET);
        ASSERT_EQ(filled, frame.payload.size());
        const auto base =
            static_cast<const uint8_t*>(Value<void*>(info(BUFFER_INFO_BASE), INFO_DATATYPE_PTR));
        EXPECT_TRUE(std::equal(frame.payload.begin(), frame.payload.end(), base));
        // The same layout in every frame.
        const auto layout = Value<uint64_t>(info(BUFFER_INFO_CHUNKLAYOUTID), INFO_DATATYPE_UINT64);
        EXPECT_NE(layout, 0u);
        if (layoutId != 0) {
            EXPECT_EQ(layout, layoutId);
        }
        layoutId = layout;

        SINGLE_CHUNK_DATA listed[4] = {};
        size_t count = 4;
        ASSERT_EQ(Gentl().DSGetBufferChunkData(ds, delivery.buffer, listed, &count),
                  GC_ERR_SUCCESS);
        ASSERT_EQ(count, chunks.size());
        size_t offset = 0;
        for (size_t index = 0; index < count; ++index) {
            EXPECT_EQ(listed[index].ChunkID, chunks[index].first);
            EXPECT_EQ(size_t(listed[index].ChunkOffset), offset);
            EXPECT_EQ(listed[index].ChunkLength, chunks[index].second.size());
            offset += chunks[index].second.size() + 8;
        }
        ASSERT_EQ(Gentl().DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
        ++frame.blockId;
    }
    EXPECT_EQ(sender.ResentPackets(), 3);
    EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_RESENT), 3u);
    // Packets that a resend brought are not counted missing.
    EXPECT_EQ(Packets(ds, KAVRIN_STREAM_INFO_PACKETS_MISSING), 0u);
    EXPECT_GE(Packets(ds, KAVRIN_STREAM_INFO_RESEND_REQUESTS), 1u);
    EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DevClose(dev), GC_ERR_SUCCESS);
}

TEST_F(RealCameraTest, CameraHeldElsewhereIsBusyAndRefused) {
    // This process, through Aravis directly, is the other application.
    GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    ArvDevice* holder = arv_gv_device_new(loopback, loopback, nullptr);
    g_object_unref(loopback);
    ASSERT_NE(holder, nullptr);

    const IF_HANDLE iface = OpenLoopback();
    EXPECT_EQ(
        Value<int32_t>(DeviceInfoOfIF(iface, FakeGevCamera::kDeviceId, DEVICE_INFO_ACCESS_STATUS),
                       INFO_DATATYPE_INT32),
        DEVICE_ACCESS_STATUS_BUSY);
    DEV_HANDLE dev = nullptr;
    EXPECT_EQ(Gentl().IFOpenDevice(iface, FakeGevCamera::kDeviceId, DEVICE_ACCESS_CONTROL, &dev),
              GC_ERR_ERROR);
    EXPECT_NE(LastErrorText().find("already opened"), std::string::npos) << LastErrorText();

    g_object_unref(holder);
    EXPECT_EQ(Gentl().IFUpdateDeviceList(iface, nullptr, kDiscoveryMs), GC_ERR_SUCCESS);
    EXPECT_EQ(
        Value<int32_t>(DeviceInfoOfIF(iface, FakeGevCamera::kDeviceId, DEVICE_INFO_ACCESS_STATUS),
                       INFO_DATATYPE_INT32),
        DEVICE_ACCESS_STATUS_READWRITE);
}

TEST_F(RealCameraTest, BackendOffOrInterfaceNotNamedListsNoRealCamera) {
    unsetenv("KAVRIN_TRANSPORTS");
    EXPECT_EQ(InterfaceIds(OpenSystem()),
              (std::vector<std::string>{"GEV::SimGEV0", "U3V::SimU3V0"}));

    setenv("KAVRIN_TRANSPORTS", "gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", "eth7", 1);
    EXPECT_EQ(InterfaceIds(OpenSystem()), std::vector<std::string>{});

    setenv("KAVRIN_TRANSPORTS", " gev , bogus", 1);
    setenv("KAVRIN_GEV_INTERFACES", "eth7,lo", 1);
    EXPECT_EQ(InterfaceIds(OpenSystem()), std::vector<std::string>{kLoopback});
}

}  // namespace
}  // namespace aravis_tests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Before any thread exists: a namespace change applies to the calling thread and the threads
    // it starts later.
    aravis_tests::EnterPrivateNetwork();
    return RUN_ALL_TESTS();
}
