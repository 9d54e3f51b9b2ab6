#pragma once

#include <cstddef>
#include <cstdint>

namespace Tevold::Sim {

// Geometry and pixel format of the images a camera produces: a window of width x height pixels
// at (offsetX, offsetY) over the sensor binned by binningX x binningY, mirrored as asked.
struct ImageFormat {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t pixelFormat = 0;
    uint32_t offsetX = 0;
    uint32_t offsetY = 0;
    uint32_t binningX = 1;
    uint32_t binningY = 1;
    bool reverseX = false;
    bool reverseY = false;

    uint32_t BytesPerPixel() const;
    size_t RowBytes() const { return size_t{width} * BytesPerPixel(); }
    // Bytes of the image alone.
    size_t ImageSize() const { return RowBytes() * height; }
};

// 0 for a format the simulator cannot produce.
uint32_t BytesPerPixel(uint32_t pixelFormat);

}  // namespace Tevold::Sim
