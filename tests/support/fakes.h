#pragma once
// Fakes of every platform service: deterministic, inspectable, loud when misused.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/html_view.h"
#include "platform/dialogs.h"
#include "platform/main_window_host.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/process_starter.h"
#include "platform/registry_store.h"
#include "platform/single_instance.h"
#include "platform/system_facts.h"
#include "platform/timers.h"
#include "platform/transport.h"
#include "platform/tray.h"

namespace zc::test {

// Local time is UTC so tests do not depend on the machine's zone.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::time_t start = 1765188000) : now_(start) {}
    std::time_t Now() const override { return now_; }
    std::tm LocalTime(std::time_t t) const override;
    std::int64_t MonotonicMs() const override { return monoMs_; }
    void SleepMs(int ms) override { slept_ += ms; }
    void Set(std::time_t t) { now_ = t; }
    void AdvanceMs(std::int64_t ms);
    int SleptMs() const { return slept_; }

private:
    std::time_t now_;
    std::int64_t monoMs_ = 0, subSecondMs_ = 0;
    int slept_ = 0;
};

// Several chats of one test each live in their own folder; this makes one of them current.
void EnterFolder(const std::string& dir);

// Timers that fire only when the test moves time on.
class FakeTimers : public TimerService {
public:
    // The current directory at construction is the chat's program folder; timers fire there.
    explicit FakeTimers(FakeClock& clock);
    void SetTimer(int id, int periodMs) override;
    void KillTimer(int id) override { armed_.erase(id); }
    bool IsArmed(int id) const override { return armed_.count(id) > 0; }
    void SetHandler(std::function<void(int)> onTimer) override { handler_ = std::move(onTimer); }
    int PeriodOf(int id) const;
    // Moves the clock and fires every expiry on the way, earliest first.
    void Advance(std::int64_t ms);
    const std::vector<int>& Fired() const { return fired_; }

private:
    struct Armed {
        int period;
        std::int64_t due;
    };
    FakeClock& clock_;
    std::string home_;
    std::map<int, Armed> armed_;
    std::function<void(int)> handler_;
    std::vector<int> fired_;
    std::int64_t now_ = 0;
};

// A view that keeps its page text.
class FakeView : public HtmlView {
public:
    explicit FakeView(ViewRole role, std::shared_ptr<std::map<ViewRole, FakeView*>> live = nullptr)
        : role_(role), live_(std::move(live)) {}
    ~FakeView() override;
    ViewRole Role() const override { return role_; }
    bool WritePage(const std::string& html) override;
    bool AppendToBody(const std::string& html) override;
    void ScrollToEnd() override { ++scrolls_; }
    std::string InnerHtmlById(const std::string& id) const override;
    bool SetInnerHtmlById(const std::string& id, const std::string& html) override;
    void SetVisible(bool visible) override { visible_ = visible; }
    const std::string& Page() const { return page_; }
    std::string Body() const;
    int Scrolls() const { return scrolls_; }
    bool Visible() const { return visible_; }
    bool failWrites = false;

private:
    ViewRole role_;
    std::shared_ptr<std::map<ViewRole, FakeView*>> live_;
    std::string page_;
    int scrolls_ = 0;
    bool visible_ = true;
};

class FakeViewFactory : public ViewFactory {
public:
    std::unique_ptr<HtmlView> CreateView(ViewRole role) override;
    // The live view of a role (the most recent one created), or null.
    FakeView* Live(ViewRole role) const;
    int Created(ViewRole role) const;
    bool failChatWrites = false;

private:
    std::shared_ptr<std::map<ViewRole, FakeView*>> live_ = std::make_shared<std::map<ViewRole, FakeView*>>();
    std::map<ViewRole, int> created_;
};

class FakeWindow : public MainWindowHost {
public:
    void SetTitle(const std::string& title) override { title_ = title; }
    std::string Title() const override { return title_; }
    void HideWindow() override { visible_ = false; }
    void ShowNormal() override { visible_ = true; minimized_ = false; }
    void MinimizeWindow() override { minimized_ = true; }
    void BringToFront() override { ++raised_; }
    bool IsWindowVisible() const override { return visible_; }
    void MoveWindow(int l, int t, int w, int h) override { rect_ = {l, t, l + w, t + h}; }
    WindowRect ScreenRect() const override { return rect_; }
    void FocusInput() override { ++focused_; }
    std::string InputText() const override { return input_; }
    void SetInputText(const std::string& text) override {
        input_ = text;
        caret_ = text.size();
        selection_ = {0, 0};
    }
    void SetInputTextAt(const std::string& text, size_t caret) override {
        SetInputText(text);
        caret_ = caret;
    }
    size_t InputCaret() const override { return caret_; }
    std::pair<size_t, size_t> InputSelection() const override { return selection_; }
    // What the user did in the box: the caret moved, or a part selected (the caret at its end).
    void PutCaret(size_t at) { caret_ = at; }
    void Select(size_t start, size_t end) { selection_ = {start, end}; caret_ = end; }
    void EndDialog() override { ++ended_; }
    bool minimized() const { return minimized_; }
    int raised() const { return raised_; }
    int ended() const { return ended_; }

private:
    std::string title_, input_;
    size_t caret_ = 0;
    std::pair<size_t, size_t> selection_{0, 0};
    bool visible_ = false, minimized_ = false;
    int raised_ = 0, focused_ = 0, ended_ = 0;
    WindowRect rect_;
};

class FakeRegistry : public RegistryStore {
public:
    void WriteValue(const std::string& key, const std::string& name, const std::string& value) override {
        values_[key + "|" + name] = value;
    }
    std::string ReadValue(const std::string& key, const std::string& name) const override;
    void DeleteValue(const std::string& key, const std::string& name) override { values_.erase(key + "|" + name); }
    bool Has(const std::string& key, const std::string& name) const { return values_.count(key + "|" + name) > 0; }

private:
    std::map<std::string, std::string> values_;
};

// Locks shared between the copies of one test, like the names of one desktop session.
struct FakeLockBoard {
    std::map<std::string, std::function<void()>> holders;  // name -> how to activate its holder
};

class FakeInstanceLock : public SingleInstanceLock {
public:
    FakeInstanceLock(FakeLockBoard& board, std::function<void()> onActivate)
        : board_(board), onActivate_(std::move(onActivate)) {}
    bool IsHeldElsewhere(const std::string& name) override { return !held_ && board_.holders.count(name) > 0; }
    bool ActivateHolder(const std::string& name) override;
    bool Acquire(const std::string& name) override;
    void Release() override;
    bool IsHeld() const override { return held_; }

private:
    FakeLockBoard& board_;
    std::function<void()> onActivate_;
    std::string name_;
    bool held_ = false;
};

class FakeSystem : public SystemFacts {
public:
    std::string computer = "deskpc", user = "alice", ip = "192.168.5.20", exe = "/opt/zeltochat/zeltochat";
    std::map<std::string, std::string> env;
    std::string ComputerName() const override { return computer; }
    std::string UserName() const override { return user; }
    std::string LocalIpv4(const std::string&) const override { return ip; }
    std::string ExecutablePath() const override { return exe; }
    std::vector<Ipv4Subnet> subnets;
    std::map<std::string, std::string> routeSources;  // host -> the address we would send from
    std::vector<Ipv4Subnet> LocalSubnets() const override { return subnets; }
    std::string SourceAddressToward(const std::string& host) const override {
        const auto it = routeSources.find(host);
        return it == routeSources.end() ? std::string() : it->second;
    }
    std::string hardware;  // raw bytes
    std::string HardwareAddressOf(const std::string&) const override { return hardware; }
    std::string EnvironmentValue(const std::string& n) const override;
    // Identities held by the copies of one machine; none set: every claim succeeds.
    std::set<std::string>* machineIds = nullptr;
    std::set<std::string> claimed;
    bool ClaimIdentity(const std::string& id) override {
        if (!machineIds || claimed.count(id)) return true;
        if (!machineIds->insert(id).second) return false;
        claimed.insert(id);
        return true;
    }
    void ReleaseIdentities() override {
        for (const std::string& id : claimed)
            if (machineIds) machineIds->erase(id);
        claimed.clear();
    }
};

class FakeProcesses : public ProcessStarter {
public:
    struct Start {
        std::string program;
        std::vector<std::string> args;
        std::string workDir;
    };
    bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workDir) override {
        starts.push_back({program, args, workDir});
        return true;
    }
    bool StartWatched(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                      std::function<void(int)> onFinished) override {
        if (watchedFails) return false;
        watched.push_back({program, args, workDir});
        running.push_back(std::move(onFinished));
        return true;
    }
    // Ends the oldest watched program with the exit status given.
    void FinishWatched(int exitCode = 0) {
        auto done = std::move(running.front());
        running.erase(running.begin());
        if (done) done(exitCode);
    }
    std::vector<Start> starts, watched;
    std::vector<std::function<void(int)>> running;
    bool watchedFails = false;
};

class FakeTray : public TrayIcon {
public:
    explicit FakeTray(bool available = true) : available_(available) {}
    bool Create(const std::string& tip) override;
    void Remove() override { shown_ = false; ++removed_; }
    bool IsAvailable() const override { return available_; }
    void SetTip(const std::string& tip) override { tip_ = tip; }
    void SetIcon(int id) override { icons_.push_back(id); }
    bool Shown() const { return shown_; }
    const std::string& Tip() const { return tip_; }
    int Removed() const { return removed_; }
    // Every picture shown since the start, in order.
    const std::vector<int>& Icons() const { return icons_; }
    int Icon() const { return icons_.empty() ? kTrayNormalIcon : icons_.back(); }

private:
    bool available_, shown_ = false;
    std::string tip_;
    int removed_ = 0;
    std::vector<int> icons_;
};

// A transport that records every packet handed to it.
class RecordingTransport : public Transport {
public:
    explicit RecordingTransport(bool multicast = true) : multicast_(multicast) {}
    bool Send(const std::string& bytes) override;
    bool IsMulticast() const override { return multicast_; }
    void LeaveGroup() override { ++left_; }
    void ShutdownAndClose() override { closed_ = true; }
    const std::vector<std::string>& Sent() const { return sent_; }
    bool failSends = false;
    int left() const { return left_; }
    bool closed() const { return closed_; }

private:
    bool multicast_;
    std::vector<std::string> sent_;
    int left_ = 0;
    bool closed_ = false;
};

// Carries packets between several chats in one process, like one multicast group: every
// datagram reaches every joined socket, its sender's included. Delivery waits for Pump().
class FakeLan : public TransportFactory {
public:
    std::unique_ptr<MulticastTransport> CreateMulticast(PacketTextHandler onText) override;
    std::unique_ptr<RelayTransport> CreateRelay(PacketTextHandler onText) override;
    // A host's way onto the LAN: its datagrams come from the address the function gives at the
    // time they are sent (the sockets of CreateMulticast send from nowhere in particular).
    std::unique_ptr<TransportFactory> PortFor(std::function<std::string()> address);
    // Delivers queued datagrams (and what handlers send meanwhile); returns how many.
    int Pump(int maxRounds = 100);
    const std::vector<std::string>& Wire() const { return wire_; }
    // Long runs (fuzzing) drop the record of what was sent.
    void ForgetWire() { wire_.clear(); }
    int ttlSeen = 0;
    bool failJoin = false;
    // Where the hosts' transfer connections meet.
    std::shared_ptr<class FakeTransferNet> transferNet;

    struct Socket;
    void Send(Socket* from, const std::string& bytes);
    void Detach(Socket* s);

private:
    std::vector<Socket*> joined_;
    std::vector<std::pair<std::string, std::string>> queue_;  // bytes, source
    std::vector<std::string> wire_;
};

// Dialogs that remember what is open; the test answers them.
class FakeDialogs : public DialogService {
public:
    struct Open {
        std::string caption, text;
        std::function<void()> onRead;
        std::function<void(bool)> onAnswer;
        int number = 0;
    };
    void ShowAlert(const std::string& caption, const std::string& text, std::function<void()> onRead) override {
        ShowNumberedAlert(0, caption, text, std::move(onRead));
    }
    void AskQuestion(const std::string& caption, const std::string& text, std::function<void(bool)> onAnswer) override {
        AskNumbered(0, caption, text, std::move(onAnswer));
    }
    void ShowNumberedAlert(int number, const std::string& caption, const std::string& text,
                           std::function<void()> onRead) override {
        if (forward) forward->ShowNumberedAlert(number, caption, text, std::move(onRead));
        else open.push_back({caption, text, std::move(onRead), nullptr, number});
    }
    void AskNumbered(int number, const std::string& caption, const std::string& text,
                     std::function<void(bool)> onAnswer) override {
        if (forward) forward->AskNumbered(number, caption, text, std::move(onAnswer));
        else open.push_back({caption, text, nullptr, std::move(onAnswer), number});
    }
    void Withdraw(int number) override {
        if (forward) forward->Withdraw(number);
        else std::erase_if(open, [number](const Open& o) { return o.number == number; });
    }
    // Alerts and questions go there instead (the terminal's dialogs, say).
    DialogService* forward = nullptr;
    void ShowUserInfo(const std::string& caption, const std::vector<std::pair<std::string, std::string>>& lines) override {
        infoCaption = caption;
        infoLines = lines;
    }
    void ShowEventNotice(int kind, const std::string& caption, const std::string& text) override {
        notices[kind] = caption + ": " + text;
    }
    void PickFileToSend(const std::string&, std::function<void(const std::string&)> onPicked) override {
        if (!pickedFile.empty()) onPicked(pickedFile);
    }
    // Confirms the oldest open dialog (yes for a question).
    bool Answer(bool yes = true);
    std::vector<Open> open;
    std::string infoCaption;
    std::vector<std::pair<std::string, std::string>> infoLines;
    std::string pickedFile;  // what the file dialog answers; empty: cancelled
    std::map<int, std::string> notices;  // the event windows by kind, as last filled
};

class FakeShell : public ShellService {
public:
    void PlaySound(const std::string& path) override { sounds.push_back(path); }
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        return !noViewer;
    }
    std::vector<std::string> sounds, opened;
    bool noViewer = false;  // no program opens documents
};

}  // namespace zc::test
