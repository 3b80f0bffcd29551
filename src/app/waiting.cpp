// Messages that wait for users who are away: where they are kept and when they are looked at.
#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "base/text_helpers.h"
#include "net/waiting_delivery.h"
#include "platform/clock.h"
#include "platform/timers.h"

namespace zc {

void CChatMainDlg::OpenWaiting() {
    // Beside the profile, one file per profile: "profiles/default.cfg" keeps "profiles/default.waiting".
    std::string path = user_.ProfilePath();
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".cfg") == 0) path.resize(path.size() - 4);
    waiting_.Open(path + ".waiting");
    const int days = ParseInt(ReadIniValue(user_.ProfilePath(), "WAITING", "DAYS"));
    waiting_.SetDays(days > 0 ? days : 7);
    log_.Write(":::Waiting messages: " + std::to_string(waiting_.All().size()));
    SettleWaiting(*this);
}

std::string CChatMainDlg::DateTimeText(std::int64_t seconds) const {
    return FormatTime("%d.%m.%Y %H:%M", p_.clock.LocalTime(static_cast<std::time_t>(seconds)));
}

void CChatMainDlg::ArmWaitingTimer(int ms) { p_.timers.SetTimer(kWaitingTimer, ms); }

}  // namespace zc
