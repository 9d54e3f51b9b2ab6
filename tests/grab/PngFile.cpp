#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace grabtool {
namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// libpng reports errors by longjmp, so nothing here owns memory that would need unwinding.
bool ReadRows(std::FILE* file, PngImage& image) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    image.colorType = png_get_color_type(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    png_bytepp rows = png_get_rows(png, info);
    image.rows.resize(image.height);
    for (uint32_t y = 0; y < image.height; ++y) image.rows[y].assign(rows[y], rows[y] + rowBytes);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

PngImage ReadPng(const std::string& path) {
    PngImage image;
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        image.error = "cannot open " + path;
        return image;
    }
    image.valid = ReadRows(file.get(), image);
    if (!image.valid) image.error = "libpng cannot read " + path;
    return image;
}

uint64_t FrameIdOf(const PngImage& image) {
    if (image.rows.empty() || image.rows[0].size() < 8) return 0;
    const auto& row = image.rows[0];
    uint64_t id = 0;
    for (int i = 7; i >= 0; --i) {
        const size_t stored =
            image.bitDepth == 16 ? static_cast<size_t>(i ^ 1) : static_cast<size_t>(i);
        id = id << 8 | row[stored];
    }
    return id;
}

}  // namespace grabtool
