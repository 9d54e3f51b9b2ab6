#include "stream/ChunkTrailer.h"

#include <algorithm>

#include "common/GenICamException.h"

namespace GenICam::Client {

namespace {
constexpr size_t kTrailerBytes = 8;

uint32_t Load32(const uint8_t* bytes, bool bigEndian) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t index = bigEndian ? i : 3 - i;
        value = value << 8 | bytes[index];
    }
    return value;
}
}  // namespace

std::vector<GenTL::SINGLE_CHUNK_DATA> ChunkTrailer::Parse(const uint8_t* base, size_t filled,
                                                          bool bigEndian) {
    std::vector<GenTL::SINGLE_CHUNK_DATA> chunks;
    size_t end = filled;
    while (end > 0) {
        if (end < kTrailerBytes)
            GENICAM_THROW(RuntimeException, "Chunk data ends in a broken trailer");
        const uint8_t* trailer = base + end - kTrailerBytes;
        const uint32_t id = Load32(trailer, bigEndian);
        const uint32_t length = Load32(trailer + 4, bigEndian);
        if (length > end - kTrailerBytes)
            GENICAM_THROW(RuntimeException, "Chunk 0x%x is longer than the payload before it", id);
        end -= kTrailerBytes + length;
        chunks.push_back({id, static_cast<ptrdiff_t>(end), length});
    }
    std::reverse(chunks.begin(), chunks.end());
    return chunks;
}

}  // namespace GenICam::Client
