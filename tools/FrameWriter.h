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
    uint64_t frameId = 0;
    uint64_t timestamp = 0;  // the camera's, in its ticks
};

class FrameWriter {
public:
    enum class Format { Png, Raw };

    // Creates the folder if needed; throws std::runtime_error when it cannot, and, unless told to
    // overwrite them, when the folder already holds frames. pixelFormatName is the camera's name
    // of the format it streams, for the raw frames' descriptions.
    FrameWriter(const std::string& folder, Format format, bool overwrite = false,
                const std::string& pixelFormatName = "");

    // Writes "frame-<index, 6 digits>.png" (or ".raw" with a "frame-<index>.json" beside it that
    // says what the bytes are); throws std::runtime_error on failure, leaving no partial file.
    void Write(const Frame& frame, uint64_t index) const;

private:
    void WriteFile(const Frame& frame, const std::string& path) const;
    void WriteDescription(const Frame& frame, const std::string& path) const;

    std::string folder_;
    Format format_;
    std::string pixelFormatName_;
};

}  // namespace Kavrin::Tools
