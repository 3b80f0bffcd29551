#include "services/transfer_stream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/text_helpers.h"

namespace zc {

namespace {

// Enough for any honest folder; past it the folder is being filled on purpose.
constexpr unsigned kMaxNumberedNames = 9999;
constexpr size_t kMaxFileNameBytes = 255;

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace

std::string EncodeTransferHeader(uint32_t length) {
    std::string out(kTransferHeaderSize, '\0');
    for (size_t i = 0; i < kTransferHeaderSize; ++i)
        out[i] = static_cast<char>((length >> (8 * (kTransferHeaderSize - 1 - i))) & 0xFF);
    return out;
}

std::optional<uint32_t> ParseTransferHeader(std::span<const unsigned char> bytes) {
    if (bytes.size() < kTransferHeaderSize) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 0; i < kTransferHeaderSize; ++i) value = (value << 8) | bytes[i];
    return value;
}

std::string_view TransferStreamReader::Feed(std::string_view input) {
    while (!HeaderDone() && !input.empty()) {
        header_[headerHave_++] = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
        if (HeaderDone()) length_ = *ParseTransferHeader(header_);
    }
    if (input.empty()) return {};
    const uint64_t left = length_ - received_;
    if (input.size() > left) {
        overrun_ = true;
        input = input.substr(0, static_cast<size_t>(left));
    }
    received_ += input.size();
    return input;
}

bool TransferProgress::Advance(uint64_t done) {
    if (done <= mark_) return false;
    mark_ += step_;
    return true;
}

std::string TransferProgress::Text(uint64_t done, uint32_t length) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%llu / %uKB", static_cast<unsigned long long>(done / 1024), length / 1024);
    return buf;
}

int TransferPortOrDefault(std::string_view portText, int localPort) {
    const int port = ParseInt(portText);
    return port < 3000 || port > 65534 ? localPort : port;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameBytes || name.front() == '.') return false;
    if (name.find("..") != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}

std::string NumberedFileName(std::string_view name, unsigned n) {
    const size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string_view::npos && dot > 0;
    std::string_view stem = hasExt ? name.substr(0, dot) : name;
    const std::string_view ext = hasExt ? name.substr(dot) : std::string_view{};
    const std::string suffix = " (" + std::to_string(n) + ")";
    const size_t room = kMaxFileNameBytes > suffix.size() + ext.size() ? kMaxFileNameBytes - suffix.size() - ext.size() : 0;
    if (stem.size() > room) stem = stem.substr(0, room);
    return std::string(stem) + suffix + std::string(ext);
}

std::string UniqueFileName(const std::string& folder, std::string_view name) {
    if (!IsPlainFileName(name)) return {};
    struct stat st;
    for (unsigned n = 0; n <= kMaxNumberedNames; ++n) {
        std::string candidate = n == 0 ? std::string(name) : NumberedFileName(name, n);
        if (!IsPlainFileName(candidate)) return {};
        if (::lstat(JoinPath(folder, candidate).c_str(), &st) != 0 && errno == ENOENT) return candidate;
    }
    return {};
}

int CreateUniqueFile(const std::string& folder, std::string_view name, std::string* chosen) {
    if (!IsPlainFileName(name)) return -1;
    for (unsigned n = 0; n <= kMaxNumberedNames; ++n) {
        std::string candidate = n == 0 ? std::string(name) : NumberedFileName(name, n);
        if (!IsPlainFileName(candidate)) return -1;
        // O_EXCL also refuses an existing link, so nothing the user has is ever written through.
        const int fd = ::open(JoinPath(folder, candidate).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              0644);
        if (fd >= 0) {
            if (chosen) *chosen = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

}  // namespace zc
