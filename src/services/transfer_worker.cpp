#include "services/transfer_worker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "services/transfer_stream.h"

namespace zc {

namespace {

// The progress bar has about 128 steps; the ticks are posted on to the UI thread.
constexpr uint64_t kProgressSteps = 128;

class FileCloser {
public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    int Get() const { return fd_; }
    // Closes now and tells whether the kernel took everything written.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Ticks as the window wants them: the connection, the range, about 128 steps, the end. The
// bucket check keeps that bound when a peer dribbles a small file in one-byte pieces.
class Ticker {
public:
    explicit Ticker(const TransferTickSink& sink) : sink_(sink) {}
    void Connected() { Emit({true, 0, 0}); }
    void Header(uint32_t length) {
        length_ = length;
        progress_.emplace(length);
        Emit({false, length, 0});
    }
    void Block(uint64_t done) {
        if (!progress_->Advance(done)) return;
        const uint64_t bucket = done * kProgressSteps / length_;
        if (bucket == lastBucket_) return;
        lastBucket_ = bucket;
        Emit({false, length_, done});
    }
    void Finished() {
        if (lastDone_ != length_) Emit({false, length_, length_});
    }

private:
    void Emit(const TransferTick& tick) {
        lastDone_ = tick.done;
        if (sink_) sink_(tick);
    }
    const TransferTickSink& sink_;
    uint32_t length_ = 0;
    std::optional<TransferProgress> progress_;
    uint64_t lastBucket_ = 0, lastDone_ = 0;
};

// A file beside the one it will replace, removed unless it took that name.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    // The open descriptor, or -1. The leading dot keeps it apart from any name a peer may send.
    int Create(const std::string& folder) {
        std::string pattern = JoinPath(folder, ".incoming-XXXXXX");
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        path_ = pattern;
        ::fchmod(fd, 0644);
        return fd;
    }
    // A file made elsewhere, now removed unless Keep is called.
    void Adopt(std::string path) { path_ = std::move(path); }
    void Keep() { path_.clear(); }
    const std::string& Path() const { return path_; }
    // rename replaces a link itself, never what it points to.
    bool RenameTo(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
};

bool SendAll(ByteLink& link, const char* data, size_t size) {
    while (size > 0) {
        const long n = link.Send(data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Ends the transfer; an error while the user cancels is the cancel, not a failure.
void GiveUp(TransferResult& result, const std::atomic<bool>& stop, const std::string& why) {
    result.end = stop ? TransferEnd::Stopped : TransferEnd::Failed;
    result.why = why;
}

// The other side went away (closed, reset or silent) before the end.
void Lost(TransferResult& result, const std::atomic<bool>& stop, const std::string& why) {
    GiveUp(result, stop, why);
    result.connectionLost = result.end == TransferEnd::Failed;
}

void SendFile(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop, Ticker& ticker,
              TransferResult& result) {
    std::unique_ptr<ByteLink> link;
    for (;;) {
        std::string why;
        link = sockets.Accept(job.port, stop, &why);
        if (!link) return GiveUp(result, stop, "accept on port " + std::to_string(job.port) + ": " + why);
        const std::string from = link->PeerIp();
        // The port is announced to the whole group; only the accepting user may take the file.
        if (!from.empty() && from == job.peerIp) break;
        link.reset();
        if (stop) return GiveUp(result, stop, "stopped");
    }
    ticker.Connected();
    if (stop) return GiveUp(result, stop, "stopped");

    FileCloser file(::open(job.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) return GiveUp(result, stop, ErrnoText("cannot open " + job.path));
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) return GiveUp(result, stop, ErrnoText("cannot read " + job.path));
    if (!S_ISREG(st.st_mode)) return GiveUp(result, stop, job.path + " is not a regular file");
    if (static_cast<uint64_t>(st.st_size) > UINT32_MAX)
        return GiveUp(result, stop, job.path + " is larger than a transfer can describe (4 GiB - 1)");
    const auto length = static_cast<uint32_t>(st.st_size);

    const std::string header = EncodeTransferHeader(length);
    result.length = length;
    if (!SendAll(*link, header.data(), header.size())) return Lost(result, stop, "connection lost");
    ticker.Header(length);

    char block[kTransferBlockSize];
    uint64_t sent = 0;
    while (sent < length) {
        if (stop) return GiveUp(result, stop, "stopped");
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length - sent, sizeof block));
        const ssize_t got = ::read(file.Get(), block, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return GiveUp(result, stop, ErrnoText("cannot read " + job.path));
        // The header promised more; sending less and calling it done would leave a short file.
        if (got == 0) return GiveUp(result, stop, job.path + " became shorter while being sent");
        if (!SendAll(*link, block, static_cast<size_t>(got))) return Lost(result, stop, "connection lost");
        sent += static_cast<uint64_t>(got);
        result.bytes = sent;
        ticker.Block(sent);
    }
    ticker.Finished();

    // The receiver closes once it has every byte; a reset instead means it did not take them all,
    // though our side handed everything to the kernel.
    char probe;
    if (link->Receive(&probe, 1) < 0) return GiveUp(result, stop, "the receiver did not confirm the end");
    result.end = TransferEnd::Done;
}

std::unique_ptr<ByteLink> ConnectWithRetries(TransferSockets& sockets, const TransferJob& job,
                                             const std::atomic<bool>& stop, std::string* why) {
    for (int attempt = 0; attempt <= std::max(0, job.connectRetries); ++attempt) {
        if (attempt > 0) {
            sockets.Pause(job.retryPauseMs, stop);
            if (stop) break;
        }
        if (auto link = sockets.Connect(job.peerIp, job.port, stop, why)) return link;
        if (stop) break;
    }
    return nullptr;
}

void ReceiveFile(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop, Ticker& ticker,
                 TransferResult& result) {
    // The name came from a peer: it must stay one plain file inside the folder.
    if (!IsPlainFileName(job.name)) {
        result.why = "refused file name";
        return;
    }
    std::string why;
    std::unique_ptr<ByteLink> link = ConnectWithRetries(sockets, job, stop, &why);
    if (!link)
        return GiveUp(result, stop, "cannot connect to " + job.peerIp + ":" + std::to_string(job.port) + ": " + why);
    ticker.Connected();
    if (stop) return GiveUp(result, stop, "stopped");

    const std::string folder = job.folder.empty() ? "." : job.folder;
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return GiveUp(result, stop, ErrnoText("cannot create " + folder));
    // Incomplete bytes never sit under the real name, and go when the transfer does.
    std::string partName;
    TempFile temp;
    const int fd = job.overwrite ? temp.Create(folder) : CreateUniqueFile(folder, PartFileName(job.name), &partName);
    FileCloser file(fd);
    if (fd < 0) return GiveUp(result, stop, ErrnoText("cannot create " + JoinPath(folder, job.name)));
    if (!job.overwrite) temp.Adopt(JoinPath(folder, partName));
    const std::string written = temp.Path();

    unsigned char header[kTransferHeaderSize];
    size_t have = 0;
    while (have < sizeof header) {
        const long n = link->Receive(reinterpret_cast<char*>(header) + have, sizeof header - have);
        if (n == 0) return Lost(result, stop, "closed before the length arrived");
        if (n < 0) return Lost(result, stop, "connection lost");
        have += static_cast<size_t>(n);
    }
    const uint32_t length = *ParseTransferHeader(header);
    result.length = length;
    if (length > job.maxLength)
        return GiveUp(result, stop,
                      "refused " + std::to_string(length) + " bytes, at most " + std::to_string(job.maxLength));
    ticker.Header(length);

    // A fixed block: the length is only the peer's promise, nothing is reserved by it.
    char block[kTransferBlockSize];
    uint64_t received = 0;
    while (received < length) {
        if (stop) return GiveUp(result, stop, "stopped");
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length - received, sizeof block));
        const long n = link->Receive(block, want);
        if (n == 0)
            return Lost(result, stop, "closed after " + std::to_string(received) + " of " + std::to_string(length) + " bytes");
        if (n < 0) return Lost(result, stop, "connection lost");
        if (!WriteAll(file.Get(), block, static_cast<size_t>(n)))
            return GiveUp(result, stop, ErrnoText("cannot write " + written));
        received += static_cast<uint64_t>(n);
        result.bytes = received;
        ticker.Block(received);
    }
    if (!file.Close()) return GiveUp(result, stop, ErrnoText("cannot write " + written));
    if (job.overwrite) {
        const std::string final = JoinPath(job.folder, job.name);
        if (!temp.RenameTo(JoinPath(folder, job.name))) return GiveUp(result, stop, ErrnoText("cannot write " + final));
        result.path = final;
    } else {
        // The name is chosen now: a file that took it meanwhile is kept, this one is numbered.
        const std::string landed = LandPartFile(folder, partName, job.name);
        if (landed.empty()) return GiveUp(result, stop, ErrnoText("cannot name " + written));
        temp.Keep();
        result.path = JoinPath(job.folder, landed);
    }
    ticker.Finished();
    result.end = TransferEnd::Done;
}

template <typename Work>
TransferResult Guarded(Work work, const TransferTickSink& tick) {
    TransferResult result;
    try {
        Ticker ticker(tick);
        work(ticker, result);
    } catch (...) {
        // A thread must not end in an exception; whatever broke, the transfer failed.
        result.end = TransferEnd::Failed;
        result.why = "unexpected error";
    }
    return result;
}

}  // namespace

TransferResult RunSendWorker(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop,
                             const TransferTickSink& tick) {
    return Guarded([&](Ticker& ticker, TransferResult& result) { SendFile(sockets, job, stop, ticker, result); },
                   tick);
}

TransferResult RunReceiveWorker(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop,
                                const TransferTickSink& tick) {
    return Guarded([&](Ticker& ticker, TransferResult& result) { ReceiveFile(sockets, job, stop, ticker, result); },
                   tick);
}

}  // namespace zc
