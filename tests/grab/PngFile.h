// A PNG file read back with libpng: its header and its rows as stored (16-bit samples
// big-endian, as PNG keeps them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace grabtool {

struct PngImage {
    bool valid = false;
    std::string error;
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colorType = -1;
    std::vector<std::vector<uint8_t>> rows;
};

PngImage ReadPng(const std::string& path);

// The first 8 bytes of the image as the camera sent them (16-bit samples back in little-endian
// order), read as a little-endian number: the simulated cameras' frame ID.
uint64_t FrameIdOf(const PngImage& image);

}  // namespace grabtool
