#include "cli/stdin_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace zc {

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
    pending_.append(bytes);
    std::vector<std::string> lines;
    size_t start = 0, nl;
    while ((nl = pending_.find('\n', start)) != std::string::npos) {
        size_t end = nl;
        if (end > start && pending_[end - 1] == '\r') --end;
        lines.push_back(pending_.substr(start, end - start));
        start = nl + 1;
    }
    pending_.erase(0, start);
    return lines;
}

std::optional<std::string> LineSplitter::Finish() {
    if (pending_.empty()) return std::nullopt;
    std::string last = std::move(pending_);
    pending_.clear();
    if (!last.empty() && last.back() == '\r') last.pop_back();
    return last;
}

InputReader::InputReader(int fd, std::function<void(const std::string&)> onLine, std::function<void()> onEnd)
    : fd_(fd), onLine_(std::move(onLine)), onEnd_(std::move(onEnd)) {}

InputReader::~InputReader() = default;

bool InputReader::Start() {
    if (::fcntl(fd_, F_GETFL) < 0) {
        End();
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { OnReadable(); });
    return true;
}

void InputReader::OnReadable() {
    if (ended_) return;
    char buffer[65536];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (n <= 0) {
        End();
        return;
    }
    for (const std::string& line : splitter_.Feed(std::string_view(buffer, static_cast<size_t>(n)))) {
        onLine_(line);
        if (ended_) return;
    }
}

void InputReader::End() {
    if (ended_) return;
    ended_ = true;
    // A closed pipe or a file at its end stays readable: stop watching it.
    if (notifier_) notifier_->setEnabled(false);
    if (auto last = splitter_.Finish()) onLine_(*last);
    if (onEnd_) onEnd_();
}

}  // namespace zc
