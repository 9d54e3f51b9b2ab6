#include "tevold/sim/ImageFormat.h"

#include "tevold/SimRegisterMap.h"

namespace Tevold::Sim {

uint32_t BytesPerPixel(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case PixelFormat::kMono8:
        case PixelFormat::kBayerRG8:
        case PixelFormat::kBayerGB8:
        case PixelFormat::kBayerGR8:
        case PixelFormat::kBayerBG8:
            return 1;
        case PixelFormat::kMono10:
        case PixelFormat::kMono12:
        case PixelFormat::kMono16:
        case PixelFormat::kYCbCr422_8:
            return 2;
        case PixelFormat::kRGB8:
        case PixelFormat::kBGR8:
            return 3;
        default:
            return 0;
    }
}

uint32_t ImageFormat::BytesPerPixel() const { return Sim::BytesPerPixel(pixelFormat); }

}  // namespace Tevold::Sim
