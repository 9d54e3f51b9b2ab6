// Stores delivered frames as files in a folder: PNG (grey for mono formats and for Bayer formats,
// whose raw mosaic is kept; RGB for colour formats) or the image bytes as they came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kavrin::Tools {

struct Frame {
    const uint8_t* data = nullptr;
    size_t size = 0;  // bytes of the delivered image
    size_t width = 0;
    size_t height = 0;
    uint64_t pixelFormat = 0;  // PFNC code
};

class FrameWriter {
public:
    enum class Format { Png, Raw };

    // Creates the folder if needed; throws std::runtime_error when it cannot.
    FrameWriter(const std::string& folder, Format format);

    // Writes "frame-<index, 6 digits>.png" (or ".raw"); throws std::runtime_error on failure.
    void Write(const Frame& frame, uint64_t index) const;

private:
    std::string folder_;
    Format format_;
};

}  // namespace Kavrin::Tools
