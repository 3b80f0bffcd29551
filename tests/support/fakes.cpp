#include "support/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "ui/html/page_text.h"

namespace zc::test {

std::tm FakeClock::LocalTime(std::time_t t) const {
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

void FakeClock::AdvanceMs(std::int64_t ms) {
    monoMs_ += ms;
    subSecondMs_ += ms;
    now_ += static_cast<std::time_t>(subSecondMs_ / 1000);
    subSecondMs_ %= 1000;
}

void EnterFolder(const std::string& dir) {
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    ASSERT_FALSE(ec) << "cannot enter " << dir;
}

FakeTimers::FakeTimers(FakeClock& clock) : clock_(clock), home_(std::filesystem::current_path().string()) {}

void FakeTimers::SetTimer(int id, int periodMs) {
    ASSERT_GT(periodMs, 0) << "timer " << id << " armed without a period";
    armed_[id] = {periodMs, now_ + periodMs};
}

int FakeTimers::PeriodOf(int id) const {
    auto it = armed_.find(id);
    return it == armed_.end() ? 0 : it->second.period;
}

void FakeTimers::Advance(std::int64_t ms) {
    const std::int64_t end = now_ + ms;
    for (;;) {
        int next = 0;
        std::int64_t due = LLONG_MAX;
        for (const auto& [id, a] : armed_)
            if (a.due < due) {
                due = a.due;
                next = id;
            }
        if (due > end) break;
        clock_.AdvanceMs(due - now_);
        now_ = due;
        armed_[next].due = due + armed_[next].period;
        fired_.push_back(next);
        ASSERT_TRUE(handler_) << "timer " << next << " fired with no handler";
        EnterFolder(home_);
        handler_(next);
    }
    clock_.AdvanceMs(end - now_);
    now_ = end;
}

FakeView::~FakeView() {
    if (live_) {
        auto it = live_->find(role_);
        if (it != live_->end() && it->second == this) live_->erase(it);
    }
}

bool FakeView::WritePage(const std::string& html) {
    if (failWrites) return false;
    page_ = html;
    return true;
}

// The page edits are the program's own, so tests see what the running chat would write.
bool FakeView::AppendToBody(const std::string& html) { return InsertBeforeBodyEnd(page_, html); }

std::string FakeView::Body() const {
    size_t open = page_.find("<body");
    if (open == std::string::npos) return {};
    open = page_.find('>', open);
    size_t close = page_.rfind("</body>");
    if (close == std::string::npos) close = page_.rfind("</BODY>");
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    return page_.substr(open + 1, close - open - 1);
}

std::string FakeView::InnerHtmlById(const std::string& id) const { return InnerHtmlOfId(page_, id); }

bool FakeView::SetInnerHtmlById(const std::string& id, const std::string& html) {
    size_t begin = 0, end = 0;
    if (failWrites || !InnerHtmlRangeOfId(page_, id, begin, end)) return false;
    page_.replace(begin, end - begin, html);
    return true;
}

std::unique_ptr<HtmlView> FakeViewFactory::CreateView(ViewRole role) {
    auto view = std::make_unique<FakeView>(role, live_);
    if (failChatWrites && role == ViewRole::ChatText) view->failWrites = true;
    (*live_)[role] = view.get();
    ++created_[role];
    return view;
}

FakeView* FakeViewFactory::Live(ViewRole role) const {
    auto it = live_->find(role);
    return it == live_->end() ? nullptr : it->second;
}

int FakeViewFactory::Created(ViewRole role) const {
    auto it = created_.find(role);
    return it == created_.end() ? 0 : it->second;
}

std::string FakeRegistry::ReadValue(const std::string& key, const std::string& name) const {
    auto it = values_.find(key + "|" + name);
    return it == values_.end() ? std::string() : it->second;
}

bool FakeInstanceLock::ActivateHolder(const std::string& name) {
    auto it = board_.holders.find(name);
    if (it == board_.holders.end()) return false;
    it->second();
    return true;
}

bool FakeInstanceLock::Acquire(const std::string& name) {
    if (board_.holders.count(name)) return false;  // another copy keeps it
    board_.holders[name] = onActivate_;
    name_ = name;
    held_ = true;
    return true;
}

void FakeInstanceLock::Release() {
    if (held_) board_.holders.erase(name_);
    held_ = false;
}

std::string FakeSystem::EnvironmentValue(const std::string& n) const {
    auto it = env.find(n);
    return it == env.end() ? std::string() : it->second;
}

bool FakeTray::Create(const std::string& tip) {
    tip_ = tip;
    shown_ = available_;
    return available_;
}

bool RecordingTransport::Send(const std::string& bytes) {
    if (failSends) return false;
    sent_.push_back(bytes);
    return true;
}

}  // namespace zc::test

namespace zc::test {

struct FakeLan::Socket : MulticastTransport {
    Socket(FakeLan& lan, PacketTextHandler onText, std::function<std::string()> address = {})
        : lan_(lan), onText_(std::move(onText)), address_(std::move(address)),
          home_(std::filesystem::current_path().string()) {}
    ~Socket() override { lan_.Detach(this); }
    bool JoinGroup(const std::string&, int, int ttl, const std::string&, const std::string&) override {
        if (lan_.failJoin) return false;
        lan_.ttlSeen = ttl;
        lan_.Detach(this);
        lan_.joined_.push_back(this);
        joined_ = true;
        return true;
    }
    void LeaveGroup() override {
        lan_.Detach(this);
        joined_ = false;
    }
    void ShutdownAndClose() override { LeaveGroup(); }
    bool Send(const std::string& bytes) override {
        if (!joined_) return false;
        lan_.Send(this, bytes);
        return true;
    }
    void Receive(const std::string& bytes, const std::string& source) {
        // Like a datagram read: the text ends at the first zero byte.
        EnterFolder(home_);
        onText_(bytes.substr(0, bytes.find('\0')), source);
    }
    std::string Source() const { return address_ ? address_() : std::string(); }
    FakeLan& lan_;
    PacketTextHandler onText_;
    std::function<std::string()> address_;
    std::string home_;
    bool joined_ = false;
};

std::unique_ptr<MulticastTransport> FakeLan::CreateMulticast(PacketTextHandler onText) {
    return std::make_unique<Socket>(*this, std::move(onText));
}

std::unique_ptr<RelayTransport> FakeLan::CreateRelay(PacketTextHandler) {
    ADD_FAILURE() << "the fake LAN has no relay server";
    return nullptr;
}

namespace {
struct FakeLanPort : TransportFactory {
    FakeLanPort(FakeLan& lan, std::function<std::string()> address) : lan_(lan), address_(std::move(address)) {}
    std::unique_ptr<MulticastTransport> CreateMulticast(PacketTextHandler onText) override {
        return std::make_unique<FakeLan::Socket>(lan_, std::move(onText), address_);
    }
    std::unique_ptr<RelayTransport> CreateRelay(PacketTextHandler onText) override { return lan_.CreateRelay(onText); }
    FakeLan& lan_;
    std::function<std::string()> address_;
};
}  // namespace

std::unique_ptr<TransportFactory> FakeLan::PortFor(std::function<std::string()> address) {
    return std::make_unique<FakeLanPort>(*this, std::move(address));
}

void FakeLan::Send(Socket* from, const std::string& bytes) {
    queue_.emplace_back(bytes, from->Source());
    wire_.push_back(bytes);
}

void FakeLan::Detach(Socket* s) { joined_.erase(std::remove(joined_.begin(), joined_.end(), s), joined_.end()); }

int FakeLan::Pump(int maxRounds) {
    int delivered = 0;
    for (int round = 0; round < maxRounds && !queue_.empty(); ++round) {
        std::vector<std::pair<std::string, std::string>> batch;
        batch.swap(queue_);
        for (const auto& [bytes, source] : batch) {
            std::vector<Socket*> receivers = joined_;
            for (Socket* s : receivers) s->Receive(bytes, source);
            ++delivered;
        }
    }
    EXPECT_TRUE(queue_.empty()) << "packets still bouncing after " << maxRounds << " rounds";
    return delivered;
}

bool FakeDialogs::Answer(bool yes) {
    if (open.empty()) return false;
    Open d = open.front();
    open.erase(open.begin());
    if (d.onRead) d.onRead();
    if (d.onAnswer) d.onAnswer(yes);
    return true;
}

}  // namespace zc::test
