#include "net/held_lines.h"

#include <algorithm>
#include <cstdint>

#include "net/chat_session.h"
#include "net/commands.h"
#include "net/sender_state.h"

namespace zc {
namespace {

void ArmReport(ChatSession& chat) {
    const std::int64_t delay = chat.Senders().lines.TimerDelay(chat.NowMs());
    if (delay > 0) chat.ArmPacingTimer(static_cast<int>(std::min<std::int64_t>(delay, LinePacer::kReportEveryMs)));
}

}  // namespace

bool ShowsPeerLine(int command) {
    switch (command) {
        case CMD_MESSAGE:
        case CMD_PRIVATE:
        case CMD_ALERT:
        case CMD_CONFERENCE:
        case CMD_SOUND:
        case CMD_ALERT_READ:
        case CMD_ALERT_EXISTS:
        case CMD_CONF_DECLINE:
        case CMD_NOTICE_22:
        case CMD_NOTICE:
        case CMD_REFUSED: return true;
        default: return false;
    }
}

bool LineAllowed(ChatSession& chat, const std::string& address, const std::string& name) {
    if (chat.Senders().lines.Allow(address, name, chat.NowMs())) return true;
    ArmReport(chat);
    return false;
}

void ReportHeldLines(ChatSession& chat) {
    for (const LinePacer::Report& r : chat.Senders().lines.TakeDue(chat.NowMs())) {
        const std::string count = WithThousands(r.held);
        const LineText line = LineText::Named("", r.name, ": " + chat.Language().Extra(ExtraText::LinesHeldBack, count));
        chat.ShowLine(ChatLineKind::Notify, "", line, ChatPage::Main);
        chat.AppendHistory(line, true);
        const std::string from = r.source.empty() ? "Many addresses" : r.source;  // past the cap they share one count
        chat.WriteLog(":::" + from + " sent lines faster than a person types: " + count + " held back");
    }
    ArmReport(chat);
}

std::string WithThousands(size_t count) {
    std::string digits = std::to_string(count), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace zc
