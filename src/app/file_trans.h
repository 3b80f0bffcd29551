#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "net/transfer_order.h"
#include "services/transfer_worker.h"

namespace zc {

class Clock;
class TimerService;
class TransferSockets;
class TransferWindow;
class TransferWindowFactory;
class WorkerThreads;

// The id under which the window's wait for a connection runs among the main window's timers;
// after the connection it waits for the order's time limit, if it has one.
inline constexpr int kTransferWaitTimer = 13;
inline constexpr int kTransferWaitMs = 3000;

// "1.4 MB/s, 0:12 left" from what has moved in how long; empty until there is a rate.
std::string TransferRateText(std::uint64_t done, std::uint32_t length, std::int64_t elapsedMs);
// How far a transfer got, in the unit of its length: {"32.8", "50 MB"}.
std::pair<std::string, std::string> TransferAmountText(std::uint64_t done, std::uint32_t length);

// One transfer: its progress window, its wait for the connection and its worker thread. The
// worker only posts to the UI thread; everything here runs on that thread. The end is reported
// exactly once, as one of the window's commands (0 for an end that reports nothing).
class CmyFileTrans : public std::enable_shared_from_this<CmyFileTrans> {
public:
    struct Services {
        TransferSockets& sockets;
        WorkerThreads& workers;
        TransferWindowFactory& windows;
        TimerService& timers;
        Clock& clock;
    };
    struct Texts {
        std::string title, fileName, cancel, waiting;
    };
    using EndReport = std::function<void(int command, const CmyFileTrans& transfer)>;

    CmyFileTrans(Services services, TransferOrder order, Texts texts, EndReport onEnd);
    ~CmyFileTrans();

    // Shows the window, starts the wait and the worker.
    void Start();
    // The cancel button: the worker stops after its current block.
    void Cancel() { stop_->store(true); }
    // The other side called it off: stopped too, and told as that side's cancel.
    void CancelledByPeer(const std::string& name) {
        cancelledBy_ = name;
        Cancel();
    }
    const std::string& CancelledBy() const { return cancelledBy_; }
    // No connection came within the wait: reported as aborted at once. Connected but past the
    // order's time limit: the worker is stopped.
    void OnWaitTimer();
    // The time limit stopped it.
    bool OverTime() const { return overTime_; }
    // Nobody connected within the wait.
    bool WaitedOut() const { return waitedOut_; }
    bool EverConnected() const { return connected_; }
    // Whether the worker thread still runs.
    bool Running() const { return running_; }

    const TransferOrder& Order() const { return order_; }
    const TransferResult& Result() const { return result_; }

private:
    void OnTick(const TransferTick& tick);
    void OnWorkerDone(const TransferResult& result);
    void Report(int command);
    int CommandOf(const TransferResult& result) const;

    Services s_;
    TransferOrder order_;
    Texts texts_;
    EndReport onEnd_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<TransferWindow> window_;
    std::unique_ptr<WorkerHandle> worker_;
    TransferResult result_;
    std::string cancelledBy_;
    std::int64_t startedAtMs_ = 0, connectedAtMs_ = 0;
    bool connected_ = false;
    bool overTime_ = false;
    bool waitedOut_ = false;
    bool running_ = false;
    bool reported_ = false;
};

}  // namespace zc
