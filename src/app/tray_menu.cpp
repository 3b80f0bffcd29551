#include "app/tray_menu.h"

#include "base/language.h"
#include "base/settings.h"
#include "platform/window_commands.h"

namespace zc {

std::vector<TrayMenuItem> TrayMenuItems(const LanguageTable& language, const LocalUser& user, bool windowVisible) {
    auto item = [&language](int command, int text) { return TrayMenuItem{command, language.LangString(text), false, {}}; };
    const TrayMenuItem separator;
    TrayMenuItem modes{0, language.LangString(60), false, {}};
    for (int mode = 1; mode <= 4; ++mode)
        modes.items.push_back({ID_TRAY_MODE_FIRST + mode - 1, user.modes[static_cast<size_t>(mode - 1)].text,
                               mode == user.mode, {}});
    return {item(ID_OPTIONS, 35),
            separator,
            windowVisible ? item(ID_TRAY_HIDE, 9) : item(ID_TRAY_SHOW, 32),
            separator,
            item(ID_ABOUT, 33),
            item(ID_TRAY_MAIL, 97),
            item(ID_TRAY_WEB, 3),
            separator,
            item(ID_EXIT, 6),
            separator,
            modes};
}

std::string SupportMailLink(const std::string& version) {
    // The subject's blanks are escaped: the link goes to the desktop as an address.
    return std::string("mailto:") + kSupportAddress + "?subject=Zelto%20Chat%20v" + version;
}

std::string AboutText(const std::string& version) {
    return "Zelto Chat v" + version + "\nA chat for the local network.\n" + kProductWebPage;
}

}  // namespace zc
