#pragma once
#include <string>
#include <vector>

namespace zc {

class LanguageTable;
struct LocalUser;

// One line of the tray menu as the window draws it: a command, a sub-menu (items not empty)
// or, with neither, a separator. Texts are windows-1251.
struct TrayMenuItem {
    int command = 0;
    std::string text;
    bool checked = false;
    std::vector<TrayMenuItem> items;
    bool IsSeparator() const { return command == 0 && items.empty(); }
};

// Built each time it opens: the hide or show item follows the window, the mode sub-menu marks
// the current mode.
std::vector<TrayMenuItem> TrayMenuItems(const LanguageTable& language, const LocalUser& user, bool windowVisible);

// Where the menu's support and web page items lead (reserved names until the product has its own).
inline constexpr char kSupportAddress[] = "support@zeltochat.example";
inline constexpr char kProductWebPage[] = "https://zeltochat.example/";
// A new e-mail to the support address, the program and its version as the subject.
std::string SupportMailLink(const std::string& version);
std::string AboutText(const std::string& version);

}  // namespace zc
