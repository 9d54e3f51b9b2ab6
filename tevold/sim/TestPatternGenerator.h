#pragma once

#include "tevold/sim/CameraSettings.h"
#include "tevold/sim/ImageFormat.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Tevold::Sim {

// Draws the test pattern described in SimControl.h. Every row of an image is a window into one
// of a few precomputed lines, so an image is one memcpy per row: a row's pixels depend only on
// where its first pixel falls on the sensor's ramp, on the row's parity (Bayer colours) and on
// the binning phase, and each combination has its line.
class TestPatternGenerator {
public:
    TestPatternGenerator(const ImageFormat& format, uint32_t testPattern,
                         const SensorResponse& response);

    const ImageFormat& Format() const { return format_; }
    // Writes one whole image (Format().ImageSize() bytes); false when stop was set before the
    // whole image was written, which the writer looks at every few hundred kilobytes.
    bool Fill(uint8_t* destination, uint64_t frameId, const std::atomic<bool>& stop) const;
    // The same image worked out pixel by pixel from the pattern's definition.
    std::vector<uint8_t> Reference(uint64_t frameId) const;
    // The mean pixel value of the images as a part of full scale (0 to 1), over a whole period
    // of the pattern: what an auto exposure measures.
    double MeanLevel() const;

private:
    struct RowStart {
        const uint8_t* source;
    };
    void BuildLines();
    // The row's ramp position k: where the row's first (unmirrored) pixel sits on the ramp.
    uint64_t RowPosition(uint32_t y, uint64_t frameId) const;
    const uint8_t* RowSource(uint32_t y, uint64_t frameId) const;
    // The pixel at ramp position t with the given parities, encoded into out.
    void EncodePixel(uint8_t* out, uint32_t xParity, uint32_t yParity, uint64_t t) const;
    // The binned, exposed value of one colour channel at ramp position t.
    uint32_t Level(uint32_t channel, uint64_t t) const;
    // The sensor's response to the raw (binned) value, in the format's full scale.
    uint32_t Respond(uint32_t channel, double raw) const;

    ImageFormat format_;
    uint32_t testPattern_;
    SensorResponse response_;
    uint32_t period_;   // values after which the ramp repeats
    uint32_t rowSpan_;  // sensor rows whose values are averaged on the ramp (1 when flat)
    uint32_t bytesPerPixel_;
    size_t lineLength_;  // pixels per line
    std::vector<std::vector<uint8_t>> lines_;
};

}  // namespace Tevold::Sim
