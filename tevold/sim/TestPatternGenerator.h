#pragma once

#include "tevold/sim/ImageFormat.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Tevold::Sim {

// Draws the test pattern described in SimControl.h at memory speed. Every row of the pattern is a
// window into one precomputed line, so an image is one memcpy per row: the line holds the pixel
// values for s = 0 .. width + period, and a row starts at s mod period.
class TestPatternGenerator {
public:
    TestPatternGenerator(const ImageFormat& format, uint32_t testPattern);

    const ImageFormat& Format() const { return format_; }
    // Writes one whole image (Format().PayloadSize() bytes); false when stop was set before the
    // whole image was written, which the writer looks at every few hundred kilobytes.
    bool Fill(uint8_t* destination, uint64_t frameId, const std::atomic<bool>& stop) const;

private:
    void BuildLine();

    ImageFormat format_;
    uint32_t testPattern_;
    uint32_t period_;       // pixels after which the values repeat
    uint32_t shiftPerRow_;  // how much s grows from one row to the next
    std::vector<uint8_t> line_;
};

}  // namespace Tevold::Sim
