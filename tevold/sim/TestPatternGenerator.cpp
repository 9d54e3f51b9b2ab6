#include "tevold/sim/TestPatternGenerator.h"

#include "tevold/SimRegisterMap.h"
#include "tevold/sim/LittleEndian.h"
#include "tevold/sim/StreamingCopy.h"

#include <cstring>

namespace Tevold::Sim {
namespace {

// How much of an image is written between two looks at the stop request: a stop waits for at
// most this much memory traffic, a few tens of microseconds.
constexpr size_t kBytesBetweenStopChecks = 256 * 1024;

uint32_t PeriodOf(uint32_t pixelFormat) { return pixelFormat == PixelFormat::kMono16 ? 4096 : 256; }

void StorePixel(uint8_t* pixel, uint32_t pixelFormat, uint32_t s) {
    switch (pixelFormat) {
        case PixelFormat::kMono16:
            StoreLittleEndian(pixel, static_cast<uint16_t>((s % 4096) * 16));
            break;
        case PixelFormat::kRGB8:
            pixel[0] = static_cast<uint8_t>(s);
            pixel[1] = static_cast<uint8_t>(s + 85);
            pixel[2] = static_cast<uint8_t>(s + 170);
            break;
        default:
            pixel[0] = static_cast<uint8_t>(s);
            break;
    }
}

}  // namespace

TestPatternGenerator::TestPatternGenerator(const ImageFormat& format, uint32_t testPattern)
    : format_(format),
      testPattern_(testPattern),
      period_(PeriodOf(format.pixelFormat)),
      shiftPerRow_(testPattern == TestPattern::kGreyDiagonalRampMoving ? 1 : 0) {
    BuildLine();
}

void TestPatternGenerator::BuildLine() {
    const uint32_t bytesPerPixel = format_.BytesPerPixel();
    const uint32_t pixels = format_.width + period_;
    line_.assign(size_t{pixels} * bytesPerPixel, 0);
    if (testPattern_ == TestPattern::kBlack) {
        return;
    }
    for (uint32_t s = 0; s < pixels; ++s) {
        StorePixel(&line_[size_t{s} * bytesPerPixel], format_.pixelFormat, s);
    }
}

bool TestPatternGenerator::Fill(uint8_t* destination, uint64_t frameId,
                                const std::atomic<bool>& stop) const {
    const size_t rowBytes = format_.RowBytes();
    const size_t bytesPerPixel = format_.BytesPerPixel();
    const bool streaming = format_.PayloadSize() >= StreamingThreshold();
    const uint32_t frameShift =
        testPattern_ == TestPattern::kBlack ? 0 : static_cast<uint32_t>(frameId % period_);
    uint32_t shift = frameShift;
    uint8_t* row = destination;
    size_t sinceStopCheck = 0;
    for (uint32_t y = 0; y < format_.height; ++y) {
        const uint8_t* source = line_.data() + shift * bytesPerPixel;
        if (streaming) {
            StreamingCopy(row, source, rowBytes);
        } else {
            std::memcpy(row, source, rowBytes);
        }
        row += rowBytes;
        shift += shiftPerRow_;
        if (shift >= period_) {
            shift -= period_;
        }
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

}  // namespace Tevold::Sim
