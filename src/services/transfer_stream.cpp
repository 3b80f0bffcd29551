#include "services/transfer_stream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/cp1251.h"
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

// At most max bytes of a UTF-8 text, never ending inside a letter.
std::string_view Utf8Prefix(std::string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

// rename that never replaces: 0, or the errno. File systems without the flag get a hard link,
// and those without links a check just before the rename.
int MoveNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
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
    stem = Utf8Prefix(stem, room);
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

size_t FileNameLimit(const std::string& folder) {
    std::string dir = folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty()) dir = ".";
    long limit = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    if (limit <= 0) {
        const size_t slash = dir.find_last_of('/');
        const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
        limit = ::pathconf(parent.c_str(), _PC_NAME_MAX);
    }
    return limit > 0 ? std::min(kMaxFileNameBytes, static_cast<size_t>(limit)) : kMaxFileNameBytes;
}

DownloadName CheckDownloadName(std::string_view cp1251Name, const std::string& folder) {
    if (!IsPlainFileName(cp1251Name)) return DownloadName::Unusable;
    // A letter of the code page takes two bytes in UTF-8: a name that fits the packet may not fit
    // the file system.
    const std::string utf8 = Cp1251ToUtf8(cp1251Name);
    if (utf8.size() > FileNameLimit(folder)) return DownloadName::TooLong;
    return IsPlainFileName(utf8) ? DownloadName::Usable : DownloadName::Unusable;
}

std::string PartFileName(std::string_view name) {
    constexpr std::string_view kPart = ".part";
    return std::string(Utf8Prefix(name, kMaxFileNameBytes - kPart.size())) + std::string(kPart);
}

std::string LandPartFile(const std::string& folder, const std::string& partName, std::string_view name) {
    if (!IsPlainFileName(name)) {
        errno = EINVAL;
        return {};
    }
    const std::string from = JoinPath(folder, partName);
    for (unsigned n = 0; n <= kMaxNumberedNames; ++n) {
        std::string candidate = n == 0 ? std::string(name) : NumberedFileName(name, n);
        const int error = MoveNoReplace(from, JoinPath(folder, candidate));
        if (error == 0) return candidate;
        if (error != EEXIST) {
            errno = error;
            return {};
        }
    }
    errno = EEXIST;
    return {};
}

}  // namespace zc
