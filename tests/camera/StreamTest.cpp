// Acquisition through the stream: image size and pattern per pixel format, frame IDs, pacing,
// parameters, the acquisition state shared with the command registers, and forced results.
#include "SimTestSupport.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>
#include <vector>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;
namespace Pattern = Sim::TestPattern;
using ::testing::Each;
using Image = std::vector<uint8_t>;

class StreamTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        Sim::SetPacing(false);
        CamStream* stream = nullptr;
        ASSERT_EQ(Result::kSuccess, device_->OpenStream("DS0", &stream));
        stream_.reset(stream);
    }

    template <typename Value>
    Value Parameter(uint32_t parameter) {
        Value value{};
        size_t size = sizeof value;
        EXPECT_EQ(Result::kSuccess, stream_->GetParameter(parameter, &value, &size)) << parameter;
        return value;
    }

    CamResult Grab(CamImageInfo* info = nullptr, uint32_t timeoutMs = 1000) {
        return stream_->GrabImage(nullptr, 0, timeoutMs, info);
    }

    StreamPtr stream_;
};

TEST_F(StreamTest, ImagesFillPayloadSizeWithThePatternAndCountingFrameIds) {
    // Wider than one period of the 8-bit ramps, so their rows wrap around.
    constexpr uint32_t kWidth = 300;
    constexpr uint32_t kHeight = 20;
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kWidth, kWidth));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kHeight, kHeight));
    uint64_t frameId = 0;
    for (const uint32_t pixelFormat :
         {Sim::PixelFormat::kMono8, Sim::PixelFormat::kMono16, Sim::PixelFormat::kRGB8}) {
        SCOPED_TRACE(pixelFormat);
        ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kPixelFormat, pixelFormat));
        const uint64_t payloadSize = Parameter<uint64_t>(kParamPayloadSize);
        EXPECT_EQ(ReadValue<uint32_t>(*device_, Reg::kPayloadSize), payloadSize);

        ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
        for (const uint32_t pattern : {Pattern::kGreyDiagonalRampMoving,
                                       Pattern::kGreyHorizontalRampMoving, Pattern::kBlack}) {
            ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTestPattern, pattern));
            Image buffer(payloadSize + 16, 0xEE);
            CamImageInfo info;
            ASSERT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 1000, &info));
            EXPECT_EQ(++frameId, info.frameId);
            EXPECT_EQ(payloadSize, info.sizeFilled);
            EXPECT_EQ(pixelFormat, info.pixelFormat);
            EXPECT_EQ(kWidth, info.width);
            EXPECT_EQ(kHeight, info.height);
            EXPECT_EQ(Sim::ReferenceImage(kGevCamera, info.frameId),
                      Image(buffer.begin(), buffer.begin() + payloadSize))
                << pattern;
            EXPECT_THAT(Image(buffer.begin() + payloadSize, buffer.end()), Each(0xEE));
        }
        EXPECT_EQ(3, Parameter<int64_t>(kParamFramesStarted));
        // A start while the camera still acquires counts anew as well.
        ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
        EXPECT_EQ(0, Parameter<int64_t>(kParamFramesStarted));
        ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    }
    EXPECT_EQ(frameId, Sim::GetCameraStatus(kGevCamera).lastFrameId);
}

TEST_F(StreamTest, GrabWritesOnlyWholeImagesAndOnlyWhileAcquiring) {
    Image buffer(Parameter<uint64_t>(kParamPayloadSize) - 1, 0xEE);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    EXPECT_EQ(kGrabBufferTooSmall, stream_->GrabImage(buffer.data(), buffer.size(), 1000, nullptr));
    EXPECT_THAT(buffer, Each(0xEE));
    // Without a destination the image is taken and dropped.
    CamImageInfo info;
    ASSERT_EQ(kGrabOk, Grab(&info));
    EXPECT_EQ(0u, info.sizeFilled);
    // The refused grab took no image, the dropping one exactly one.
    buffer.push_back(0xEE);
    ASSERT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 1000, &info));
    EXPECT_EQ(2u, info.frameId);
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStop, Sim::kCommandValue));
    EXPECT_EQ(kGrabTimeout, Grab(nullptr, 20));
}

TEST_F(StreamTest, StopGrabEndsTheGrabInProgressAndEveryGrabUntilTheNextStart) {
    // The second image is due a whole second after the first: the grab waits for it.
    Sim::SetPacing(true);
    Sim::SetFrameRate(kGevCamera, Sim::kMinFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    Image buffer(Parameter<uint64_t>(kParamPayloadSize));
    ASSERT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 1000, nullptr));
    std::atomic<CamResult> waiting{kGrabOk};
    std::thread grabber(
        [&] { waiting = stream_->GrabImage(buffer.data(), buffer.size(), 60'000, nullptr); });
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    grabber.join();
    // Either the grab was waiting and was ended, or it began after the stop and never waited.
    EXPECT_EQ(kGrabAborted, waiting.load());
    EXPECT_EQ(kGrabAborted, Grab(nullptr, 60'000));
    EXPECT_EQ(kGrabAborted, stream_->GrabImage(buffer.data(), buffer.size(), 60'000, nullptr));

    Sim::SetPacing(false);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    EXPECT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 1000, nullptr));
}

TEST_F(StreamTest, DroppedImagesComeAtTheFrameRateAlsoWithPacingOff) {
    Sim::SetFrameRate(kGevCamera, Sim::kMinFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    CamImageInfo first;
    ASSERT_EQ(kGrabOk, Grab(&first, 0));
    // The next image nobody takes is a second away; one written into a buffer comes at once.
    EXPECT_EQ(kGrabTimeout, Grab(nullptr, 0));
    Image buffer(Parameter<uint64_t>(kParamPayloadSize));
    CamImageInfo written;
    ASSERT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 0, &written));
    EXPECT_EQ(first.frameId + 1, written.frameId);
    EXPECT_EQ(2, Parameter<int64_t>(kParamFramesStarted));
}

TEST_F(StreamTest, OneStreamWithFixedSizeParameters) {
    uint32_t count = 0;
    ASSERT_EQ(Result::kSuccess, device_->GetNumStreams(&count));
    EXPECT_EQ(1u, count);
    CamStream* other = nullptr;
    EXPECT_EQ(Result::kInvalidId, device_->OpenStream("DS1", &other));
    EXPECT_EQ(Result::kResourceInUse, device_->OpenStream("DS0", &other));

    uint64_t wide = 0;
    size_t size = sizeof wide;
    EXPECT_EQ(Result::kInvalidParameter, stream_->GetParameter(kParamWidth, &wide, &size));
    EXPECT_EQ(Result::kInvalidParameter, stream_->GetParameter(0x2000, &wide, &size));
    EXPECT_EQ(Result::kInvalidParameter, stream_->SetParameter(kParamGrabTimeout, &wide, &size));
    uint32_t narrow = 0;
    size = sizeof narrow;
    EXPECT_EQ(Result::kAccessDenied, stream_->SetParameter(kParamWidth, &narrow, &size));
}

TEST_F(StreamTest, StartGrabAndTheAcquisitionCommandsShareOneState) {
    const auto active = [&] { return Parameter<uint32_t>(kParamAcquisitionActive); };
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    EXPECT_EQ(1u, active());
    EXPECT_EQ(Result::kAccessDenied, WriteU32(*device_, Reg::kWidth, 320));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStop, Sim::kCommandValue));
    EXPECT_EQ(0u, active());
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStart, Sim::kCommandValue));
    EXPECT_EQ(1u, active());
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);

    // A counted acquisition ends by itself with its last image.
    EXPECT_EQ(Result::kInvalidParameter, stream_->StartGrab(0, 0));
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, 2));
    ASSERT_EQ(kGrabOk, Grab());
    EXPECT_EQ(1u, active());
    ASSERT_EQ(kGrabOk, Grab());
    EXPECT_EQ(0u, active());
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
}

TEST_F(StreamTest, PacedImagesAreStampedAtLeastOnePeriodApartAndNeverEarly) {
    Sim::SetPacing(true);
    Sim::SetFrameRate(kGevCamera, 200);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    CamImageInfo info;
    ASSERT_EQ(kGrabOk, Grab(&info));
    for (int frame = 1; frame < 5; ++frame) {
        const uint64_t previous = info.timestampNs;
        ASSERT_EQ(kGrabOk, Grab(&info));
        EXPECT_GE(info.timestampNs - previous, uint64_t{1'000'000'000 / 200});
    }
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));

    // The second image is due a whole second after the first.
    Sim::SetFrameRate(kGevCamera, Sim::kMinFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    ASSERT_EQ(kGrabOk, Grab());
    EXPECT_EQ(kGrabTimeout, Grab(nullptr, 10));
}

TEST_F(StreamTest, GrabRunsBesideRegisterAccessAndStop) {
    Sim::SetPacing(true);
    Sim::SetFrameRate(kGevCamera, Sim::kMaxFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    const uint64_t payloadSize = Parameter<uint64_t>(kParamPayloadSize);
    std::thread grabber([&] {
        Image buffer(payloadSize);
        uint64_t lastFrameId = 0;
        CamImageInfo info;
        while (stream_->GrabImage(buffer.data(), buffer.size(), 200, &info) == kGrabOk) {
            EXPECT_GT(info.frameId, lastFrameId);
            lastFrameId = info.frameId;
        }
    });
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(payloadSize, ReadValue<uint32_t>(*device_, Reg::kPayloadSize));
        QueryText(*device_, kItemUserName);
    }
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    grabber.join();
    EXPECT_EQ(kGrabAborted, Grab(nullptr, 0));
}

// The library's own fault contract; how the producer reports each forced failure is the
// consumer-style suite's business.
using FaultInjectionTest = StreamTest;

TEST_F(FaultInjectionTest, FaultsHitTheirTargetForTheirCountAndProduceNoImage) {
    auto other = ConnectDevice(*interface_, kSecondGevCamera);
    const auto readWidth = [](CamDevice& device) {
        uint32_t value = 0;
        size_t size = sizeof value;
        return device.ReadRegister(Reg::kWidth, &value, &size);
    };
    Sim::InjectFault(
        {Sim::Operation::DeviceReadRegister, Result::kIo, Sim::kUntilCleared, kSecondGevCamera});
    EXPECT_EQ(Result::kSuccess, readWidth(*device_));
    EXPECT_EQ(Result::kIo, readWidth(*other));
    EXPECT_EQ(Result::kIo, readWidth(*other));
    Sim::ClearFaults();
    EXPECT_EQ(Result::kSuccess, readWidth(*other));

    // Forced grab results take no image: the first real one still has frame ID 1.
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    Sim::InjectFault({Sim::Operation::GrabImage, kGrabImageLost, 3, {}});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kGrabImageLost, Grab());
    }
    CamImageInfo info;
    ASSERT_EQ(kGrabOk, Grab(&info));
    EXPECT_EQ(1u, info.frameId);
}

}  // namespace
}  // namespace Tevold::Testing
