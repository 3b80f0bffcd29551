#pragma once

namespace zc {

// Commands the window's buttons and menus send to the chat.
enum WindowCommand : int {
    ID_OPTIONS = 32780,
    ID_HISTORY_PRIVATE = 32781,  // this month's private messages and alerts
    ID_HISTORY_MAIN = 32782,     // this month's public chat
    ID_CLEARCHAT = 32783,
    // The tray menu.
    ID_TRAY_MODE_FIRST = 32786,  // the four chat modes, 32786..32789
    ID_TRAY_MODE_LAST = 32789,
    ID_EXIT = 32785,
    ID_ABOUT = 32791,
    ID_CHATMODE_MENU = 32792,
    ID_TRAY_WEB = 32821,
    ID_TRAY_SHOW = 32822,
    ID_TRAY_HIDE = 32823,
    ID_TRAY_MAIL = 32827,
    ID_REFRESH = 32805,
    ID_CLOSE = 32809,
    ID_MINIMIZE = 32810,
    ID_SMILES = 32813,
    ID_SHOW_MAIN = 32818,
    ID_SHOW_BOARD = 32819,
    ID_SHOW_CONFERENCE = 32820,
    ID_SOUNDTRIGGER = 32839,
    ID_PROFILE_MENU = 32840,
    ID_SHOW_OWN_INFO = 32826,
    // A transfer window reports its end.
    ID_TRANSFER_DESKTOP_RECEIVED = 32830,
    ID_TRANSFER_FILE_RECEIVED = 32832,
    ID_TRANSFER_ABORTED = 32833,
    ID_TRANSFER_FAILED = 32834,
    ID_TRANSFER_FILE_SENT = 32835,
    ID_ACCEPT_FILE = 32836,
};

// The user menu's commands about one picked user.
enum UserCommand : int {
    ID_USER_MESSAGE = 52797,
    ID_USER_ALERT = 52798,
    ID_USER_INVITE = 52799,
    ID_USER_SOUND_SIGNAL = 52800,
    ID_USER_IGNORE_NAME = 52803,  // captioned with the user's name
    ID_USER_IGNORE_IP = 52804,    // captioned with the user's address
    ID_USER_IGNORE = 52805,       // checked while the user is ignored
    ID_USER_REFRESH = 52806,
    ID_USER_SOUNDS = 52825,   // the user's own event sounds
    ID_USER_COLOURS = 52826,  // the user's name and message colours
    ID_USER_GROUP_FIRST = 52869,  // + the group's index
    ID_USER_GROUP_LAST = 52918,
    ID_USER_PROCLIST = 52801,
    ID_USER_SYSINFO = 52802,
    ID_USER_AVATAR = 52816,
    ID_USER_DESKTOP = 52830,
    ID_USER_SENDFILE = 52832,
    ID_USER_SHARES = 52778,  // the user's shared folders
    ID_USER_WEB = 52795,     // the user's web server
};

// The profile menu's items: one command per profile, in list order.
inline constexpr int kProfileCommandBase = 20000;
inline constexpr int kProfileCommandLast = 20010;

}  // namespace zc
