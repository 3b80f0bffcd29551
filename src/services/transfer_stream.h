#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zc {

// The file-transfer stream: a 4-byte big-endian length, then exactly that many bytes of the file.
inline constexpr size_t kTransferHeaderSize = 4;
inline constexpr size_t kTransferBlockSize = 4096;

std::string EncodeTransferHeader(uint32_t length);
// The length when at least the 4 header bytes are there.
std::optional<uint32_t> ParseTransferHeader(std::span<const unsigned char> bytes);

// Reads the stream as it arrives, in reads of any size. The length is only a promise: nothing is
// reserved by it, file bytes are handed back as views into the caller's own buffer, and bytes past
// the promised end are never taken as file data.
class TransferStreamReader {
public:
    // Consumes input; returns the part of it that is file data (possibly empty).
    std::string_view Feed(std::string_view input);

    bool HeaderDone() const { return headerHave_ == kTransferHeaderSize; }
    uint32_t Length() const { return length_; }
    uint64_t Received() const { return received_; }
    // Header read and every promised byte received.
    bool Complete() const { return HeaderDone() && received_ == length_; }
    // The sender went on past its own length: a broken or hostile sender.
    bool Overrun() const { return overrun_; }

private:
    unsigned char header_[kTransferHeaderSize] = {};
    size_t headerHave_ = 0;
    uint32_t length_ = 0;
    uint64_t received_ = 0;
    bool overrun_ = false;
};

// Progress as the transfer window shows it: about 128 updates per file, kilobytes as text.
class TransferProgress {
public:
    explicit TransferProgress(uint32_t length) : length_(length), step_(length >> 7) {}
    // After each block: true when the display should be updated.
    bool Advance(uint64_t done);
    uint32_t RangeKb() const { return length_ / 1024; }
    // "%i / %iKB"
    static std::string Text(uint64_t done, uint32_t length);

private:
    uint32_t length_;
    uint32_t step_;
    uint64_t mark_ = 0;
};

// The port a peer named for a transfer, or ours when it is outside 3000..65534.
int TransferPortOrDefault(std::string_view portText, int localPort);

// A name from a peer may become a path only when it is one plain file name: not empty, at most
// 255 bytes, no "/", "\", "..", control characters, and no leading dot.
bool IsPlainFileName(std::string_view name);

// "name (n).ext" ("name (n)" without an extension); the stem is shortened so the result stays a
// plain file name of at most 255 bytes.
std::string NumberedFileName(std::string_view name, unsigned n);

// The first of name, "name (1).ext", "name (2).ext", ... that does not exist in folder (a
// dangling link counts as existing); empty when name is not plain or no number is free.
std::string UniqueFileName(const std::string& folder, std::string_view name);

// Creates the file under the first free name, atomically, never through a link; the open
// descriptor (write only), or -1. chosen receives the name used.
int CreateUniqueFile(const std::string& folder, std::string_view name, std::string* chosen);

// The longest file name, in bytes, the file system of folder (or of its parent, while folder is
// still missing) takes; at most 255.
size_t FileNameLimit(const std::string& folder);

// Whether a name from a peer (windows-1251) can become a download in folder once in UTF-8.
enum class DownloadName { Usable, TooLong, Unusable };
DownloadName CheckDownloadName(std::string_view cp1251Name, const std::string& folder);

// The name a download has while it is incomplete: "name.part", the name shortened (never inside
// a letter) so that the whole stays within 255 bytes.
std::string PartFileName(std::string_view name);

// Gives a complete download its name, the first free one of name, "name (1).ext", ...; a file
// that appeared meanwhile is never replaced. The name taken, or empty (errno says why).
std::string LandPartFile(const std::string& folder, const std::string& partName, std::string_view name);

}  // namespace zc
