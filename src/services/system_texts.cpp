#include "services/system_texts.h"

#include <dirent.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

namespace zc {

namespace {

// Files of /proc are small; a fake or broken one must not make us read without end.
constexpr size_t kMaxSmallFile = 64 * 1024;

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(kMaxSmallFile, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::string WithoutControls(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) out += c;
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The file name of the running executable: the exe link when we may read it, else the kernel's
// own short name of the program (kernel threads have no executable at all).
std::string ProgramName(const std::string& dir) {
    char target[4096];
    const ssize_t n = ::readlink((dir + "/exe").c_str(), target, sizeof target - 1);
    if (n > 0) {
        std::string_view path(target, static_cast<size_t>(n));
        constexpr std::string_view kDeleted = " (deleted)";
        if (path.size() > kDeleted.size() && path.ends_with(kDeleted)) path.remove_suffix(kDeleted.size());
        const size_t slash = path.rfind('/');
        if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
        if (!path.empty()) return WithoutControls(path);
    }
    std::string comm = ReadSmallFile(dir + "/comm");
    if (!comm.empty() && comm.back() == '\n') comm.pop_back();
    return WithoutControls(comm);
}

// The decimal digits text starts with, -1 when none; a number past any real size stops growing.
long long LeadingNumber(std::string_view text) {
    long long v = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && v < (1LL << 50); ++i) v = v * 10 + (text[i] - '0');
    return i ? v : -1;
}

// The rest of the first line that starts with key and separator, trimmed; nullopt when none does.
std::optional<std::string_view> KeyedValue(std::string_view text, std::string_view key, char separator) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == separator)
            return Trim(line.substr(key.size() + 1));
    }
    return std::nullopt;
}

// Value of "Key:   <number> kB" in meminfo, in kB; -1 when absent.
long long MeminfoKb(std::string_view text, std::string_view key) {
    const auto rest = KeyedValue(text, key, ':');
    return rest ? LeadingNumber(*rest) : -1;
}

// os-release values may be quoted, with backslash escapes inside.
std::string OsReleaseValue(std::string_view text, std::string_view key) {
    std::string_view raw = KeyedValue(text, key, '=').value_or("");
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value += raw[i];
    }
    return WithoutControls(value);
}

}  // namespace

std::string ProcessListText(const std::string& procDir, size_t maxBytes) {
    DIR* dir = ::opendir(procDir.c_str());
    if (!dir) return "Error process list";
    std::vector<std::pair<unsigned long, std::string>> pids;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (AllDigits(name) && name.size() <= 10) pids.emplace_back(std::stoul(std::string(name)), std::string(name));
    }
    ::closedir(dir);
    std::sort(pids.begin(), pids.end());

    std::string text = "\n";
    for (const auto& pid : pids) {
        const std::string name = ProgramName(procDir + "/" + pid.second);
        if (name.empty()) continue;  // gone since the listing
        if (text.size() + name.size() + 1 > maxBytes) break;
        text += name;
        text += '\n';
    }
    return text;
}

std::string ProcessListText() { return ProcessListText("/proc"); }

std::string MemoryText(std::string_view meminfo) {
    const long long totalKb = std::max(0LL, MeminfoKb(meminfo, "MemTotal"));
    long long availKb = MeminfoKb(meminfo, "MemAvailable");
    if (availKb < 0) availKb = MeminfoKb(meminfo, "MemFree");
    availKb = std::clamp(availKb, 0LL, totalKb);
    const long long load = totalKb ? (totalKb - availKb) * 100 / totalKb : 0;
    return "RAM " + std::to_string(availKb >> 10) + "/" + std::to_string(totalKb >> 10) + " MB (" +
           std::to_string(load) + "%)";
}

std::string MemoryText() { return MemoryText(ReadSmallFile("/proc/meminfo")); }

std::string OsText(std::string_view osRelease, std::string_view kernelRelease, std::string_view kernelVersion) {
    std::string name = OsReleaseValue(osRelease, "NAME");
    if (name.empty()) name = "Linux";  // what os-release itself says a missing NAME means
    std::string version = OsReleaseValue(osRelease, "VERSION");
    if (version.empty()) version = OsReleaseValue(osRelease, "VERSION_ID");
    kernelVersion = Trim(kernelVersion);
    const long long build = kernelVersion.starts_with('#') ? std::max(0LL, LeadingNumber(kernelVersion.substr(1))) : 0;
    std::string text = name;
    if (!version.empty()) text += " " + version;
    const std::string release = WithoutControls(kernelRelease);
    if (!release.empty()) text += " " + release;
    return text + " (Build " + std::to_string(build) + ")\n";
}

std::string OsText() {
    std::string osRelease = ReadSmallFile("/etc/os-release");
    if (osRelease.empty()) osRelease = ReadSmallFile("/usr/lib/os-release");
    utsname uts{};
    if (::uname(&uts) != 0) return OsText(osRelease, "", "");
    return OsText(osRelease, uts.release, uts.version);
}

}  // namespace zc
