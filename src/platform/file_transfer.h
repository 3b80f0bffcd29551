#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace zc {

// One TCP connection of a transfer. Blocking; used by its worker thread only.
class ByteLink {
public:
    virtual ~ByteLink() = default;
    // Bytes taken (possibly fewer than offered), or -1 on an error.
    virtual long Send(const char* data, size_t size) = 0;
    // Bytes read, 0 when the peer closed, -1 on an error.
    virtual long Receive(char* data, size_t size) = 0;
    // The other end's IPv4 address as text; empty when unknown.
    virtual std::string PeerIp() const { return {}; }
};

// Opens the connections of transfers; called on worker threads, so it keeps no shared state.
// A link may give up a blocked Send or Receive (-1) once the stop flag of the call that made it
// is set, so a stalled peer cannot hold a cancelled worker.
class TransferSockets {
public:
    virtual ~TransferSockets() = default;
    // Listens on the port (backlog 5) and accepts one connection. Null on an error (why says it)
    // or when stop is set before anybody connects.
    virtual std::unique_ptr<ByteLink> Accept(int port, const std::atomic<bool>& stop, std::string* why) = 0;
    // One connection attempt; null (why says it) when it fails.
    virtual std::unique_ptr<ByteLink> Connect(const std::string& ip, int port, const std::atomic<bool>& stop,
                                              std::string* why) = 0;
    // The wait between two connection attempts; ends early when stop is set.
    virtual void Pause(int ms, const std::atomic<bool>& stop) = 0;
};

// A running worker; ending the handle waits for the work to finish.
class WorkerHandle {
public:
    virtual ~WorkerHandle() = default;
};

// Work beside the UI thread, and the way back to it.
class WorkerThreads {
public:
    virtual ~WorkerThreads() = default;
    virtual std::unique_ptr<WorkerHandle> Start(std::function<void()> work) = 0;
    // Runs the closure on the UI thread, later. Callable from any thread.
    virtual void PostToUi(std::function<void()> closure) = 0;
};

}  // namespace zc
