#pragma once

#include "tevold/SimRegisterMap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tevold::Sim {

// What the chunks after an image tell about it.
struct ChunkValues {
    uint64_t timestampNs = 0;
    uint64_t frameId = 0;
    double exposureTime = 0;
    double gain = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t offsetX = 0;
    uint32_t offsetY = 0;
    uint32_t pixelFormat = 0;
};

// Where the chunks of a payload sit. Each chunk is its data (a multiple of 4 bytes) followed by
// its 32-bit ID and its 32-bit data length, so a parser walks back from the end of the payload;
// the image is the first chunk. The IDs, lengths and values are big-endian for GigE Vision
// cameras and little-endian for USB3 Vision ones. Without chunk mode the payload is the image.
class ChunkLayout {
public:
    using Enabled = std::array<bool, Chunk::kCount>;

    ChunkLayout(size_t imageSize, bool chunkMode, const Enabled& enabled, bool bigEndian);

    bool Active() const { return active_; }
    size_t PayloadSize() const { return payloadSize_; }
    // Changes whenever the chunks or their sizes do; 0 without chunks.
    uint64_t LayoutId() const { return layoutId_; }
    // Writes the padding after the image and every chunk after it.
    void Write(uint8_t* payload, const ChunkValues& values) const;

    static uint32_t DataLength(uint32_t chunk);
    static uint32_t ChunkId(uint32_t chunk);

private:
    size_t imageSize_;
    bool active_;
    bool bigEndian_;
    std::vector<uint32_t> chunks_;  // ChunkSelector values after the image, in order
    size_t payloadSize_;
    uint64_t layoutId_ = 0;
};

}  // namespace Tevold::Sim
