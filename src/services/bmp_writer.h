#pragma once
#include <cstddef>
#include <span>
#include <string>

namespace zc {

// A picture as a screen grab gives it: rows top-down, 3 (RGB) or 4 (RGBA) bytes per pixel,
// stride bytes from one row to the next (0 means packed).
struct RgbImage {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    size_t stride = 0;
    std::span<const unsigned char> pixels;
};

// An uncompressed 24-bit Windows bitmap: 14-byte file header, 40-byte information header with one
// plane, then BGR rows bottom-up, each padded to 4 bytes. Empty when the picture is empty, its
// pixels are short, or the file would pass the format's 32-bit sizes.
std::string EncodeBmp24(const RgbImage& image);

// The same, written to path; false (and no file left) when it could not be encoded or written.
bool WriteBmpFile(const std::string& path, const RgbImage& image);

}  // namespace zc
