#pragma once

#include <cstddef>
#include <cstdint>

namespace Tevold::Sim {

// Geometry and pixel format of the images a camera produces.
struct ImageFormat {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pixelFormat = 0;

    uint32_t BytesPerPixel() const;
    size_t RowBytes() const { return size_t{width} * BytesPerPixel(); }
    size_t PayloadSize() const { return RowBytes() * height; }
};

// 0 for a format the simulator cannot produce.
uint32_t BytesPerPixel(uint32_t pixelFormat);

}  // namespace Tevold::Sim
