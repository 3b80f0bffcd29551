#include "net/commands.h"

#include <array>
#include <cstddef>

namespace zc {
namespace {

constexpr bool kToUs = true, kToAll = false, kQuiet = true;

// One row per code, index = code - 1.
constexpr std::array<CommandInfo, kLastCommand> kCommands = {{
    {"CMD_HERE", kToAll},
    {"CMD_WHO", kToAll},
    {"CMD_EXIT", kToAll},
    {"CMD_ENTER", kToAll},
    {"CMD_PRIVATE", kToUs, kQuiet},
    {"CMD_MESSAGE", kToAll, kQuiet},
    {"CMD_CHANGEMODE", kToAll},
    {"CMD_ALERT", kToUs, kQuiet},
    {"CMD_ALERT_READ", kToUs},
    {"CMD_ALERT_EXISTS", kToUs},
    {"CMD_SOUND", kToUs},
    {"CMD_PROCLIST_REQUEST", kToUs},
    {"CMD_PROCLIST", kToUs},
    {"CMD_SYSINFO_REQUEST", kToUs},
    {"CMD_SYSINFO", kToUs},
    {"CMD_BOARD_MESSAGE", kToAll, kQuiet},
    {"CMD_BOARD_LIST", kToUs, kQuiet},
    {"CMD_INVCONFERENCE", kToUs, kQuiet},
    {"CMD_CONF_DECLINE", kToUs},
    {"CMD_CONF_ACCEPT", kToUs},
    {"CMD_CONFERENCE", kToUs},
    {"CMD_NOTICE_22", kToUs},
    {"CMD_LEAVECONFERENCE", kToAll},
    {"CMD_NOTICE", kToUs},
    {"CMD_ACTIVE", kToAll, kQuiet},
    {nullptr, kToAll},  // 26: unused
    {nullptr, kToAll},  // 27: unused
    {"CMD_FILE_OFFER", kToUs},
    {"CMD_AVATAR_REQUEST", kToAll},
    {"CMD_AVATAR_INFO", kToUs},
    {"CMD_BOARD_ITEM", kToUs, kQuiet},
    {"CMD_BOARD_REQUEST", kToUs, kQuiet},
    {"CMD_BOARD_DELETE", kToAll, kQuiet},
    {"CMD_INACTIVE", kToAll, kQuiet},
    {"CMD_CHANGENAME", kToAll},
    {"CMD_CONF_JOINED", kToUs},
    {"CMD_USERLIST", kToUs},
    {"CMD_AVATAR_SEND", kToUs},
    {"CMD_DESKTOP_REQUEST", kToUs},
    {"CMD_DESKTOP", kToUs},
    {"CMD_REFUSED", kToUs},
    {"CMD_FREQUEST", kToUs, kQuiet},
    {"CMD_FILE_ACCEPT", kToUs},
    {"CMD_FILE_ABORT", kToUs},
    {"CMD_FLOODLIMIT", kToAll},
}};

}  // namespace

CommandInfo InfoOf(int command) {
    if (command < kFirstCommand || command > kLastCommand) return {};
    return kCommands[static_cast<std::size_t>(command - 1)];
}

}  // namespace zc
