#include "services/bmp_writer.h"

#include <cstdint>
#include <cstdio>

namespace zc {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeBmp24(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    if (image.bytesPerPixel != 3 && image.bytesPerPixel != 4) return {};
    const uint64_t width = static_cast<uint64_t>(image.width), height = static_cast<uint64_t>(image.height);
    const uint64_t inRow = width * static_cast<uint64_t>(image.bytesPerPixel);
    const uint64_t stride = image.stride ? image.stride : inRow;
    if (stride < inRow || stride * (height - 1) + inRow > image.pixels.size()) return {};
    const uint64_t outRow = (width * 3 + 3) & ~uint64_t{3};
    const uint64_t imageSize = outRow * height;
    const uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > UINT32_MAX) return {};

    std::string out;
    out.reserve(static_cast<size_t>(fileSize));
    out += "BM";
    PutU32(out, static_cast<uint32_t>(fileSize));
    PutU32(out, 0);  // two reserved words
    PutU32(out, kFileHeaderSize + kInfoHeaderSize);
    PutU32(out, kInfoHeaderSize);
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(height));  // positive: rows run bottom-up
    PutU16(out, 1);                               // planes
    PutU16(out, 24);                              // bits per pixel; no colour table at this depth
    PutU32(out, 0);                               // uncompressed
    PutU32(out, static_cast<uint32_t>(imageSize));
    PutU32(out, 0);  // pixels per metre, x and y: unknown
    PutU32(out, 0);
    PutU32(out, 0);  // colours used and important: all
    PutU32(out, 0);

    const size_t pad = static_cast<size_t>(outRow - width * 3);
    for (uint64_t y = height; y-- > 0;) {
        const unsigned char* row = image.pixels.data() + y * stride;
        for (uint64_t x = 0; x < width; ++x) {
            const unsigned char* p = row + x * static_cast<uint64_t>(image.bytesPerPixel);
            out += static_cast<char>(p[2]);
            out += static_cast<char>(p[1]);
            out += static_cast<char>(p[0]);
        }
        out.append(pad, '\0');
    }
    return out;
}

bool WriteBmpFile(const std::string& path, const RgbImage& image) {
    const std::string bytes = EncodeBmp24(image);
    if (bytes.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace zc
