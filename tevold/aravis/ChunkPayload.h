#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <cstdint>

namespace Tevold::Aravis {

// What CamImageInfo says about the chunks of a payload a camera sent with chunk data. The
// payload reaches the consumer untouched: the image and every chunk, each one's data followed
// by its 32-bit ID and 32-bit length, the last ending at the end of the payload; GigE Vision
// cameras write those trailers big-endian, USB3 Vision cameras little-endian.
struct ChunkPayload {
    uint32_t byteOrder = kChunksNone;
    // A hash of the chunk IDs and lengths, walked back from the end of the payload, so it
    // changes whenever the chunks or their sizes do; never 0. A trailer that does not fit stops
    // the walk: the consumer's chunk parser then refuses the payload.
    uint64_t layoutId = 0;

    static ChunkPayload Describe(const uint8_t* payload, size_t size, CamChunkByteOrder order);
};

}  // namespace Tevold::Aravis
