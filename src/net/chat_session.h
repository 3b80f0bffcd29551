#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "base/language.h"
#include "base/settings.h"
#include "net/chat_line.h"
#include "net/commands.h"
#include "net/notify_event.h"
#include "net/peer_windows.h"
#include "net/transfer_order.h"

namespace zc {

class ConferenceGuard;
class CUserRoster;
struct BoardState;
struct SenderState;
class TransferAsks;
class WaitingMessages;

// What packet handlers and the outgoing forms may use of the running chat. The chat itself
// implements it; handlers never see the window, the views or the platform behind it.
class ChatSession {
public:
    virtual ~ChatSession() = default;

    // Who we are and how we are set up.
    virtual const LocalUser& User() const = 0;
    virtual const GlobalSettings& Global() const = 0;
    virtual const LanguageTable& Language() const = 0;
    virtual const std::string& OwnIp() const = 0;
    virtual const std::string& OwnId() const = 0;
    virtual CUserRoster& Roster() = 0;
    virtual ConferenceGuard& Conference() = 0;
    // Who may speak for which identity, and what senders cost the log.
    virtual SenderState& Senders() = 0;
    // Calls SettleIdentityClaims after ms milliseconds.
    virtual void ArmIdentityTimer(int ms) = 0;
    // Re-initialises the network when the machine's address is no longer ours (a few times a
    // minute at most, whatever asks).
    virtual void CheckOwnAddress() = 0;
    // Wall-clock seconds, for the windows in which answers count.
    virtual std::int64_t NowSeconds() const = 0;
    // Monotonic milliseconds, for pacing answers and lines.
    virtual std::int64_t NowMs() const = 0;
    // Calls ReportHeldLines after ms milliseconds.
    virtual void ArmPacingTimer(int ms) = 0;
    // One line of the debug log.
    virtual void WriteLog(const std::string& line) const = 0;
    // "09.12.2026 10:15" for wall-clock seconds, in local time.
    virtual std::string DateTimeText(std::int64_t seconds) const = 0;
    // Messages kept for users who are away, and the users we could keep them for.
    virtual WaitingMessages& Waiting() = 0;
    // Calls SettleWaiting after ms milliseconds.
    virtual void ArmWaitingTimer(int ms) = 0;

    // Sending. False when nothing went out.
    virtual bool SendPacket(Command command, const std::string& body, const std::string& target) = 0;
    // False when the packet would not fit in one datagram.
    virtual bool PacketFits(Command command, const std::string& body, const std::string& target) const = 0;
    // Our mode as packets carry it: number ":" text.
    virtual std::string ModeBody() const = 0;
    // CMD_ACTIVE or CMD_INACTIVE, as the window is.
    virtual void AnnounceActivity() = 0;
    virtual void SendOwnBoardList(const std::string& target) = 0;
    virtual void SetFloodLimit(int limit) = 0;
    // False (and a line saying so) when the user sends too fast.
    virtual bool FloodGuardAllows() = 0;

    virtual bool IsIgnored(const std::string& ip) const = 0;
    // Whether our own packets coming back are shown (read when asked).
    virtual bool EchoOn() const = 0;

    // Showing and telling.
    virtual void Notify(NotifyEvent event, const std::string& userName, const std::string& caption,
                        const std::string& text) = 0;
    // The tray icon flashes FLASHICON seconds with the event's two pictures, the first given.
    virtual void FlashTray(int firstIcon) = 0;
    // A line under a sender's name (empty: none), with its time stamp.
    virtual void ShowLine(ChatLineKind kind, const std::string& sender, const LineText& text, ChatPage page) = 0;
    virtual void AppendHistory(const LineText& text, bool isMain) = 0;
    // Rewrites the user list after ms milliseconds.
    virtual void ArmUserListTimer(int ms) = 0;
    virtual void OpenSecondPage() = 0;
    // The second page is ready for conference lines.
    virtual bool HasSecondPage() const = 0;
    // The board's messages changed: the board page follows when it is in front.
    virtual void BoardChanged() = 0;
    // The board's files as last seen and the requests out to peers.
    virtual BoardState& Board() = 0;
    // Our information card with the system and memory items, as a request is answered.
    virtual std::string OwnInfoCard() const = 0;
    // A received card (the text after the request's leading text) in the information window.
    virtual void ShowUserInfo(const std::string& userName, const std::string& card) = 0;

    // Transfers of files, avatars and desktop pictures, one at a time.
    // The running transfer, or null.
    virtual const TransferOrder* CurrentTransfer() const = 0;
    // Shows the window and starts the worker; false (with a log line) when none can run here.
    virtual bool StartTransfer(const TransferOrder& order) = 0;
    // The other side of our transfer, or of the one that just broke, says it cancelled; the
    // line names it. False when it was no such side.
    virtual bool TransferAbortedByPeer(const std::string& peerId, const std::string& peerIp,
                                       const std::string& peerName) = 0;
    virtual TransferAsks& Asks() = 0;
    // The file we offered last; its name is empty when none is waiting.
    virtual OfferedFile& Offered() = 0;
    // The transfer port of the first transport; 0 when there is none.
    virtual int TransferPort() const = 0;
    // The whole screen as a bitmap file; false, with the reason, where no picture can be taken.
    virtual bool CaptureScreenToFile(const std::string& path, std::string* why) = 0;

    // The message filters of the plug-ins (before a public message is shown) and their answer
    // (after it is shown).
    virtual std::string FilterIncomingMessage(const std::string& sender, const std::string& text) = 0;
    virtual void AnswerIncomingMessage(const std::string& sender, const std::string& text) = 0;

    // Asking the user; the answer comes later through the callback. CanAsk is false where no
    // dialog can be shown (the terminal without a console, tests): callers take the quiet path.
    virtual bool CanAsk() const = 0;
    // A window a peer opens (an alert, a question), numbered so that the user can answer it by
    // its number. False, and nothing shown, when that peer already has one of this kind open
    // or its address holds its share. window.onAnswer runs once with the answer (an alert:
    // true when confirmed); a question that gives way to newer ones gets false.
    virtual bool OpenPeerWindow(PeerWindows::Window window, const std::string& caption, const std::string& text) = 0;
};

}  // namespace zc
