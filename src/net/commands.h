#pragma once

namespace zc {

// The command codes of the wire protocol.
enum Command : int {
    CMD_HERE = 1,
    CMD_WHO = 2,
    CMD_EXIT = 3,
    CMD_ENTER = 4,
    CMD_PRIVATE = 5,
    CMD_MESSAGE = 6,
    CMD_CHANGEMODE = 7,
    CMD_ALERT = 8,
    CMD_ALERT_READ = 9,
    CMD_ALERT_EXISTS = 10,
    CMD_SOUND = 11,
    CMD_PROCLIST_REQUEST = 12,
    CMD_PROCLIST = 13,
    CMD_SYSINFO_REQUEST = 14,
    CMD_SYSINFO = 15,
    CMD_BOARD_MESSAGE = 16,
    CMD_BOARD_LIST = 17,
    CMD_INVCONFERENCE = 18,
    CMD_CONF_DECLINE = 19,
    CMD_CONF_ACCEPT = 20,
    CMD_CONFERENCE = 21,
    CMD_NOTICE_22 = 22,
    CMD_LEAVECONFERENCE = 23,
    CMD_NOTICE = 24,
    CMD_ACTIVE = 25,
    CMD_FILE_OFFER = 28,
    CMD_AVATAR_REQUEST = 29,
    CMD_AVATAR_INFO = 30,
    CMD_BOARD_ITEM = 31,
    CMD_BOARD_REQUEST = 32,
    CMD_BOARD_DELETE = 33,
    CMD_INACTIVE = 34,
    CMD_CHANGENAME = 35,
    CMD_CONF_JOINED = 36,
    CMD_USERLIST = 37,
    CMD_AVATAR_SEND = 38,
    CMD_DESKTOP_REQUEST = 39,
    CMD_DESKTOP = 40,
    CMD_REFUSED = 41,
    CMD_FREQUEST = 42,
    CMD_FILE_ACCEPT = 43,
    CMD_FILE_ABORT = 44,
    CMD_FLOODLIMIT = 45,
};

inline constexpr int kFirstCommand = CMD_HERE;
inline constexpr int kLastCommand = CMD_FLOODLIMIT;

struct CommandInfo {
    const char* name = nullptr;  // null for the codes no command uses
    bool addressed = false;      // handled only when the packet's target is this copy
    bool dropsIgnored = false;   // nothing is done for a sender on the ignore list
};

// What the protocol says about a code; a code outside 1..45 or unused gives the empty info.
CommandInfo InfoOf(int command);

}  // namespace zc
