#include "support/fake_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace zc::test {

namespace {

using Clock = std::chrono::steady_clock;
// How often a blocked call looks at its stop flag.
constexpr auto kSlice = std::chrono::milliseconds(10);

// One direction of a connection.
struct Pipe {
    std::mutex mutex;
    std::condition_variable changed;
    std::string bytes;
    size_t head = 0;
    bool writerGone = false, readerGone = false, reset = false;
    size_t Buffered() const { return bytes.size() - head; }
};

void NoteMax(std::atomic<size_t>& largest, size_t size) {
    size_t seen = largest;
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

}  // namespace

struct FakeTransferNet::Listener {
    const std::atomic<bool>* stop;
    std::unique_ptr<ByteLink> accepted;
};

class FakeLinkEnd : public ByteLink {
public:
    FakeLinkEnd(std::shared_ptr<FakeTransferNet> net, std::shared_ptr<Pipe> in, std::shared_ptr<Pipe> out,
                const std::atomic<bool>& stop, std::string peer)
        : net_(std::move(net)),
          in_(std::move(in)),
          out_(std::move(out)),
          stop_(stop),
          peer_(std::move(peer)),
          capacity_(std::max<size_t>(1, net_->pipeCapacity)),
          chunk_(std::max<size_t>(1, net_->maxSendChunk)),
          idle_(net_->idleTimeoutMs) {}

    ~FakeLinkEnd() override {
        bool unread;
        {
            std::lock_guard lock(in_->mutex);
            in_->readerGone = true;
            unread = in_->Buffered() > 0;
        }
        in_->changed.notify_all();
        {
            std::lock_guard lock(out_->mutex);
            out_->writerGone = true;
            // As TCP does: closing with bytes unread resets the connection instead of ending it.
            out_->reset = unread;
        }
        out_->changed.notify_all();
    }

    long Send(const char* data, size_t size) override {
        NoteMax(net_->largestSend_, size);
        const auto giveUp = Clock::now() + idle_;
        std::unique_lock lock(out_->mutex);
        for (;;) {
            if (out_->readerGone) return -1;
            if (out_->Buffered() < capacity_) break;
            if (stop_ || Clock::now() >= giveUp) return -1;
            out_->changed.wait_for(lock, kSlice);
        }
        const size_t n = std::min({size, chunk_, capacity_ - out_->Buffered()});
        if (out_->head == out_->bytes.size()) out_->bytes.clear(), out_->head = 0;
        out_->bytes.append(data, n);
        out_->changed.notify_all();
        return static_cast<long>(n);
    }

    long Receive(char* data, size_t size) override {
        NoteMax(net_->largestReceive_, size);
        const auto giveUp = Clock::now() + idle_;
        std::unique_lock lock(in_->mutex);
        while (in_->Buffered() == 0) {
            if (in_->writerGone) return in_->reset ? -1 : 0;
            if (stop_ || Clock::now() >= giveUp) return -1;
            in_->changed.wait_for(lock, kSlice);
        }
        const size_t n = std::min(size, in_->Buffered());
        std::memcpy(data, in_->bytes.data() + in_->head, n);
        in_->head += n;
        if (in_->head >= capacity_) in_->bytes.erase(0, in_->head), in_->head = 0;
        in_->changed.notify_all();
        return static_cast<long>(n);
    }

    std::string PeerIp() const override { return peer_; }

private:
    std::shared_ptr<FakeTransferNet> net_;
    std::shared_ptr<Pipe> in_, out_;
    const std::atomic<bool>& stop_;
    std::string peer_;
    size_t capacity_, chunk_;
    std::chrono::milliseconds idle_;
};

FakeTransferSockets::FakeTransferSockets() : FakeTransferSockets(std::make_shared<FakeTransferNet>(), "127.0.0.1") {}

FakeTransferSockets::FakeTransferSockets(std::shared_ptr<FakeTransferNet> net, std::string ip)
    : net_(std::move(net)), ip_(std::move(ip)) {}

std::unique_ptr<ByteLink> FakeTransferSockets::Accept(int port, const std::atomic<bool>& stop, std::string* why) {
    const auto key = std::make_pair(ip_, port);
    std::unique_lock lock(net_->mutex_);
    if (net_->listeners_.count(key)) {
        if (why) *why = "address in use";
        return nullptr;
    }
    FakeTransferNet::Listener me{&stop, nullptr};
    net_->listeners_[key] = &me;
    net_->changed_.notify_all();
    while (!me.accepted) {
        if (stop) {
            net_->listeners_.erase(key);
            if (why) *why = "stopped";
            return nullptr;
        }
        net_->changed_.wait_for(lock, kSlice);
    }
    return std::move(me.accepted);
}

std::unique_ptr<ByteLink> FakeTransferSockets::Connect(const std::string& ip, int port, const std::atomic<bool>& stop,
                                                       std::string* why) {
    {
        std::lock_guard lock(mutex_);
        ++attempts_;
        if (failConnects_ > 0) {
            --failConnects_;
            if (why) *why = "connection refused";
            return nullptr;
        }
    }
    const auto giveUp = Clock::now() + std::chrono::milliseconds(net_->connectWaitMs);
    std::unique_lock lock(net_->mutex_);
    for (;;) {
        auto it = net_->listeners_.find({ip, port});
        if (it != net_->listeners_.end()) {
            auto toListener = std::make_shared<Pipe>(), toUs = std::make_shared<Pipe>();
            it->second->accepted = std::make_unique<FakeLinkEnd>(net_, toListener, toUs, *it->second->stop, ip_);
            net_->listeners_.erase(it);
            net_->changed_.notify_all();
            return std::make_unique<FakeLinkEnd>(net_, toUs, toListener, stop, ip);
        }
        if (stop || Clock::now() >= giveUp) {
            if (why) *why = stop ? "stopped" : "connection refused";
            return nullptr;
        }
        net_->changed_.wait_for(lock, kSlice);
    }
}

void FakeTransferSockets::Pause(int ms, const std::atomic<bool>&) {
    std::function<void(int)> hook;
    int count;
    {
        std::lock_guard lock(mutex_);
        pauses_.push_back(ms);
        count = static_cast<int>(pauses_.size());
        hook = onPause_;
    }
    if (hook) hook(count);
}

void FakeTransferSockets::FailConnects(int n) {
    std::lock_guard lock(mutex_);
    failConnects_ = n;
}

int FakeTransferSockets::ConnectAttempts() const {
    std::lock_guard lock(mutex_);
    return attempts_;
}

std::vector<int> FakeTransferSockets::Pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

void FakeTransferSockets::OnPause(std::function<void(int)> hook) {
    std::lock_guard lock(mutex_);
    onPause_ = std::move(hook);
}

namespace {

class FakeWorkerHandle : public WorkerHandle {
public:
    explicit FakeWorkerHandle(std::function<void()> work)
        : thread_([work = std::move(work)] {
              try {
                  work();
              } catch (...) {
                  ADD_FAILURE() << "a worker ended in an exception";
              }
          }) {}
    ~FakeWorkerHandle() override { thread_.join(); }

private:
    std::thread thread_;
};

}  // namespace

FakeWorkerThreads::~FakeWorkerThreads() = default;

std::unique_ptr<WorkerHandle> FakeWorkerThreads::Start(std::function<void()> work) {
    return std::make_unique<FakeWorkerHandle>(std::move(work));
}

void FakeWorkerThreads::PostToUi(std::function<void()> closure) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(closure));
    }
    posted_.notify_all();
}

int FakeWorkerThreads::RunPosted() {
    std::deque<std::function<void()>> now;
    {
        std::lock_guard lock(mutex_);
        now.swap(queue_);
    }
    // Outside the lock: a closure may post again (that waits for the next round).
    for (auto& closure : now) closure();
    return static_cast<int>(now.size());
}

bool FakeWorkerThreads::RunPostedUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto giveUp = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        RunPosted();
        if (done()) return true;
        if (Clock::now() >= giveUp) return false;
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, kSlice, [&] { return !queue_.empty(); });
    }
}

size_t FakeWorkerThreads::Pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

}  // namespace zc::test
