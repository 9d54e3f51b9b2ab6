#include "tevold/sim/TestPatternGenerator.h"

#include "tevold/SimRegisterMap.h"
#include "tevold/sim/LittleEndian.h"
#include "tevold/sim/StreamingCopy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Tevold::Sim {
namespace {

// How much of an image is written between two looks at the stop request: a stop waits for at
// most this much memory traffic, a few tens of microseconds.
constexpr size_t kBytesBetweenStopChecks = 256 * 1024;

// Colour channels of the ramp: red, green, blue; each is the grey ramp moved by a third.
constexpr uint32_t kRed = 0;
constexpr uint32_t kGreen = 1;
constexpr uint32_t kBlue = 2;
constexpr uint32_t kChannelShift = 85;

uint32_t PeriodOf(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case PixelFormat::kMono10:
            return 1024;
        case PixelFormat::kMono12:
        case PixelFormat::kMono16:
            return 4096;
        default:
            return 256;
    }
}

bool IsMono(uint32_t pixelFormat) {
    return pixelFormat == PixelFormat::kMono8 || pixelFormat == PixelFormat::kMono10 ||
           pixelFormat == PixelFormat::kMono12 || pixelFormat == PixelFormat::kMono16 ||
           pixelFormat == PixelFormat::kYCbCr422_8;
}

// The colour a Bayer sensor sees at a pixel of the given parities.
uint32_t BayerColour(uint32_t pixelFormat, uint32_t xParity, uint32_t yParity) {
    // The 2x2 tile, row by row: top left, top right, bottom left, bottom right.
    static constexpr uint32_t kRG[4] = {kRed, kGreen, kGreen, kBlue};
    static constexpr uint32_t kGB[4] = {kGreen, kBlue, kRed, kGreen};
    static constexpr uint32_t kGR[4] = {kGreen, kRed, kBlue, kGreen};
    static constexpr uint32_t kBG[4] = {kBlue, kGreen, kGreen, kRed};
    const uint32_t cell = yParity * 2 + xParity;
    switch (pixelFormat) {
        case PixelFormat::kBayerRG8:
            return kRG[cell];
        case PixelFormat::kBayerGB8:
            return kGB[cell];
        case PixelFormat::kBayerGR8:
            return kGR[cell];
        default:
            return kBG[cell];
    }
}

}  // namespace

TestPatternGenerator::TestPatternGenerator(const ImageFormat& format, uint32_t testPattern,
                                           const SensorResponse& response)
    : format_(format),
      testPattern_(testPattern),
      response_(response),
      period_(PeriodOf(format.pixelFormat)),
      rowSpan_(testPattern == TestPattern::kGreyDiagonalRampMoving ? format.binningY : 1),
      bytesPerPixel_(format.BytesPerPixel()),
      lineLength_(period_ / format.binningX + format.width) {
    BuildLines();
}

uint32_t TestPatternGenerator::Respond(uint32_t channel, double raw) const {
    const double top = period_ - 1;
    double gainDb = response_.gain[Gain::kAll];
    if (!IsMono(format_.pixelFormat)) {
        gainDb += response_.gain[Gain::kRed + channel];
    }
    const double scale =
        response_.exposureTime / kDefaultExposureTime * std::pow(10.0, gainDb / 20);
    double value = raw * scale + response_.blackLevel * period_ / 256;
    value = std::clamp(value, 0.0, top);
    if (response_.gamma != 1) {
        value = top * std::pow(value / top, response_.gamma);
    }
    return static_cast<uint32_t>(std::lround(value));
}

uint32_t TestPatternGenerator::Level(uint32_t channel, uint64_t t) const {
    if (testPattern_ == TestPattern::kBlack) {
        return Respond(channel, 0);
    }
    // The sensor pixels a binned pixel averages lie at t + i + j on the ramp.
    uint64_t sum = 0;
    for (uint32_t j = 0; j < rowSpan_; ++j) {
        for (uint32_t i = 0; i < format_.binningX; ++i) {
            sum += (t + i + j + kChannelShift * channel) % period_;
        }
    }
    return Respond(channel, static_cast<double>(sum) / (rowSpan_ * format_.binningX));
}

void TestPatternGenerator::EncodePixel(uint8_t* out, uint32_t xParity, uint32_t yParity,
                                       uint64_t t) const {
    switch (format_.pixelFormat) {
        case PixelFormat::kMono10:
        case PixelFormat::kMono12:
            StoreLittleEndian(out, static_cast<uint16_t>(Level(kRed, t)));
            break;
        case PixelFormat::kMono16:
            StoreLittleEndian(out, static_cast<uint16_t>(Level(kRed, t) * 16));
            break;
        case PixelFormat::kRGB8:
            out[0] = static_cast<uint8_t>(Level(kRed, t));
            out[1] = static_cast<uint8_t>(Level(kGreen, t));
            out[2] = static_cast<uint8_t>(Level(kBlue, t));
            break;
        case PixelFormat::kBGR8:
            out[0] = static_cast<uint8_t>(Level(kBlue, t));
            out[1] = static_cast<uint8_t>(Level(kGreen, t));
            out[2] = static_cast<uint8_t>(Level(kRed, t));
            break;
        case PixelFormat::kYCbCr422_8:
            // Luma from the grey ramp; an even pixel carries Cb, an odd one Cr.
            out[0] = static_cast<uint8_t>(Level(kRed, t));
            out[1] = static_cast<uint8_t>(Level(xParity == 0 ? kGreen : kBlue, t));
            break;
        case PixelFormat::kBayerRG8:
        case PixelFormat::kBayerGB8:
        case PixelFormat::kBayerGR8:
        case PixelFormat::kBayerBG8:
            out[0] =
                static_cast<uint8_t>(Level(BayerColour(format_.pixelFormat, xParity, yParity), t));
            break;
        default:
            out[0] = static_cast<uint8_t>(Level(kRed, t));
            break;
    }
}

// A row whose first unmirrored pixel sits at ramp position k = bx * q + r reads pixel x at
// t = r + bx * (q + x): a window starting at q into the line of phase r. Mirrored, it reads
// t = r + bx * (q + width - 1 - x), a window starting at period / bx - q into the same line
// stored backwards. Lines are kept per row parity, phase r and parity of q, since the Bayer
// colour and the chroma follow the parity of x.
void TestPatternGenerator::BuildLines() {
    const uint32_t bx = format_.binningX;
    const size_t last = lineLength_ - 1;
    lines_.assign(size_t{2} * bx * 2, std::vector<uint8_t>(lineLength_ * bytesPerPixel_));
    for (uint32_t yParity = 0; yParity < 2; ++yParity) {
        for (uint32_t r = 0; r < bx; ++r) {
            for (uint32_t qParity = 0; qParity < 2; ++qParity) {
                std::vector<uint8_t>& line = lines_[(yParity * bx + r) * 2 + qParity];
                for (size_t u = 0; u < lineLength_; ++u) {
                    const size_t rampIndex = format_.reverseX ? last - u : u;
                    EncodePixel(&line[u * bytesPerPixel_], (u + qParity) & 1, yParity,
                                r + uint64_t{bx} * rampIndex);
                }
            }
        }
    }
}

uint64_t TestPatternGenerator::RowPosition(uint32_t y, uint64_t frameId) const {
    const uint32_t sensorRow = format_.reverseY ? format_.height - 1 - y : y;
    uint64_t k = uint64_t{format_.offsetX} * format_.binningX + frameId;
    if (testPattern_ == TestPattern::kGreyDiagonalRampMoving) {
        k += (uint64_t{format_.offsetY} + sensorRow) * format_.binningY;
    }
    return k % period_;
}

const uint8_t* TestPatternGenerator::RowSource(uint32_t y, uint64_t frameId) const {
    const uint32_t bx = format_.binningX;
    const uint64_t k = RowPosition(y, frameId);
    const auto r = static_cast<uint32_t>(k % bx);
    const uint64_t q = k / bx;
    const std::vector<uint8_t>& line = lines_[((y & 1) * bx + r) * 2 + (q & 1)];
    const uint64_t start = format_.reverseX ? period_ / bx - q : q;
    return line.data() + start * bytesPerPixel_;
}

bool TestPatternGenerator::Fill(uint8_t* destination, uint64_t frameId,
                                const std::atomic<bool>& stop) const {
    const size_t rowBytes = format_.RowBytes();
    const bool streaming = format_.ImageSize() >= StreamingThreshold();
    uint8_t* row = destination;
    size_t sinceStopCheck = 0;
    for (uint32_t y = 0; y < format_.height; ++y) {
        const uint8_t* source = RowSource(y, frameId);
        if (streaming) {
            StreamingCopy(row, source, rowBytes);
        } else {
            std::memcpy(row, source, rowBytes);
        }
        row += rowBytes;
        sinceStopCheck += rowBytes;
        if (sinceStopCheck >= kBytesBetweenStopChecks) {
            sinceStopCheck = 0;
            if (stop.load(std::memory_order_relaxed)) {
                StreamingCopyDone();
                return false;
            }
        }
    }
    if (streaming) {
        StreamingCopyDone();
    }
    StoreLittleEndian(destination, frameId);
    return true;
}

std::vector<uint8_t> TestPatternGenerator::Reference(uint64_t frameId) const {
    std::vector<uint8_t> image(format_.ImageSize());
    const uint32_t bx = format_.binningX;
    const uint32_t by = format_.binningY;
    const bool diagonal = testPattern_ == TestPattern::kGreyDiagonalRampMoving;
    for (uint32_t y = 0; y < format_.height; ++y) {
        const uint32_t sensorRow = format_.reverseY ? format_.height - 1 - y : y;
        for (uint32_t x = 0; x < format_.width; ++x) {
            const uint32_t sensorColumn = format_.reverseX ? format_.width - 1 - x : x;
            // The top left sensor pixel of the binned pixel, on the ramp.
            uint64_t t = (uint64_t{format_.offsetX} + sensorColumn) * bx + frameId;
            if (diagonal) {
                t += (uint64_t{format_.offsetY} + sensorRow) * by;
            }
            EncodePixel(&image[(size_t{y} * format_.width + x) * bytesPerPixel_], x & 1, y & 1, t);
        }
    }
    for (size_t i = 0; i < sizeof frameId && i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(frameId >> (8 * i));
    }
    return image;
}

double TestPatternGenerator::MeanLevel() const {
    uint64_t sum = 0;
    for (uint64_t t = 0; t < period_; ++t) {
        sum += Level(kRed, t);
    }
    return static_cast<double>(sum) / period_ / (period_ - 1);
}

}  // namespace Tevold::Sim
