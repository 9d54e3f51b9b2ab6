#include "tevold/sim/ImageFormat.h"

#include "tevold/SimRegisterMap.h"

namespace Tevold::Sim {

uint32_t BytesPerPixel(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case PixelFormat::kMono8:
            return 1;
        case PixelFormat::kMono16:
            return 2;
        case PixelFormat::kRGB8:
            return 3;
        default:
            return 0;
    }
}

uint32_t ImageFormat::BytesPerPixel() const { return Sim::BytesPerPixel(pixelFormat); }

}  // namespace Tevold::Sim
