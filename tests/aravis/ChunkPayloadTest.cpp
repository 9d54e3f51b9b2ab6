// What the GigE Vision and USB3 Vision backend reports about a payload that carries chunks: the
// trailers' byte order, and a layout ID that follows the chunk IDs and lengths alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tevold/aravis/ChunkPayload.h"

namespace aravis_tests {
namespace {

using Tevold::Aravis::ChunkPayload;

struct Chunk {
    uint32_t id;
    uint32_t length;
    uint8_t fill;
};

void AppendWord(std::vector<uint8_t>& payload, uint32_t word, Tevold::CamChunkByteOrder order) {
    for (int index = 0; index < 4; ++index) {
        const int shift = order == Tevold::kChunksBigEndian ? 8 * (3 - index) : 8 * index;
        payload.push_back(static_cast<uint8_t>(word >> shift));
    }
}

// The image chunk first, each chunk's data followed by its ID and length.
std::vector<uint8_t> Payload(const std::vector<Chunk>& chunks, Tevold::CamChunkByteOrder order) {
    std::vector<uint8_t> payload;
    for (const Chunk& chunk : chunks) {
        payload.insert(payload.end(), chunk.length, chunk.fill);
        AppendWord(payload, chunk.id, order);
        AppendWord(payload, chunk.length, order);
    }
    return payload;
}

uint64_t LayoutId(const std::vector<uint8_t>& payload, Tevold::CamChunkByteOrder order) {
    const ChunkPayload described = ChunkPayload::Describe(payload.data(), payload.size(), order);
    EXPECT_EQ(described.byteOrder, static_cast<uint32_t>(order));
    EXPECT_NE(described.layoutId, 0u);
    return described.layoutId;
}

TEST(ChunkPayload, LayoutIdFollowsTheChunkIdsAndLengthsInEitherByteOrder) {
    const std::vector<Chunk> layout = {{1, 64, 0x11}, {0x1001, 4, 0x22}, {0x1002, 8, 0x33}};
    const uint64_t bigEndian =
        LayoutId(Payload(layout, Tevold::kChunksBigEndian), Tevold::kChunksBigEndian);
    EXPECT_EQ(LayoutId(Payload(layout, Tevold::kChunksLittleEndian), Tevold::kChunksLittleEndian),
              bigEndian);
    // Other image and chunk bytes, the same layout.
    EXPECT_EQ(LayoutId(Payload({{1, 64, 0x99}, {0x1001, 4, 0}, {0x1002, 8, 0xFF}},
                               Tevold::kChunksBigEndian),
                       Tevold::kChunksBigEndian),
              bigEndian);

    const std::vector<std::vector<Chunk>> others = {
        {{1, 64, 0x11}, {0x1001, 4, 0x22}, {0x1002, 12, 0x33}},  // a chunk grew
        {{1, 64, 0x11}, {0x1001, 4, 0x22}, {0x1003, 8, 0x33}},   // another chunk
        {{1, 64, 0x11}, {0x1001, 4, 0x22}},                      // one chunk fewer
        {{1, 128, 0x11}, {0x1001, 4, 0x22}, {0x1002, 8, 0x33}},  // a larger image
    };
    for (const std::vector<Chunk>& other : others) {
        EXPECT_NE(LayoutId(Payload(other, Tevold::kChunksBigEndian), Tevold::kChunksBigEndian),
                  bigEndian);
    }
}

// A trailer that claims more than the payload holds, or a payload too short for one, is still
// a payload with chunks (the consumer's chunk parser refuses it); nothing outside it is read.
TEST(ChunkPayload, TrailersThatDoNotFitStopTheWalkInsideThePayload) {
    std::vector<uint8_t> payload = Payload({{1, 16, 0x11}}, Tevold::kChunksBigEndian);
    payload[payload.size() - 1] = 0xFF;
    LayoutId(payload, Tevold::kChunksBigEndian);
    const std::vector<uint8_t> tooShort = {1, 2, 3};
    LayoutId(tooShort, Tevold::kChunksLittleEndian);
    LayoutId({}, Tevold::kChunksBigEndian);
}

}  // namespace
}  // namespace aravis_tests
