#pragma once
// In-memory transfer connections and worker threads.
//
// FakeTransferNet is where hosts meet. FakeTransferSockets is one host on it, with an address:
// its Accept(port) waits until some host calls Connect(<that address>, port); the two calls then
// return the two ends of one connection, two byte pipes under a mutex and a condition variable.
// Destroying an end closes it: the other end reads what is left, then 0 (or -1, a reset, when
// the closed end left bytes unread); its Send gets -1.
// Links made with a stop flag give up (-1) a blocked Send or Receive once the flag is set.
//
//   FakeTransferSockets sockets;                       // one host at 127.0.0.1, its own net
//   auto net = std::make_shared<FakeTransferNet>();    // or several hosts on one net:
//   FakeTransferSockets alice(net, "10.0.0.1"), bob(net, "10.0.0.2");
//
// Connect to an address and port that nobody listens on waits up to net->connectWaitMs of real
// time for an Accept there (so two workers need no start order), then fails as refused; set it
// to 0 to be refused at once. FailConnects(n) makes the next n attempts fail at once. Pause never
// really waits: it records the milliseconds asked for.
//
// FakeWorkerThreads runs work on real threads (the handle joins when destroyed) and queues the
// closures posted to the UI thread until the test runs them with RunPosted()/RunPostedUntil().
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_transfer.h"

namespace zc::test {

class FakeTransferNet {
public:
    int connectWaitMs = 2000;
    // A pipe holds this many bytes before Send blocks; one Send takes at most maxSendChunk
    // bytes, so callers must repeat partial sends.
    size_t pipeCapacity = 64 * 1024;
    size_t maxSendChunk = 1500;
    // A Send or Receive that waits this long (real time) gives up with -1, as a real link does
    // with a peer that went quiet; a test whose two ends wait for each other fails, not hangs.
    int idleTimeoutMs = 5000;

    // The largest size any Send / Receive on this net was asked to move.
    size_t LargestSend() const { return largestSend_; }
    size_t LargestReceive() const { return largestReceive_; }

private:
    friend class FakeTransferSockets;
    friend class FakeLinkEnd;
    struct Listener;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::pair<std::string, int>, Listener*> listeners_;
    std::atomic<size_t> largestSend_{0}, largestReceive_{0};
};

class FakeTransferSockets : public TransferSockets {
public:
    FakeTransferSockets();  // 127.0.0.1 on a net of its own
    FakeTransferSockets(std::shared_ptr<FakeTransferNet> net, std::string ip);

    std::unique_ptr<ByteLink> Accept(int port, const std::atomic<bool>& stop, std::string* why) override;
    std::unique_ptr<ByteLink> Connect(const std::string& ip, int port, const std::atomic<bool>& stop,
                                      std::string* why) override;
    void Pause(int ms, const std::atomic<bool>& stop) override;

    void FailConnects(int n);
    int ConnectAttempts() const;
    std::vector<int> Pauses() const;
    // Called on the worker thread after each recorded pause, with the number of pauses so far.
    void OnPause(std::function<void(int)> hook);

    FakeTransferNet& Net() { return *net_; }
    const std::string& Ip() const { return ip_; }

private:
    std::shared_ptr<FakeTransferNet> net_;
    std::string ip_;
    mutable std::mutex mutex_;
    int failConnects_ = 0, attempts_ = 0;
    std::vector<int> pauses_;
    std::function<void(int)> onPause_;
};

class FakeWorkerThreads : public WorkerThreads {
public:
    ~FakeWorkerThreads() override;
    std::unique_ptr<WorkerHandle> Start(std::function<void()> work) override;
    void PostToUi(std::function<void()> closure) override;

    // Runs the closures queued so far on the calling thread; how many ran.
    int RunPosted();
    // Runs closures as they come until done() holds or timeoutMs of real time passed.
    bool RunPostedUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    size_t Pending() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace zc::test
