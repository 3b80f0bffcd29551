#include "app/file_trans.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/file_url.h"
#include "platform/clock.h"
#include "platform/file_transfer.h"
#include "platform/timers.h"
#include "platform/transfer_window.h"
#include "platform/window_commands.h"
#include "services/transfer_stream.h"

namespace zc {

std::string TransferRateText(std::uint64_t done, std::uint32_t length, std::int64_t elapsedMs) {
    if (elapsedMs <= 0 || done == 0) return {};
    const double perSecond = static_cast<double>(done) * 1000.0 / static_cast<double>(elapsedMs);
    char rate[32];
    if (perSecond >= 1024.0 * 1024.0) std::snprintf(rate, sizeof rate, "%.1f MB/s", perSecond / (1024.0 * 1024.0));
    else std::snprintf(rate, sizeof rate, "%.0f KB/s", perSecond / 1024.0);
    const std::uint64_t left = length > done ? length - done : 0;
    const auto seconds = static_cast<long long>(static_cast<double>(left) / perSecond + 0.5);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %lld:%02lld left", rate, seconds / 60, seconds % 60);
    return text;
}

std::pair<std::string, std::string> TransferAmountText(std::uint64_t done, std::uint32_t length) {
    static constexpr const char* kUnits[] = {"B", "KB", "MB", "GB"};
    size_t unit = 0;
    double scale = 1;
    while (unit + 1 < std::size(kUnits) && length >= scale * 1024) scale *= 1024, ++unit;
    // One decimal, none when it is 0: "32.8", "50".
    auto number = [&](std::uint64_t bytes) {
        char text[32];
        std::snprintf(text, sizeof text, unit == 0 ? "%.0f" : "%.1f", static_cast<double>(bytes) / scale);
        std::string out = text;
        if (out.ends_with(".0")) out.resize(out.size() - 2);
        return out;
    };
    return {number(done), number(length) + " " + kUnits[unit]};
}

CmyFileTrans::CmyFileTrans(Services services, TransferOrder order, Texts texts, EndReport onEnd)
    : s_(services), order_(std::move(order)), texts_(std::move(texts)), onEnd_(std::move(onEnd)) {}

CmyFileTrans::~CmyFileTrans() {
    // Ending the chat while bytes move: the worker is told to stop and waited for.
    stop_->store(true);
    worker_.reset();
    if (!reported_) s_.timers.KillTimer(kTransferWaitTimer);
}

void CmyFileTrans::Start() {
    std::weak_ptr<CmyFileTrans> self = weak_from_this();
    window_ = s_.windows.Create([self] {
        if (auto t = self.lock()) t->Cancel();
    });
    window_->SetTexts(texts_.title, texts_.fileName, texts_.cancel);
    window_->SetRange(0);
    window_->SetPosition(0);
    window_->SetProgressText(TransferProgress::Text(0, 0));
    window_->SetRateText(texts_.waiting);
    window_->Show();
    startedAtMs_ = s_.clock.MonotonicMs();
    s_.timers.SetTimer(kTransferWaitTimer, kTransferWaitMs);

    TransferJob job;
    job.peerIp = order_.peerIp;
    job.port = order_.port;
    job.path = order_.path;
    job.folder = order_.folder;
    // Names travel in the chat's code page; the file system keeps UTF-8.
    job.name = SystemText(order_.name);
    job.overwrite = order_.overwrite;
    job.maxLength = order_.maxLength;
    WorkerThreads& workers = s_.workers;
    TransferSockets& sockets = s_.sockets;
    auto stop = stop_;
    const bool sending = order_.sending;
    running_ = true;
    worker_ = workers.Start([&workers, &sockets, job, stop, sending, self] {
        const TransferTickSink tick = [&workers, self](const TransferTick& t) {
            workers.PostToUi([self, t] {
                if (auto me = self.lock()) me->OnTick(t);
            });
        };
        const TransferResult result = sending ? RunSendWorker(sockets, job, *stop, tick)
                                              : RunReceiveWorker(sockets, job, *stop, tick);
        workers.PostToUi([self, result] {
            if (auto me = self.lock()) me->OnWorkerDone(result);
        });
    });
}

void CmyFileTrans::OnTick(const TransferTick& tick) {
    if (reported_ || !window_) return;
    if (tick.connected && !connected_) {
        connected_ = true;
        connectedAtMs_ = s_.clock.MonotonicMs();
        s_.timers.KillTimer(kTransferWaitTimer);
        if (order_.limitMs > 0) {
            const std::int64_t left = order_.limitMs - (connectedAtMs_ - startedAtMs_);
            s_.timers.SetTimer(kTransferWaitTimer, static_cast<int>(std::max<std::int64_t>(left, 1)));
        }
    }
    if (tick.length == 0 && tick.done == 0) return;
    // A file under 1 KB has an empty range; it shows full once done.
    const int rangeKb = static_cast<int>(tick.length / 1024);
    window_->SetRange(rangeKb > 0 ? rangeKb : 1);
    window_->SetPosition(rangeKb > 0 ? static_cast<int>(tick.done / 1024) : (tick.done >= tick.length ? 1 : 0));
    window_->SetProgressText(TransferProgress::Text(tick.done, tick.length));
    window_->SetRateText(TransferRateText(tick.done, tick.length, s_.clock.MonotonicMs() - connectedAtMs_));
}

void CmyFileTrans::OnWaitTimer() {
    s_.timers.KillTimer(kTransferWaitTimer);
    if (reported_) return;
    if (connected_) {
        // A peer that trickles cannot hold the transfer past its limit.
        if (order_.limitMs <= 0) return;
        const std::int64_t left = order_.limitMs - (s_.clock.MonotonicMs() - startedAtMs_);
        if (left > 0) {
            s_.timers.SetTimer(kTransferWaitTimer, static_cast<int>(left));
            return;
        }
        overTime_ = true;
        stop_->store(true);
        return;
    }
    // A connection that comes after this is turned away: the worker sees the stop flag.
    stop_->store(true);
    waitedOut_ = true;
    Report(order_.mode == TransferMode::Avatar ? 0 : ID_TRANSFER_ABORTED);
}

void CmyFileTrans::OnWorkerDone(const TransferResult& result) {
    result_ = result;
    running_ = false;
    worker_.reset();
    Report(CommandOf(result));
}

int CmyFileTrans::CommandOf(const TransferResult& result) const {
    // Avatars come and go in the background: their end is only logged.
    if (order_.mode == TransferMode::Avatar) return 0;
    switch (result.end) {
        case TransferEnd::Failed: return ID_TRANSFER_FAILED;
        case TransferEnd::Stopped: return ID_TRANSFER_ABORTED;
        case TransferEnd::Done: break;
    }
    if (order_.sending) return order_.mode == TransferMode::File ? ID_TRANSFER_FILE_SENT : 0;
    return order_.mode == TransferMode::Desktop ? ID_TRANSFER_DESKTOP_RECEIVED : ID_TRANSFER_FILE_RECEIVED;
}

void CmyFileTrans::Report(int command) {
    // The first end is the one reported; a worker that ends after the wait ran out only says
    // that it is gone.
    const bool first = !reported_;
    reported_ = true;
    if (first) {
        s_.timers.KillTimer(kTransferWaitTimer);
        if (window_) window_->Hide();
    }
    if (onEnd_) onEnd_(first ? command : 0, *this);
}

}  // namespace zc
