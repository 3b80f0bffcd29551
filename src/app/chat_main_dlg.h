#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/tray_flasher.h"
#include "app/tray_menu.h"
#include "app/view_events.h"
#include "base/debug_log.h"
#include "base/language.h"
#include "base/settings.h"
#include "net/board_requests.h"
#include "net/chat_packet.h"
#include "net/chat_session.h"
#include "net/conference_guard.h"
#include "net/flood_guard.h"
#include "net/sender_state.h"
#include "net/subst_codec.h"
#include "net/transfer_asks.h"
#include "net/transport_list.h"
#include "net/user_roster.h"
#include "platform/network.h"
#include "platform/skin_chrome.h"
#include "services/history.h"
#include "services/history_search.h"
#include "services/waiting_messages.h"
#include "ui/html/chat_document.h"
#include "ui/html/skin_host.h"
#include "ui/html/skin_theme.h"
#include "ui/html/smile_alias.h"
#include "ui/html/smiles_window.h"

namespace zc {

class Clock;
class TimerService;
class ViewFactory;
class MainWindowHost;
class RegistryStore;
class SingleInstanceLock;
class SystemFacts;
class ProcessStarter;
class TrayIcon;
class XdgAutostart;
class DialogService;
class ShellService;
class TransferSockets;
class WorkerThreads;
class TransferWindowFactory;
class ScreenCapture;
class NetworkWatch;
class CmyFileTrans;
class COptionsRunner;
class PluginHost;
struct PluginMenu;

// What the chat needs of the machine it runs on.
struct Platform {
    Clock& clock;
    TimerService& timers;
    ViewFactory& views;
    MainWindowHost& window;
    RegistryStore& registry;
    SingleInstanceLock& instance;
    SystemFacts& system;
    ProcessStarter& processes;
    TrayIcon& tray;
    XdgAutostart& autostart;
    TransportFactory* network = nullptr;  // none: the chat runs without a network
    DialogService* dialogs = nullptr;
    ShellService* shell = nullptr;
    SkinChrome* skin = nullptr;  // none: no skinned window (terminal client, tests)
    // File transfers need all three; without them offers and requests are refused.
    TransferSockets* transferSockets = nullptr;
    WorkerThreads* workers = nullptr;
    TransferWindowFactory* transferWindows = nullptr;
    ScreenCapture* screen = nullptr;  // none: snapshot requests are refused
    NetworkWatch* networkWatch = nullptr;  // none: network changes are noticed at the refresh
};

enum MainTimer {
    kLayoutTimer = 1,
    kPresenceTimer = 2,
    kRefreshTimer = 3,
    kUserListTimer = 4,
    kStartupTimer = 5,
    kOptionsPollTimer = 6,
    kFocusInputTimer = 10,
    kSmilesHideTimer = 11,
    kGroupSendTimer = 12,  // paces the packets to a user group
    // 13: the transfer window's wait for its connection (kTransferWaitTimer)
    kPluginRequestTimer = 14,  // notification requests the plug-ins posted
    kTrayFlashTimer = 15,      // the tray icon's next picture while it flashes
    kIdentityTimer = 16,       // settles identities claimed from a new address
    kBoardPageTimer = 17,      // a board page in front follows changes at most once a second
    kPacingTimer = 18,         // tells how many lines a flooding sender had held back
    kTransferLineTimer = 19,   // a broken transfer's line, held while the other side may say it cancelled
    kWaitingTimer = 20,        // a quiet user did not answer: the message sent to it waits
    kLastTimer = kWaitingTimer,
};

// The information window's lines: the language file's labels, each with its item of the card.
std::vector<std::pair<std::string, std::string>> InfoWindowLines(const LanguageTable& language, const std::string& card);

inline const char kInstanceMutexName[] = "Zelto Chat only one";

// Something the user must hear about at start-up, naming its file or folder (UTF-8 text).
// A fatal one ended the start.
struct StartupNotice {
    std::string text;
    bool fatal = false;
};

// The running chat: owns every long-lived object, runs start-up and shutdown, and is the
// session the packet handlers and outgoing forms work on.
class CChatMainDlg : public ChatSession, private SkinPages {
public:
    // programDir is the data root (ends in "/"), already the current directory.
    CChatMainDlg(Platform platform, std::string programDir);
    ~CChatMainDlg() override;

    // The whole start-up sequence; false when it ended the dialog.
    bool OnInitDialog();
    void ExitMain();
    void OnTimer(int id);
    // A key pressed anywhere in the window; true when it was a hot key.
    bool OnKeyDown(int keyCode);
    // Close request or Escape: the window goes to the tray, the chat keeps running.
    void HideToTray();
    void ShowFromTray();
    // Another copy asked this one to come to the front.
    void ActivateFromOtherCopy();
    // The tray icon: its left click, the menu its right click opens, and the menu's commands.
    void OnTrayLeftClick();
    std::vector<TrayMenuItem> OnTrayMenu();
    void OnTrayCommand(int command);
    bool TrayFlashing() const { return trayFlasher_.Flashing(); }
    void FlashTray(int firstIcon) override;
    void SwitchProfile(int command);
    bool RestartSelf();
    void SetChatMode(int mode);
    // A button or menu command of the window.
    void OnCommand(int command);
    void ShowPage(PageMode mode);
    void ToggleSmiles();
    void HideSmiles();
    // A smile picked in the smiles page goes into the input box.
    void InsertSmile(const std::string& alias);
    // Retypes the input (or its selection) in the other keyboard layout.
    void TranslateInput();
    // An element event of one of the pages; what is left for the window comes back.
    WindowRequest OnViewEvent(ViewRole role, const ViewEvent& event);
    // Puts a user's name and the appeal mark in front of the input text.
    void AddressUser(const std::string& name);
    // The user menu's message, alert and sound items on a user picked by identity or name.
    void AddressFromMenu(int command, const std::string& picked);
    HtmlView* SmilesView() const { return smilesView_.get(); }
    const SkinStyles& Styles() const { return styles_; }
    // Each line appended to a chat page, as it is appended.
    void SetChatLineListener(ChatLineListener listener);

    // The history entries shown under the greeting at start, oldest first, and their caption.
    const std::vector<HistoryEntry>& EarlierLines() const { return earlier_; }
    std::string EarlierCaption() const;
    // Every month's history, public and private, newest first.
    std::vector<HistoryHit> FindInHistory(const std::string& query) const;
    // Opens the history file that holds a found entry, as the history commands open theirs.
    bool OpenHistoryFile(const HistoryHit& hit);
    // Messages that came while their page was not in view; showing the page clears its count.
    int Unread(PageMode page) const;
    int UnreadTotal() const;
    // The tray's tool tip: the title, and the unread count after it when there is one.
    std::string TrayTip() const;
    // Called whenever a count changes.
    void SetUnreadListener(std::function<void()> listener);
    // A caption of the language file's menu texts; fallback when the file has none.
    std::string MenuText(int number, const std::string& fallback) const;

    bool SendPacket(Command command, const std::string& body, const std::string& target) override;
    bool PacketFits(Command command, const std::string& body, const std::string& target) const override;
    // source: the address the text came from; empty where the transport cannot tell.
    void OnPacketText(const std::string& text, const std::string& source = {});
    bool OwnAddressChanged() const;
    // The address our packets name: the chosen interface's, else the one the relay sees us at,
    // else the first interface's.
    std::string OwnAddressFor(const CNetSettings& s) const;
    void DispatchPacket(const CChatPacket& packet, const std::string& source = {});

    void EndDialog();
    int DispatchedCount() const { return dispatched_; }
    int LastDispatchedCommand() const { return lastCommand_; }
    bool Ended() const { return ended_; }
    const std::vector<StartupNotice>& StartupNotices() const { return notices_; }
    // True when the start ended on a failure (not when another copy was running).
    bool StartFailed() const;

    const std::string& VersionText() const { return version_; }
    std::string WindowTitle() const { return "Zelto Chat v" + version_; }
    const GlobalSettings& Global() const override { return global_; }
    const LocalUser& User() const override { return user_; }
    const LanguageTable& Language() const override { return language_; }
    const DebugLog& Log() const { return log_; }
    const Clock& ChatClock() const;
    const CTransportList& Transports() const { return transports_; }
    // A transport brought up elsewhere (tests, a relay the caller connected).
    void UseTransport(Transport* transport, const CNetSettings& settings) { transports_.Add(transport, settings); }
    const CSubstCodec& Codec() const { return codec_; }
    const std::vector<std::string>& Profiles() const { return profiles_; }
    const FloodGuard& Flood() const { return flood_; }
    const PeerWindows& OpenPeerWindows() const { return peerWindows_; }
    CUserRoster& Roster() override { return roster_; }
    SenderState& Senders() override { return senders_; }
    void ArmIdentityTimer(int ms) override;
    void CheckOwnAddress() override;
    ConferenceGuard& Conference() override { return conference_; }
    std::int64_t NowSeconds() const override;
    std::int64_t NowMs() const override;
    void ArmPacingTimer(int ms) override;
    void WriteLog(const std::string& line) const override { log_.Write(line); }
    std::string DateTimeText(std::int64_t seconds) const override;
    WaitingMessages& Waiting() override { return waiting_; }
    void ArmWaitingTimer(int ms) override;
    const CUserRoster& Roster() const { return roster_; }
    const ChatHistory& History() const { return history_; }
    const UserGroupSettings& Groups() const { return groups_; }

    // The messages kept for users who are away, from the profile's file.
    void OpenWaiting();
    // Network start, identity and the presence refresh.
    bool InitNetwork();
    // Which gateways may speak for other segments, as GATEWAYS and the interfaces are now.
    void TrustGateways(const CNetSettings& settings);
    void StartNetwork();
    // The relay connection came up or went down: one line each way, and presence after a return.
    void OnRelayEvent(RelayEvent event, const std::string& name);
    void RefreshPresence();
    // An address or link of this machine changed: follow it now instead of at the refresh.
    void OnNetworkChanged();
    void ComputeIdentity();
    void InitUsersGroup();

    // Outgoing traffic.
    // False when nothing was taken: empty input, refused for sending too fast, or not sent (a
    // chat line then says why); the window keeps the text for another try.
    bool SendChatMessage(const std::string& input);
    bool FloodGuardAllows() override;
    // False (with a line saying why) when the group has nobody to send to.
    bool SendToUserGroup(int kind, const std::string& text, int group, const std::string& groupName = "");
    void ChangeName();
    bool InviteToConference(const std::string& name);
    void LeaveConference();
    void AnnounceActivity() override;
    std::string ModeBody() const override;
    const std::array<std::string, 10>& InputHistory() const { return inputHistory_; }

    // The ignore list, by the user's name as the roster shows it.
    bool IsIgnored(const std::string& ip) const override;
    std::string OwnInfoCard() const override;
    bool EchoOn() const override { return ReadEcho(settingsPath_); }
    bool Ignore(const std::string& name);
    bool Unignore(const std::string& name);
    bool ToggleIgnore(const std::string& name);
    bool OpenHistory(bool isMain);
    int UserListRebuilds() const { return userListRebuilds_; }
    void RebuildUserList();
    HtmlView* UserListView() const { return userListView_.get(); }
    HtmlView* ChatView(ChatPage page) const;
    const SmileAliasTable& Smiles() const { return smiles_; }
    const std::string& OwnIp() const override { return ownIp_; }
    const std::string& OwnId() const override { return ownId_; }
    void SetIdentity(const std::string& ip, const std::string& id);
    const std::string& ProgramDir() const { return programDir_; }

    // The board: its page, posting into the open tab, the page's tab and delete clicks.
    // Builds and writes the board page now.
    void ShowBoardPage();
    void BoardChanged() override;
    bool PostToBoard(const std::string& text);
    void SendOwnBoardList(const std::string& target) override;
    void OnBoardCategory(const std::string& id);
    void OnBoardDelete(const std::string& id);
    // Deletes a message by its page id; the author's delete goes to every copy.
    void DeleteBoardMessage(const std::string& id);
    void OnBoardPageTimer();
    const std::string& BoardCategory() const { return boardCategory_; }
    HtmlView* BoardView() const { return boardView_.get(); }
    BoardState& Board() override { return board_; }

    // Files, avatars, desktop pictures and information cards between users.
    // A command of the user menu about the named user.
    void OnUserCommand(int command, const std::string& name);
    // A sound file played at once, as an event would play it.
    void PlaySoundFile(const std::string& path);
    bool OfferFileTo(const std::string& name, const std::string& path);
    // A file let go over the user list but not over a name: a line says where it goes.
    void NoteDropBesideNames();
    bool TransferRunning() const;
    // A file or desktop transfer runs; an avatar fetch gives way to the user's transfer instead.
    bool UserTransferRunning() const;
    void CancelTransfer();
    void ShowOwnInfo();
    const TransferOrder* CurrentTransfer() const override;
    bool TransferAbortedByPeer(const std::string& peerId, const std::string& peerIp, const std::string& peerName) override;
    TransferAsks& Asks() override { return asks_; }
    OfferedFile& Offered() override { return offered_; }
    int TransferPort() const override;

    // The options editor (F11, the menus, the skin's button) and the changes it leaves.
    void OpenOptions();
    void ApplyOptionsChange();

    // Plug-ins.
    std::vector<PluginMenu> PluginMenus() const;
    // A notification a plug-in asked for (the window message the plug-ins may post).
    void ShowTipBubbleRequest(int kind, const std::string& title, const std::string& text);
    std::string FilterIncomingMessage(const std::string& sender, const std::string& text) override;
    void AnswerIncomingMessage(const std::string& sender, const std::string& text) override;

private:
    void ApplyOptionsFlag(const std::string& flag);
    void RereadProfile();
    std::shared_ptr<COptionsRunner> optionsRunner_;
    void LoadPlugins();
    void InitPlugins();
    void UnloadPlugins();
    void ShowBubble(const std::string& title, const std::string& text);
    void RunBubbleRequests();
    struct BubbleRequest {
        int kind;
        std::string title, text;
    };
    std::vector<BubbleRequest> bubbleRequests_;
    std::unique_ptr<PluginHost> plugins_;

    void ShowUserInfo(const std::string& userName, const std::string& card) override;
    bool StartTransfer(const TransferOrder& order) override;
    bool CaptureScreenToFile(const std::string& path, std::string* why) override;
    void OnTransferEnd(int command, const CmyFileTrans& transfer);
    // The line a transfer's failure shows; a broken connection's waits briefly in heldTransferLine_.
    void ShowTransferFailure(const CmyFileTrans& transfer);
    // Why no connection came, for a peer that is not on a network of this computer.
    std::string RouteHint(const std::string& peerIp) const;
    void ShowCancelledByPeer(const std::string& peerName);
    static constexpr int kPeerCancelWordMs = 1500;
    void ShowHeldTransferLine();
    struct HeldTransferLine {
        std::string peerId, peerIp;
        LineText text;
    };
    std::optional<HeldTransferLine> heldTransferLine_;
    std::shared_ptr<CmyFileTrans> transfer_;
    TransferAsks asks_;
    OfferedFile offered_;
    int snapshots_ = 0;

    // The rest of the session the handlers work on.
    void SetFloodLimit(int limit) override { flood_.SetLimitFromPeer(limit); }
    void Notify(NotifyEvent event, const std::string& userName, const std::string& caption,
                const std::string& text) override;
    void ShowLine(ChatLineKind kind, const std::string& sender, const LineText& text, ChatPage page) override;
    void AppendHistory(const LineText& text, bool isMain) override;
    void ArmUserListTimer(int ms) override;
    void OpenSecondPage() override;
    bool HasSecondPage() const override;
    bool CanAsk() const override;
    bool OpenPeerWindow(PeerWindows::Window window, const std::string& caption, const std::string& text) override;
    void AnswerPeerWindow(int number, bool yes);
    void CloseGivenWay(PeerWindows::Window window);
    // The registry's note of an open alert: its sender's name, a blank when none is open.
    void NoteOpenAlerts();
    // A user's name as the chat pages show it.
    std::string NameSpan(const std::string& name) const;
    std::string LineHtml(const LineText& text) const;
    // A line of the network start, which carries no time stamp.
    void ShowStartupLine(const std::string& text);
    void ShowAlertNotice(const std::string& text);
    PacketSender Sender() const;
    void OpenLink(const std::string& target);
    void ReplyTo(const char* keyword, const std::string& name);
    // A private message or alert begun for one user: what the input starts with, and to whom.
    struct AddressedDraft {
        std::string prefix, id, name;
        bool alert = false;
    };
    std::optional<AddressedDraft> draft_;
    void ComposeTo(const std::string& id, const std::string& name, bool alert);
    // Sends a line that still begins as composed to its user; nullopt when it is no such line.
    std::optional<bool> SendDraft(const std::string& input);

    bool CheckSettingsFile();
    void CheckProfileFile();
    void CheckWritableFolders();
    void Notice(const std::string& text, bool fatal);
    bool CheckNickname();
    std::vector<StartupNotice> notices_;
    bool SingleInstanceGuard();
    void ApplyAutostart();
    bool ReadParams();
    bool ApplyTheme();
    // The editor chose another theme: applied when it can be, else the one shown stays.
    void ChangeSkin();
    void RecreateMainViews() override;
    void PrepareSmilesList(const SkinStyles& styles) override;
    void PrepareMainText(const SkinStyles& styles) override;
    void PrepareUserList(const SkinStyles& styles) override;
    void StartLayoutTimer(const SkinMainElements& main) override;
    void ShowMainPage() override;
    SkinStyles styles_;
    void LayoutTimer();
    void StartupTimer();
    SystemNames Names() const;

    Platform p_;
    std::string programDir_;
    std::string settingsPath_ = kSettingsFile;
    std::string version_;
    DebugLog log_;
    GlobalSettings global_;
    LocalUser user_;
    LanguageTable language_;
    UserGroupSettings groups_;
    CSubstCodec codec_;
    CTransportList transports_;
    std::unique_ptr<ChatDocument> chat_;
    ChatLineListener lineListener_;
    // A line a handler or an outgoing form showed: another user's message counts as unread
    // while its page is out of view.
    void CountShownLine(ChatLineKind kind, const std::string& sender, const LineText& text, ChatPage page);
    void ShowEarlierLines();
    std::vector<HistoryEntry> earlier_;
    void CountUnread(PageMode page);
    void ClearUnread(PageMode page);
    void UnreadChanged();
    std::array<int, 3> unread_{};
    std::function<void()> unreadListener_;
    std::unique_ptr<HtmlView> userListView_;
    std::unique_ptr<HtmlView> boardView_;
    std::string boardCategory_;  // the tab picked on the board page; lives with the view
    bool boardStale_ = false;    // changed since the board page in front was built
    BoardState board_;
    SmileAliasTable smiles_;
    std::unique_ptr<HtmlView> smilesView_;
    SmilesWindowLife smilesLife_{false};
    void CarryOut(const SmilesWindowLife::Steps& steps);
    std::vector<std::string> profiles_;
    std::array<std::string, 10> inputHistory_{};
    int inputHistoryIndex_ = 9;
    FloodGuard flood_;
    PeerWindows peerWindows_;
    // Set while a typed line that the guard already counted is being sent.
    bool typedLineCounted_ = false;
    CUserRoster roster_;
    SenderState senders_;
    WaitingMessages waiting_;
    std::int64_t lastAddressCheck_ = -1;
    std::string loggedBadGateways_;  // each bad GATEWAYS text is logged once
    bool watchingNetwork_ = false;  // the platform tells us of address and link changes
    ConferenceGuard conference_;
    ChatHistory history_;
    std::unique_ptr<MulticastTransport> multicast_;
    std::unique_ptr<RelayTransport> relay_;
    bool relayEverUp_ = false;
    bool relayEverDown_ = false;
    struct GroupSend {
        std::string target;
        Command command;
        std::string body;
    };
    std::vector<GroupSend> groupQueue_;
    int userListRebuilds_ = 0;
    void SendNextGroupPacket();
    std::string ownIp_ = "0.0.0.0";
    std::string ownId_;
    WindowParams windowParams_;
    int skinMinWidth_ = 0, skinMinHeight_ = 0;
    bool ended_ = false;
    bool exited_ = false;
    bool laidOut_ = false;
    int dispatched_ = 0, lastCommand_ = 0;
    TrayFlasher trayFlasher_{p_.tray, p_.timers, p_.clock, kTrayFlashTimer};
    void ResetTrayTip();
};

}  // namespace zc
