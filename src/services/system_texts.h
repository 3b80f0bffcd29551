#pragma once
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace zc {

// A line feed, then each running program's executable file name and a line feed, in process id
// order, read from procDir (normally "/proc"). Names never carry control characters. Lines that
// would take the text past maxBytes are left out. "Error process list" when procDir cannot be read.
std::string ProcessListText(const std::string& procDir,
                            size_t maxBytes = std::numeric_limits<size_t>::max());
std::string ProcessListText();

// "RAM <available>/<total> MB (<load>%)" from the text of /proc/meminfo.
std::string MemoryText(std::string_view meminfo);
std::string MemoryText();

// "<distribution> <version> <kernel release> (Build <n>)\n": name and version from an os-release
// text, n the build count that the kernel version text starts with ("#n ...").
std::string OsText(std::string_view osRelease, std::string_view kernelRelease, std::string_view kernelVersion);
std::string OsText();

}  // namespace zc
