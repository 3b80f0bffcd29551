#include "base/byte_size.h"

#include <cstdio>
#include <iterator>

namespace zc {

std::string HumanSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    // Rounded first, so 1023.96 KB reads "1 MB" and not "1024 KB".
    while (unit + 1 < std::size(kUnits) && value >= 1023.95) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
    return out + " " + kUnits[unit];
}

}  // namespace zc
