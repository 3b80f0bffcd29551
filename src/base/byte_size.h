#pragma once
#include <cstdint>
#include <string>

namespace zc {

// A size as a person reads it: "512 bytes", "12.5 KB", "3.2 MB", "50 MB", "1.4 GB" (steps of
// 1024, one decimal, none when it is zero).
std::string HumanSize(std::uint64_t bytes);

}  // namespace zc
