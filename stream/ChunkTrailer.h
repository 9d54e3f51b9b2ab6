// The chunks of a delivered payload, found by walking the chunk trailers back from its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "GenTL.h"

namespace GenICam::Client {

class ChunkTrailer {
public:
    // Each chunk of the filled bytes at base is its data followed by its 32-bit ID and its
    // 32-bit data length (big-endian or little-endian); the last ends at filled and the first
    // starts at base. A payload that does not split this way raises RuntimeException: nothing
    // outside base .. base + filled is read.
    static std::vector<GenTL::SINGLE_CHUNK_DATA> Parse(const uint8_t* base, size_t filled,
                                                       bool bigEndian);
};

}  // namespace GenICam::Client
