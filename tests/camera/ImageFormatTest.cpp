// The sensor window, binning, mirroring and pixel formats as a GenICam consumer sets them: every
// image matches the pattern's definition, and the images relate to each other as a real sensor's
// would (an offset moves the window, binning averages neighbours, reversing mirrors, formats
// carry the colour channels their names promise).
#include "SimCameraFixture.h"

#include <cmath>
#include <tuple>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;

using ImageFormatTest = SimCameraTest;

// Pixel (x, y) of a single-byte or two-byte image.
uint32_t Pixel(const Image& image, uint32_t width, uint32_t bytesPerPixel, uint32_t x, uint32_t y) {
    const size_t at = (size_t{y} * width + x) * bytesPerPixel;
    return bytesPerPixel == 2 ? image[at] | image[at + 1] << 8 : image[at];
}

TEST_F(ImageFormatTest, EveryPixelFormatMatchesItsDefinitionInEveryWindow) {
    const char* formats[] = {"Mono8",    "Mono10",   "Mono12", "Mono16", "BayerRG8",  "BayerGB8",
                             "BayerGR8", "BayerBG8", "RGB8",   "BGR8",   "YCbCr422_8"};
    // Offsets, binning and mirroring; the window is 64 x 32 binned pixels.
    const std::tuple<int, int, int, int, bool, bool> windows[] = {
        {0, 0, 1, 1, false, false}, {8, 6, 1, 1, false, false}, {4, 2, 2, 2, false, false},
        {0, 4, 4, 1, true, false},  {12, 0, 1, 4, false, true}, {4, 4, 2, 4, true, true}};
    for (const char* pattern : {"GreyDiagonalRampMoving", "GreyHorizontalRampMoving", "Black"}) {
        SetEntry("TestPattern", pattern);
        for (const char* format : formats) {
            SetEntry("PixelFormat", format);
            for (const auto& [offsetX, offsetY, binningX, binningY, reverseX, reverseY] : windows) {
                SCOPED_TRACE(std::string(pattern) + " " + format + " offset " +
                             std::to_string(offsetX) + "," + std::to_string(offsetY) + " binning " +
                             std::to_string(binningX) + "x" + std::to_string(binningY));
                SetInteger("OffsetX", 0);
                SetInteger("OffsetY", 0);
                SetInteger("BinningHorizontal", binningX);
                SetInteger("BinningVertical", binningY);
                SetInteger("Width", 64);
                SetInteger("Height", 32);
                SetInteger("OffsetX", offsetX);
                SetInteger("OffsetY", offsetY);
                SetBoolean("ReverseX", reverseX);
                SetBoolean("ReverseY", reverseY);
                const uint32_t bytesPerPixel =
                    std::string(format).find("RGB") != std::string::npos ||
                            std::string(format).find("BGR") != std::string::npos
                        ? 3
                    : std::string(format) == "Mono8" || std::string(format).rfind("Bayer", 0) == 0
                        ? 1
                        : 2;
                EXPECT_EQ(64 * 32 * bytesPerPixel, Integer("PayloadSize"));
                const Frame frame = GrabOne();
                EXPECT_EQ(64u, frame.info.width);
                EXPECT_EQ(32u, frame.info.height);
                EXPECT_EQ(uint32_t(offsetX), frame.info.offsetX);
                EXPECT_EQ(Sim::ReferenceImage(deviceId_, frame.info.frameId), frame.payload);
            }
        }
    }
}

TEST_F(ImageFormatTest, OffsetsMoveTheWindowOverTheSensor) {
    constexpr uint32_t kWidth = 128;
    constexpr uint32_t kHeight = 16;
    SetInteger("Width", kWidth);
    SetInteger("Height", kHeight);
    SetEntry("TestPattern", "GreyDiagonalRampMoving");
    const Frame before = GrabOne();
    SetInteger("OffsetX", 8);
    SetInteger("OffsetY", 4);
    const Frame after = GrabOne();
    // The pattern also moves by one pixel per frame.
    const auto frames = static_cast<uint32_t>(after.info.frameId - before.info.frameId);
    for (uint32_t y = 1; y + 4 < kHeight; ++y) {
        for (uint32_t x = 0; x + 8 + frames < kWidth; ++x) {
            ASSERT_EQ(Pixel(before.payload, kWidth, 1, x + 8 + frames, y + 4),
                      Pixel(after.payload, kWidth, 1, x, y))
                << x << "," << y;
        }
    }
}

TEST_F(ImageFormatTest, BinningAveragesNeighbouringSensorPixels) {
    constexpr uint32_t kWidth = 64;
    constexpr uint32_t kHeight = 64;
    // Twelve bits never wrap over this window, so averages are plain averages.
    SetEntry("PixelFormat", "Mono16");
    for (const auto& [binningX, binningY] : {std::pair{2u, 2u}, {4u, 1u}, {1u, 4u}, {4u, 4u}}) {
        SCOPED_TRACE(std::to_string(binningX) + "x" + std::to_string(binningY));
        SetInteger("BinningHorizontal", 1);
        SetInteger("BinningVertical", 1);
        SetInteger("Width", kWidth);
        SetInteger("Height", kHeight);
        const Frame sensor = GrabOne();
        SetInteger("BinningHorizontal", binningX);
        SetInteger("BinningVertical", binningY);
        // The window keeps covering the same sensor pixels, and the maxima shrink with it.
        ASSERT_EQ(kWidth / binningX, Integer("Width"));
        ASSERT_EQ(kHeight / binningY, Integer("Height"));
        EXPECT_EQ(Sim::kSensorWidth / binningX, Integer("WidthMax"));
        EXPECT_EQ(Sim::kSensorHeight / binningY, Integer("HeightMax"));
        const Frame binned = GrabOne();
        const auto frames = static_cast<double>(binned.info.frameId - sensor.info.frameId);
        const uint32_t width = kWidth / binningX;
        for (uint32_t y = 1; y < kHeight / binningY; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                double sum = 0;
                for (uint32_t j = 0; j < binningY; ++j) {
                    for (uint32_t i = 0; i < binningX; ++i) {
                        sum +=
                            Pixel(sensor.payload, kWidth, 2, x * binningX + i, y * binningY + j) /
                            16.0;
                    }
                }
                const double mean = sum / (binningX * binningY) + frames;
                ASSERT_EQ(std::lround(mean) * 16, Pixel(binned.payload, width, 2, x, y))
                    << x << "," << y;
            }
        }
    }
}

TEST_F(ImageFormatTest, ReverseMirrorsTheImage) {
    constexpr uint32_t kWidth = 64;
    constexpr uint32_t kHeight = 16;
    SetInteger("Width", kWidth);
    SetInteger("Height", kHeight);
    const Frame plain = GrabOne();
    SetBoolean("ReverseX", true);
    const Frame mirroredX = GrabOne();
    SetBoolean("ReverseX", false);
    SetBoolean("ReverseY", true);
    const Frame mirroredY = GrabOne();
    const auto moved = [&](const Frame& frame, uint32_t value) {
        return static_cast<uint8_t>(value + frame.info.frameId - plain.info.frameId);
    };
    for (uint32_t y = 1; y + 1 < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            ASSERT_EQ(moved(mirroredX, Pixel(plain.payload, kWidth, 1, kWidth - 1 - x, y)),
                      Pixel(mirroredX.payload, kWidth, 1, x, y));
            ASSERT_EQ(moved(mirroredY, Pixel(plain.payload, kWidth, 1, x, kHeight - 1 - y)),
                      Pixel(mirroredY.payload, kWidth, 1, x, y));
        }
    }
}

TEST_F(ImageFormatTest, FormatsCarryTheChannelsTheirNamesPromise) {
    constexpr uint32_t kWidth = 64;
    constexpr uint32_t kHeight = 16;
    SetInteger("Width", kWidth);
    SetInteger("Height", kHeight);
    // A horizontal ramp: frames later, the same values sit further left.
    SetEntry("TestPattern", "GreyHorizontalRampMoving");
    SetEntry("PixelFormat", "RGB8");
    const Frame rgb = GrabOne();
    // Which RGB channel each format shows at (x, y), by the colour filter or the chroma order.
    enum { R, G, B };
    const auto bayer = [](int topLeft, int topRight, int bottomLeft, int bottomRight) {
        return [=](uint32_t x, uint32_t y, uint32_t) {
            const int tile[4] = {topLeft, topRight, bottomLeft, bottomRight};
            return tile[(y % 2) * 2 + x % 2];
        };
    };
    const std::vector<std::pair<const char*, std::function<int(uint32_t, uint32_t, uint32_t)>>>
        formats = {
            {"BGR8", [](uint32_t, uint32_t, uint32_t byte) { return 2 - int(byte); }},
            {"Mono8", [](uint32_t, uint32_t, uint32_t) { return R; }},
            {"BayerRG8", bayer(R, G, G, B)},
            {"BayerGB8", bayer(G, B, R, G)},
            {"BayerGR8", bayer(G, R, B, G)},
            {"BayerBG8", bayer(B, G, G, R)},
            {"YCbCr422_8",
             [](uint32_t x, uint32_t, uint32_t byte) {
                 return byte == 0 ? R : x % 2 == 0 ? G : B;
             }},
        };
    for (const auto& [format, channel] : formats) {
        SCOPED_TRACE(format);
        SetEntry("PixelFormat", format);
        const Frame frame = GrabOne();
        const auto frames = static_cast<uint32_t>(frame.info.frameId - rgb.info.frameId);
        const size_t bytesPerPixel = frame.payload.size() / (kWidth * kHeight);
        for (uint32_t y = 1; y < kHeight; ++y) {
            for (uint32_t x = 0; x + frames < kWidth; ++x) {
                for (uint32_t byte = 0; byte < bytesPerPixel; ++byte) {
                    const uint8_t expected =
                        rgb.payload[(size_t{y} * kWidth + x + frames) * 3 + channel(x, y, byte)];
                    ASSERT_EQ(expected,
                              frame.payload[(size_t{y} * kWidth + x) * bytesPerPixel + byte])
                        << x << "," << y << " byte " << byte;
                }
            }
        }
    }
    // The deeper mono formats show the same ramp with more bits.
    SetEntry("PixelFormat", "Mono16");
    const Frame mono16 = GrabOne();
    for (const auto& [format, period] : {std::pair{"Mono12", 4096u}, {"Mono10", 1024u}}) {
        SetEntry("PixelFormat", format);
        const Frame frame = GrabOne();
        const auto frames = static_cast<uint32_t>(frame.info.frameId - mono16.info.frameId);
        for (uint32_t x = 0; x + frames < kWidth; ++x) {
            ASSERT_EQ(Pixel(mono16.payload, kWidth, 2, x + frames, 1) / 16 % period,
                      Pixel(frame.payload, kWidth, 2, x, 1))
                << format << " " << x;
        }
    }
}

TEST_F(ImageFormatTest, TheWindowStaysOnTheSensor) {
    EXPECT_EQ(Sim::kSensorWidth, Integer("SensorWidth"));
    EXPECT_EQ(Sim::kSensorHeight, Integer("SensorHeight"));
    EXPECT_EQ(Sim::kSensorWidth, Integer("WidthMax"));
    SetInteger("OffsetX", 96);
    // The engine reads the width's maximum from the camera, which leaves room for the offset.
    EXPECT_EQ(Sim::kSensorWidth - 96,
              arv_gc_integer_get_max(ARV_GC_INTEGER(Node("Width")), nullptr));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(*device_, Reg::kWidth, Sim::kSensorWidth - 92));
    EXPECT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kWidth, Sim::kSensorWidth - 96));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(*device_, Reg::kOffsetX, 100));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(*device_, Reg::kOffsetX, 2));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(*device_, Reg::kBinningHorizontal, 3));
    // Binning shrinks the window with the sensor, so it still fits.
    SetInteger("BinningHorizontal", 4);
    EXPECT_EQ(Sim::kSensorWidth / 4, Integer("WidthMax"));
    EXPECT_EQ(24, Integer("OffsetX"));
    EXPECT_EQ((Sim::kSensorWidth - 96) / 4, Integer("Width"));
    // Binning is part of the format: frozen while acquiring, as the width is.
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(*device_, Reg::kBinningHorizontal, 1));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(*device_, Reg::kChunkModeActive, 1));
    EXPECT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kReverseX, 1));
}

}  // namespace
}  // namespace Tevold::Testing
