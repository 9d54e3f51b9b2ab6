// Acquisition through the stream: images, their pattern and frame IDs, pacing, parameters and the
// acquisition state shared with the AcquisitionStart/AcquisitionStop registers.
#include "SimTestSupport.h"

#include <gmock/gmock.h>

#include <chrono>
#include <thread>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;
using Image = std::vector<uint8_t>;

// The pattern as SimControl.h documents it, computed pixel by pixel.
Image ExpectedImage(uint32_t width, uint32_t height, uint32_t pixelFormat, uint32_t pattern,
                    uint64_t frameId)
{
    Image image;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint64_t s = pattern == Sim::TestPattern::kGreyDiagonalRampMoving
                ? x + y + frameId : x + frameId;
            const bool black = pattern == Sim::TestPattern::kBlack;
            if (pixelFormat == Sim::PixelFormat::kMono16) {
                const auto value = static_cast<uint16_t>(black ? 0 : (s % 4096) * 16);
                image.push_back(static_cast<uint8_t>(value));
                image.push_back(static_cast<uint8_t>(value >> 8));
            } else if (pixelFormat == Sim::PixelFormat::kRGB8) {
                for (const uint64_t offset : {0, 85, 170}) {
                    image.push_back(black ? 0 : static_cast<uint8_t>(s + offset));
                }
            } else {
                image.push_back(black ? 0 : static_cast<uint8_t>(s));
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        image[i] = static_cast<uint8_t>(frameId >> (8 * i));
    }
    return image;
}

class StreamTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        Sim::SetPacing(false);
        ConnectGevCamera();
        stream_ = OpenStream(*device_);
    }

    void TearDown() override
    {
        stream_.reset();
        SimTest::TearDown();
    }

    void SetFormat(uint32_t width, uint32_t height, uint32_t pixelFormat)
    {
        ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kWidth, width));
        ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kHeight, height));
        ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kPixelFormat, pixelFormat));
    }

    template <typename Value>
    Value Parameter(uint32_t parameter)
    {
        Value value{};
        size_t size = sizeof value;
        EXPECT_EQ(Result::kSuccess, stream_->GetParameter(parameter, &value, &size)) << parameter;
        return value;
    }

    Image Grab(CamImageInfo* info = nullptr)
    {
        Image image(Parameter<uint64_t>(kParamPayloadSize));
        EXPECT_EQ(kGrabOk, stream_->GrabImage(image.data(), image.size(), 1000, info));
        return image;
    }

    StreamPtr stream_;
};

class StreamFormatTest : public StreamTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(StreamFormatTest, ImageFillsPayloadSizeWithTheDocumentedPattern)
{
    const uint32_t pixelFormat = GetParam();
    SetFormat(100, 20, pixelFormat);
    const uint64_t payloadSize = Parameter<uint64_t>(kParamPayloadSize);
    EXPECT_EQ(ReadU32(*device_, Reg::kPayloadSize), payloadSize);
    EXPECT_EQ(pixelFormat, Parameter<uint64_t>(kParamPixelFormat));
    EXPECT_EQ(100u, Parameter<uint32_t>(kParamWidth));
    EXPECT_EQ(20u, Parameter<uint32_t>(kParamHeight));

    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    for (int frame = 0; frame < 3; ++frame) {
        Image buffer(payloadSize + 16, 0xEE);
        CamImageInfo info;
        ASSERT_EQ(kGrabOk, stream_->GrabImage(buffer.data(), buffer.size(), 1000, &info));
        EXPECT_EQ(payloadSize, info.sizeFilled);
        EXPECT_EQ(pixelFormat, info.pixelFormat);
        EXPECT_EQ(100u, info.width);
        EXPECT_EQ(20u, info.height);
        const Image image(buffer.begin(), buffer.begin() + payloadSize);
        EXPECT_EQ(ExpectedImage(100, 20, pixelFormat, Sim::TestPattern::kGreyDiagonalRampMoving,
                                info.frameId),
                  image);
        EXPECT_THAT(Image(buffer.begin() + payloadSize, buffer.end()), ::testing::Each(0xEE));
    }
}

INSTANTIATE_TEST_SUITE_P(PixelFormats, StreamFormatTest,
                         ::testing::Values(Sim::PixelFormat::kMono8, Sim::PixelFormat::kMono16,
                                           Sim::PixelFormat::kRGB8));

TEST_F(StreamTest, OtherPatternsFollowTheirDescription)
{
    SetFormat(64, 16, Sim::PixelFormat::kMono8);
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTestPattern,
                                         Sim::TestPattern::kGreyHorizontalRampMoving));
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    CamImageInfo info;
    Image image = Grab(&info);
    EXPECT_EQ(ExpectedImage(64, 16, Sim::PixelFormat::kMono8,
                            Sim::TestPattern::kGreyHorizontalRampMoving, info.frameId),
              image);
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTestPattern, Sim::TestPattern::kBlack));
    image = Grab(&info);
    EXPECT_EQ(ExpectedImage(64, 16, Sim::PixelFormat::kMono8, Sim::TestPattern::kBlack,
                            info.frameId),
              image);
}

TEST_F(StreamTest, FrameIdsCountUpAndImagesChange)
{
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    CamImageInfo first;
    CamImageInfo second;
    const Image a = Grab(&first);
    const Image b = Grab(&second);
    EXPECT_EQ(1u, first.frameId);
    EXPECT_EQ(2u, second.frameId);
    EXPECT_LT(first.timestampNs, second.timestampNs);
    EXPECT_NE(Image(a.begin() + 8, a.end()), Image(b.begin() + 8, b.end()));
    EXPECT_EQ(2, Parameter<int64_t>(kParamFramesStarted));
    EXPECT_EQ(2u, Sim::GetCameraStatus(kGevCamera).lastFrameId);
}

TEST_F(StreamTest, TooSmallBufferIsRefusedUntouched)
{
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    Image buffer(Parameter<uint64_t>(kParamPayloadSize) - 1, 0xEE);
    EXPECT_EQ(kGrabBufferTooSmall, stream_->GrabImage(buffer.data(), buffer.size(), 1000, nullptr));
    EXPECT_THAT(buffer, ::testing::Each(0xEE));
    CamImageInfo info;
    Grab(&info);
    EXPECT_EQ(1u, info.frameId);
}

TEST_F(StreamTest, NullDestinationDropsTheNextImage)
{
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    CamImageInfo info;
    EXPECT_EQ(kGrabOk, stream_->GrabImage(nullptr, 0, 1000, &info));
    EXPECT_EQ(0u, info.sizeFilled);
    Grab(&info);
    EXPECT_EQ(2u, info.frameId);
}

TEST_F(StreamTest, GrabTimesOutWithoutAcquisition)
{
    Image buffer(Parameter<uint64_t>(kParamPayloadSize));
    EXPECT_EQ(kGrabTimeout, stream_->GrabImage(buffer.data(), buffer.size(), 20, nullptr));
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    EXPECT_EQ(kGrabTimeout, stream_->GrabImage(buffer.data(), buffer.size(), 20, nullptr));
}

TEST_F(StreamTest, ParametersHaveFixedSizes)
{
    EXPECT_EQ(0u, Parameter<uint64_t>(kParamDefinesPayloadSize));
    EXPECT_EQ(0u, Parameter<uint32_t>(kParamAcquisitionActive));
    uint32_t timeout = 250;
    size_t size = sizeof timeout;
    ASSERT_EQ(Result::kSuccess, stream_->SetParameter(kParamGrabTimeout, &timeout, &size));
    EXPECT_EQ(250u, Parameter<uint32_t>(kParamGrabTimeout));

    uint64_t wide = 0;
    size = sizeof wide;
    EXPECT_EQ(Result::kInvalidParameter, stream_->GetParameter(kParamWidth, &wide, &size));
    EXPECT_EQ(Result::kInvalidParameter, stream_->GetParameter(0x2000, &wide, &size));
    EXPECT_EQ(Result::kInvalidParameter, stream_->SetParameter(kParamGrabTimeout, &wide, &size));
    size = sizeof timeout;
    EXPECT_EQ(Result::kAccessDenied, stream_->SetParameter(kParamWidth, &timeout, &size));
}

TEST_F(StreamTest, StartGrabAndTheAcquisitionCommandsShareOneState)
{
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    EXPECT_EQ(1u, Parameter<uint32_t>(kParamAcquisitionActive));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(*device_, Reg::kWidth, 320));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStop, Sim::kCommandValue));
    EXPECT_EQ(0u, Parameter<uint32_t>(kParamAcquisitionActive));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStart, Sim::kCommandValue));
    EXPECT_EQ(1u, Parameter<uint32_t>(kParamAcquisitionActive));
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
    EXPECT_EQ(1u, Sim::CountCalls(kGevCamera, Sim::CameraCall::StartGrab));
    EXPECT_EQ(1u, Sim::CountCalls(kGevCamera, Sim::CameraCall::StopGrab));
}

TEST_F(StreamTest, CountedAcquisitionStopsByItself)
{
    EXPECT_EQ(Result::kInvalidParameter, stream_->StartGrab(0, 0));
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, 2));
    Grab();
    EXPECT_EQ(1u, Parameter<uint32_t>(kParamAcquisitionActive));
    Grab();
    EXPECT_EQ(0u, Parameter<uint32_t>(kParamAcquisitionActive));
}

TEST_F(StreamTest, OneStreamNamedDS0)
{
    uint32_t count = 0;
    ASSERT_EQ(Result::kSuccess, device_->GetNumStreams(&count));
    EXPECT_EQ(1u, count);
    CamStream* other = nullptr;
    EXPECT_EQ(Result::kInvalidId, device_->OpenStream("DS1", &other));
    EXPECT_EQ(Result::kResourceInUse, device_->OpenStream("DS0", &other));
    stream_.reset();
    stream_ = OpenStream(*device_);
    EXPECT_EQ(2u, Sim::CountCalls(kGevCamera, Sim::CameraCall::OpenStream));
}

TEST_F(StreamTest, PacedImagesAreStampedAtLeastOnePeriodApart)
{
    Sim::SetPacing(true);
    constexpr double kFrameRate = 200;
    Sim::SetFrameRate(kGevCamera, kFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    uint64_t previous = 0;
    for (int frame = 0; frame < 5; ++frame) {
        CamImageInfo info;
        ASSERT_EQ(kGrabOk, stream_->GrabImage(nullptr, 0, 1000, &info));
        if (frame > 0) {
            EXPECT_GE(info.timestampNs - previous, uint64_t{1'000'000'000 / 200});
        }
        previous = info.timestampNs;
    }
}

TEST_F(StreamTest, ImageNotDueWithinTheTimeoutIsNotProduced)
{
    Sim::SetPacing(true);
    Sim::SetFrameRate(kGevCamera, Sim::kMinFrameRate);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    ASSERT_EQ(kGrabOk, stream_->GrabImage(nullptr, 0, 1000, nullptr));
    EXPECT_EQ(kGrabTimeout, stream_->GrabImage(nullptr, 0, 10, nullptr));
    EXPECT_EQ(1, Parameter<int64_t>(kParamFramesStarted));
}

TEST_F(StreamTest, VanishedCameraFailsTheStream)
{
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    Sim::RemoveCamera(kGevCamera);
    EXPECT_EQ(kGrabStreamFailed, stream_->GrabImage(nullptr, 0, 1000, nullptr));
}

TEST_F(StreamTest, GrabRunsBesideRegisterAccessAndStop)
{
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
        EXPECT_EQ(Sim::kDefaultWidth, ReadU32(*device_, Reg::kWidth));
        EXPECT_EQ(payloadSize, ReadU32(*device_, Reg::kPayloadSize));
        QueryText(*device_, kItemUserName);
    }
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    grabber.join();
    EXPECT_EQ(kGrabTimeout, stream_->GrabImage(nullptr, 0, 0, nullptr));
}

}  // namespace
}  // namespace Tevold::Testing
