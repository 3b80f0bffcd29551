#include <gtest/gtest.h>

#include "net/commands.h"
#include "net/outgoing_forms.h"

namespace zc {

TEST(InputForm, KeywordsRecipientAndText) {
    InputForm f = ParseInputForm("MSG->Bob: see you at 10:30", true);
    EXPECT_EQ(f.keyword, InputKeyword::Msg);
    EXPECT_EQ(f.recipient, "Bob");
    EXPECT_EQ(f.text, " see you at 10:30");  // only the first ":" splits
    EXPECT_EQ(f.rest, "Bob: see you at 10:30");

    // Cleaned like any text for the pages: no tags, quotes escaped.
    f = ParseInputForm("ALERT->Eve:<b>\"down\"</b>", true);
    EXPECT_EQ(f.keyword, InputKeyword::Alert);
    EXPECT_EQ(f.text, "b&quot;down&quot;/b");

    f = ParseInputForm("ALERTGROUP->Team:now", true);
    EXPECT_EQ(f.keyword, InputKeyword::AlertGroup);
    EXPECT_EQ(f.recipient, "Team");
    EXPECT_EQ(ParseInputForm("MSGGROUP->Team:x", true).keyword, InputKeyword::MsgGroup);

    f = ParseInputForm("SOUND->Bob: Smith", true);
    EXPECT_EQ(f.keyword, InputKeyword::Sound);
    EXPECT_EQ(f.recipient, "Bob: Smith");  // the whole rest names the user

    f = ParseInputForm("MODE-> 3x", true);
    EXPECT_EQ(f.keyword, InputKeyword::Mode);
    EXPECT_EQ(f.rest, " 3x");

    EXPECT_TRUE(ParseInputForm("MSG->:nobody", true).recipient.empty());
}

TEST(InputForm, AnythingElseIsPlainText) {
    for (const char* typed : {"hello", "msg->Bob: lower case", "MSG - > Bob", "-> arrows", "NOTE->Bob:x", ""}) {
        const InputForm f = ParseInputForm(typed, true);
        EXPECT_EQ(f.keyword, InputKeyword::None) << typed;
        EXPECT_TRUE(f.recipient.empty()) << typed;
    }
}

TEST(CommandTable, EachRowSitsAtItsCode) {
#define ROW(c) {c, #c}
    const std::pair<Command, const char*> named[] = {
        ROW(CMD_HERE), ROW(CMD_WHO), ROW(CMD_EXIT), ROW(CMD_ENTER), ROW(CMD_PRIVATE), ROW(CMD_MESSAGE),
        ROW(CMD_CHANGEMODE), ROW(CMD_ALERT), ROW(CMD_ALERT_READ), ROW(CMD_ALERT_EXISTS), ROW(CMD_SOUND),
        ROW(CMD_PROCLIST_REQUEST), ROW(CMD_PROCLIST), ROW(CMD_SYSINFO_REQUEST), ROW(CMD_SYSINFO),
        ROW(CMD_BOARD_MESSAGE), ROW(CMD_BOARD_LIST), ROW(CMD_INVCONFERENCE), ROW(CMD_CONF_DECLINE),
        ROW(CMD_CONF_ACCEPT), ROW(CMD_CONFERENCE), ROW(CMD_NOTICE_22), ROW(CMD_LEAVECONFERENCE), ROW(CMD_NOTICE),
        ROW(CMD_ACTIVE), ROW(CMD_FILE_OFFER), ROW(CMD_AVATAR_REQUEST), ROW(CMD_AVATAR_INFO), ROW(CMD_BOARD_ITEM),
        ROW(CMD_BOARD_REQUEST), ROW(CMD_BOARD_DELETE), ROW(CMD_INACTIVE), ROW(CMD_CHANGENAME), ROW(CMD_CONF_JOINED),
        ROW(CMD_USERLIST), ROW(CMD_AVATAR_SEND), ROW(CMD_DESKTOP_REQUEST), ROW(CMD_DESKTOP), ROW(CMD_REFUSED),
        ROW(CMD_FREQUEST), ROW(CMD_FILE_ACCEPT), ROW(CMD_FILE_ABORT), ROW(CMD_FLOODLIMIT)};
#undef ROW
    for (const auto& [code, name] : named) EXPECT_STREQ(InfoOf(code).name, name);
    for (int unused : {0, 26, 27, 46, -1}) EXPECT_EQ(InfoOf(unused).name, nullptr) << unused;

    // Only what is meant for one copy is checked against our identity; the rest goes to all.
    for (Command toAll : {CMD_HERE, CMD_WHO, CMD_EXIT, CMD_ENTER, CMD_MESSAGE, CMD_CHANGEMODE, CMD_BOARD_MESSAGE,
                          CMD_LEAVECONFERENCE, CMD_ACTIVE, CMD_AVATAR_REQUEST, CMD_BOARD_DELETE, CMD_INACTIVE,
                          CMD_CHANGENAME, CMD_FLOODLIMIT})
        EXPECT_FALSE(InfoOf(toAll).addressed) << toAll;
    int addressed = 0;
    for (int code = kFirstCommand; code <= kLastCommand; ++code) addressed += InfoOf(code).addressed ? 1 : 0;
    EXPECT_EQ(addressed, 29);
}

}  // namespace zc
