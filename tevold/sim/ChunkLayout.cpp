#include "tevold/sim/ChunkLayout.h"

#include <cstring>

namespace Tevold::Sim {
namespace {

constexpr size_t kTrailerBytes = 8;

size_t Padded(size_t bytes) { return (bytes + 3) / 4 * 4; }

template <typename Unsigned>
uint8_t* Store(uint8_t* at, Unsigned value, bool bigEndian) {
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        const size_t shift = 8 * (bigEndian ? sizeof(Unsigned) - 1 - i : i);
        at[i] = static_cast<uint8_t>(value >> shift);
    }
    return at + sizeof(Unsigned);
}

uint8_t* StoreDouble(uint8_t* at, double value, bool bigEndian) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Store(at, bits, bigEndian);
}

}  // namespace

ChunkLayout::ChunkLayout(size_t imageSize, bool chunkMode, const Enabled& enabled, bool bigEndian)
    : imageSize_(imageSize), active_(chunkMode), bigEndian_(bigEndian), payloadSize_(imageSize) {
    if (!active_) {
        return;
    }
    payloadSize_ = Padded(imageSize) + kTrailerBytes;
    // The ID mixes in the image size and every chunk present, so any change gives a new one.
    layoutId_ = 1469598103934665603ull ^ imageSize;
    for (uint32_t chunk = Chunk::kImage + 1; chunk < Chunk::kCount; ++chunk) {
        if (enabled[chunk]) {
            chunks_.push_back(chunk);
            payloadSize_ += DataLength(chunk) + kTrailerBytes;
            layoutId_ = (layoutId_ ^ chunk) * 1099511628211ull;
        }
    }
    layoutId_ = layoutId_ == 0 ? 1 : layoutId_;
}

uint32_t ChunkLayout::DataLength(uint32_t chunk) {
    switch (chunk) {
        case Chunk::kTimestamp:
        case Chunk::kFrameID:
        case Chunk::kExposureTime:
        case Chunk::kGain:
            return 8;
        default:
            return 4;
    }
}

uint32_t ChunkLayout::ChunkId(uint32_t chunk) {
    return chunk == Chunk::kImage ? Chunk::kImageChunkId : Chunk::kChunkIdBase + chunk;
}

void ChunkLayout::Write(uint8_t* payload, const ChunkValues& values) const {
    if (!active_) {
        return;
    }
    const size_t imageChunk = Padded(imageSize_);
    std::memset(payload + imageSize_, 0, imageChunk - imageSize_);
    uint8_t* at = Store(payload + imageChunk, ChunkId(Chunk::kImage), bigEndian_);
    at = Store(at, static_cast<uint32_t>(imageChunk), bigEndian_);
    for (const uint32_t chunk : chunks_) {
        switch (chunk) {
            case Chunk::kTimestamp:
                at = Store(at, values.timestampNs, bigEndian_);
                break;
            case Chunk::kFrameID:
                at = Store(at, values.frameId, bigEndian_);
                break;
            case Chunk::kExposureTime:
                at = StoreDouble(at, values.exposureTime, bigEndian_);
                break;
            case Chunk::kGain:
                at = StoreDouble(at, values.gain, bigEndian_);
                break;
            case Chunk::kWidth:
                at = Store(at, values.width, bigEndian_);
                break;
            case Chunk::kHeight:
                at = Store(at, values.height, bigEndian_);
                break;
            case Chunk::kOffsetX:
                at = Store(at, values.offsetX, bigEndian_);
                break;
            case Chunk::kOffsetY:
                at = Store(at, values.offsetY, bigEndian_);
                break;
            default:
                at = Store(at, values.pixelFormat, bigEndian_);
                break;
        }
        at = Store(at, ChunkId(chunk), bigEndian_);
        at = Store(at, DataLength(chunk), bigEndian_);
    }
}

}  // namespace Tevold::Sim
