#include "tools/FrameWriter.h"

#include <arv.h>
#include <png.h>

#include "tools/JsonWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Kavrin::Tools {

namespace {

// How one pixel format goes into a PNG.
struct PngLayout {
    uint32_t pixelFormat;
    int colorType;
    int bitDepth;         // 8 or 16 bits per sample in the file
    int significantBits;  // of each sample in the camera's data
    bool bgr;             // samples come blue first
};

constexpr PngLayout kLayouts[] = {
    {ARV_PIXEL_FORMAT_MONO_8, PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {ARV_PIXEL_FORMAT_MONO_10, PNG_COLOR_TYPE_GRAY, 16, 10, false},
    {ARV_PIXEL_FORMAT_MONO_12, PNG_COLOR_TYPE_GRAY, 16, 12, false},
    {ARV_PIXEL_FORMAT_MONO_14, PNG_COLOR_TYPE_GRAY, 16, 14, false},
    {ARV_PIXEL_FORMAT_MONO_16, PNG_COLOR_TYPE_GRAY, 16, 16, false},
    {ARV_PIXEL_FORMAT_BAYER_GR_8, PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {ARV_PIXEL_FORMAT_BAYER_RG_8, PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {ARV_PIXEL_FORMAT_BAYER_GB_8, PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {ARV_PIXEL_FORMAT_BAYER_BG_8, PNG_COLOR_TYPE_GRAY, 8, 8, false},
    {ARV_PIXEL_FORMAT_BAYER_GR_10, PNG_COLOR_TYPE_GRAY, 16, 10, false},
    {ARV_PIXEL_FORMAT_BAYER_RG_10, PNG_COLOR_TYPE_GRAY, 16, 10, false},
    {ARV_PIXEL_FORMAT_BAYER_GB_10, PNG_COLOR_TYPE_GRAY, 16, 10, false},
    {ARV_PIXEL_FORMAT_BAYER_BG_10, PNG_COLOR_TYPE_GRAY, 16, 10, false},
    {ARV_PIXEL_FORMAT_BAYER_GR_12, PNG_COLOR_TYPE_GRAY, 16, 12, false},
    {ARV_PIXEL_FORMAT_BAYER_RG_12, PNG_COLOR_TYPE_GRAY, 16, 12, false},
    {ARV_PIXEL_FORMAT_BAYER_GB_12, PNG_COLOR_TYPE_GRAY, 16, 12, false},
    {ARV_PIXEL_FORMAT_BAYER_BG_12, PNG_COLOR_TYPE_GRAY, 16, 12, false},
    {ARV_PIXEL_FORMAT_BAYER_GR_16, PNG_COLOR_TYPE_GRAY, 16, 16, false},
    {ARV_PIXEL_FORMAT_BAYER_RG_16, PNG_COLOR_TYPE_GRAY, 16, 16, false},
    {ARV_PIXEL_FORMAT_BAYER_GB_16, PNG_COLOR_TYPE_GRAY, 16, 16, false},
    {ARV_PIXEL_FORMAT_BAYER_BG_16, PNG_COLOR_TYPE_GRAY, 16, 16, false},
    {ARV_PIXEL_FORMAT_RGB_8_PACKED, PNG_COLOR_TYPE_RGB, 8, 8, false},
    {ARV_PIXEL_FORMAT_BGR_8_PACKED, PNG_COLOR_TYPE_RGB, 8, 8, true},
    {ARV_PIXEL_FORMAT_RGBA_8_PACKED, PNG_COLOR_TYPE_RGBA, 8, 8, false},
    {ARV_PIXEL_FORMAT_BGRA_8_PACKED, PNG_COLOR_TYPE_RGBA, 8, 8, true},
};

const PngLayout* LayoutOf(uint64_t pixelFormat) {
    for (const auto& layout : kLayouts) {
        if (layout.pixelFormat == pixelFormat) return &layout;
    }
    return nullptr;
}

size_t Channels(const PngLayout& layout) {
    return layout.colorType == PNG_COLOR_TYPE_RGBA  ? 4
           : layout.colorType == PNG_COLOR_TYPE_RGB ? 3
                                                    : 1;
}

// PNG keeps 16-bit samples big-endian and scaled to the full range; cameras send them
// little-endian in their low bits.
std::vector<uint8_t> FileSamples(const Frame& frame, const PngLayout& layout) {
    const size_t bytes = frame.width * frame.height * Channels(layout) * (layout.bitDepth / 8);
    if (frame.size < bytes)
        throw std::runtime_error("the frame holds fewer bytes than its size needs");
    if (layout.bitDepth == 8) return std::vector<uint8_t>(frame.data, frame.data + bytes);
    std::vector<uint8_t> samples(bytes);
    const int shift = 16 - layout.significantBits;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const auto value = static_cast<uint16_t>((frame.data[i] | frame.data[i + 1] << 8) << shift);
        samples[i] = static_cast<uint8_t>(value >> 8);
        samples[i + 1] = static_cast<uint8_t>(value);
    }
    return samples;
}

struct PngFailure {
    char message[256];
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp, so nothing here owns memory that would need unwinding.
bool EncodePng(std::FILE* file, const PngLayout& layout, size_t width, size_t height,
               png_bytep* rows, PngFailure* failure) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, failure, OnPngError, OnPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(failure->message, sizeof failure->message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Grabbing is paced by the camera: the fastest compression and one cheap filter keep up with
    // it best, and the filter still suits the smooth images cameras see.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 layout.bitDepth, layout.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout.significantBits != layout.bitDepth) {
        png_color_8 significant{};
        significant.gray = static_cast<png_byte>(layout.significantBits);
        png_set_sBIT(png, info, &significant);
    }
    png_write_info(png, info);
    if (layout.bgr) png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string FrameFileName(uint64_t index, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%06llu.%s", static_cast<unsigned long long>(index),
                  extension);
    return name;
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A file this writer could have written, e.g. frame-000001.png.
bool IsFrameFile(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    const std::string extension = path.extension().string();
    return name.rfind("frame-", 0) == 0 &&
           (extension == ".png" || extension == ".raw" || extension == ".json");
}

}  // namespace

FrameWriter::FrameWriter(const std::string& folder, Format format, bool overwrite,
                         const std::string& pixelFormatName)
    : folder_(folder), format_(format), pixelFormatName_(pixelFormatName) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        throw std::runtime_error("cannot create the folder " + folder_ + ": " + error.message());
    if (overwrite) return;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        if (IsFrameFile(entry.path()))
            throw std::runtime_error(folder_ + " already holds frames (" +
                                     entry.path().filename().string() +
                                     "); --overwrite writes over them");
    }
}

void FrameWriter::Write(const Frame& frame, uint64_t index) const {
    const std::string path =
        folder_ + "/" + FrameFileName(index, format_ == Format::Png ? "png" : "raw");
    const std::string description = folder_ + "/" + FrameFileName(index, "json");
    try {
        WriteFile(frame, path);
        if (format_ == Format::Raw) WriteDescription(frame, description);
    } catch (...) {
        // A partial file would pass for a frame.
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::filesystem::remove(description, ignored);
        throw;
    }
}

void FrameWriter::WriteDescription(const Frame& frame, const std::string& path) const {
    std::ofstream file(path);
    char code[32];
    std::snprintf(code, sizeof code, "0x%08llx",
                  static_cast<unsigned long long>(frame.pixelFormat));
    JsonWriter json(file);
    json.BeginObject()
        .Member("width", frame.width)
        .Member("height", frame.height)
        .Member("pixelFormat", pixelFormatName_.empty() ? std::string(code) : pixelFormatName_)
        .Member("pixelFormatCode", std::string(code))
        .Member("frameId", frame.frameId)
        .Member("timestamp", frame.timestamp)
        .Member("size", frame.size)
        .EndObject();
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

void FrameWriter::WriteFile(const Frame& frame, const std::string& path) const {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    if (format_ == Format::Raw) {
        if (std::fwrite(frame.data, 1, frame.size, file.get()) != frame.size) {
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        }
    } else {
        const PngLayout* layout = LayoutOf(frame.pixelFormat);
        if (layout == nullptr) {
            char format[32];
            std::snprintf(format, sizeof format, "0x%08llx",
                          static_cast<unsigned long long>(frame.pixelFormat));
            throw std::runtime_error(std::string("PNG cannot hold pixel format ") + format +
                                     "; use --format raw");
        }
        std::vector<uint8_t> samples = FileSamples(frame, *layout);
        const size_t rowBytes = frame.width * Channels(*layout) * (layout->bitDepth / 8);
        std::vector<png_bytep> rows(frame.height);
        for (size_t y = 0; y < frame.height; ++y) rows[y] = samples.data() + y * rowBytes;
        PngFailure failure{};
        if (!EncodePng(file.get(), *layout, frame.width, frame.height, rows.data(), &failure)) {
            throw std::runtime_error("cannot write " + path + ": " + failure.message);
        }
    }
    if (std::fflush(file.get()) != 0)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace Kavrin::Tools
