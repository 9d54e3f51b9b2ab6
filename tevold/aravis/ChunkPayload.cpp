#include "tevold/aravis/ChunkPayload.h"

namespace Tevold::Aravis {
namespace {

constexpr size_t kTrailerSize = 8;
constexpr uint64_t kHashOffset = 0xcbf29ce484222325ULL;
constexpr uint64_t kHashPrime = 0x100000001b3ULL;

uint32_t ReadWord(const uint8_t* at, CamChunkByteOrder order) {
    uint32_t value = 0;
    for (int index = 0; index < 4; ++index) {
        const int shift = order == kChunksBigEndian ? 8 * (3 - index) : 8 * index;
        value |= static_cast<uint32_t>(at[index]) << shift;
    }
    return value;
}

// FNV-1a over the four bytes of word, least significant first.
uint64_t Mix(uint64_t hash, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        hash = (hash ^ ((word >> shift) & 0xFFu)) * kHashPrime;
    }
    return hash;
}

}  // namespace

ChunkPayload ChunkPayload::Describe(const uint8_t* payload, size_t size, CamChunkByteOrder order) {
    uint64_t hash = kHashOffset;
    size_t end = size;
    while (end >= kTrailerSize) {
        const uint32_t id = ReadWord(payload + end - kTrailerSize, order);
        const uint32_t length = ReadWord(payload + end - kTrailerSize / 2, order);
        hash = Mix(Mix(hash, id), length);
        if (length > end - kTrailerSize) {
            break;
        }
        end -= kTrailerSize + length;
    }
    return {order, hash != 0 ? hash : 1};
}

}  // namespace Tevold::Aravis
