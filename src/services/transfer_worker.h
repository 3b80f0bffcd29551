#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_transfer.h"

namespace zc {

// What a transfer's worker thread is told to do.
struct TransferJob {
    // Receiving: whom to connect to. Sending: the only address that may connect; others are
    // turned away, so a third host cannot take the file.
    std::string peerIp;
    int port = 0;
    // Sending: the file to read. Receiving: the folder and the name to write under.
    std::string path;
    std::string folder, name;
    // Receiving: replace a file of that name (snapshots, avatars) instead of picking a free
    // "name (n).ext" (downloads never overwrite what the user has). The bytes go to a temporary
    // file first ("name.part" for downloads), which takes the name only when complete and is
    // removed when the transfer fails or is cancelled.
    bool overwrite = false;
    // Receiving: a longer promise fails before anything is written.
    uint32_t maxLength = UINT32_MAX;
    int connectRetries = 15;
    int retryPauseMs = 1000;
};

// A report from the worker, as the window shows it.
struct TransferTick {
    bool connected = false;  // the first tick after the connection
    uint32_t length = 0;     // from the header; 0 until it is known
    uint64_t done = 0;       // bytes moved so far
};

enum class TransferEnd { Done, Stopped, Failed };

struct TransferResult {
    TransferEnd end = TransferEnd::Failed;
    std::string path;  // receiving: the file written, once it is complete
    uint64_t bytes = 0;
    std::optional<uint32_t> length;  // from the header, once it was sent or read
    bool connectionLost = false;     // failed because the connection ended early
    std::string why;                 // for the log when it failed
};

// Called on the worker thread: the caller posts it on to the UI thread. At most about 130 calls
// per file (the connection, the range, then about every 1/128 of the length).
using TransferTickSink = std::function<void(const TransferTick&)>;

// The two workers. They run on a thread of their own, touch only the job, the file and the
// connection, and notice stop between blocks of 4096 bytes.
TransferResult RunSendWorker(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop,
                             const TransferTickSink& tick);
TransferResult RunReceiveWorker(TransferSockets& sockets, const TransferJob& job, const std::atomic<bool>& stop,
                                const TransferTickSink& tick);

}  // namespace zc
