#include <gtest/gtest.h>

#include "base/ini_file.h"
#include "support/chat_fixture.h"

namespace zc {
using namespace zc::test;

namespace {
struct RunningChat {
    explicit RunningChat(bool debugCommand) {
        if (debugCommand) WriteIniValue("system/zeltochat.ini", "GLOBAL", "DEBUGCOMMAND", "KV%&(");
        EXPECT_TRUE(chat.dlg->OnInitDialog());
        chat.dlg->UseTransport(&lan, CNetSettings{});
    }
    std::string Wire(const std::string& plain) const { return chat.dlg->Codec().EncodeText(plain); }
    FakeLockBoard board;
    FakeChat chat{board};
    RecordingTransport lan;
};
}  // namespace

TEST(PacketIo, ReceivedTextsAreCheckedBeforeDispatch) {
    TempRoot root;
    RunningChat run(false);
    CChatMainDlg& dlg = *run.chat.dlg;
    dlg.OnPacketText("");
    dlg.OnPacketText(" ");
    dlg.OnPacketText(run.Wire("1.2.3.4(ID)||Bob||||0.0||0||5||hi//end12"));
    EXPECT_EQ(dlg.DispatchedCount(), 0);
    dlg.OnPacketText(run.Wire("1.2.3.4(ID)||Bob||||0.0||0||5||hi//end"));
    dlg.OnPacketText(run.Wire("1.2.3.4(ID)||Bob||||0.0||0||6||hi//endABCD"));
    EXPECT_EQ(dlg.DispatchedCount(), 2);
    EXPECT_EQ(dlg.LastDispatchedCommand(), 6);
    EXPECT_EQ(run.chat.ChatView()->Body().find("SYSTEMDEBUG"), std::string::npos);
}

TEST(PacketIo, RawDisplayShowsMalformedPacketsToo) {
    TempRoot root;
    RunningChat run(true);
    run.chat.dlg->OnPacketText(run.Wire("no terminator at all"));
    const std::string body = run.chat.ChatView()->Body();
    EXPECT_NE(body.find("&lt;SYSTEMDEBUG&gt;</span>:&nbsp;<span class=\"sound\">no terminator at all</span><br>"),
              std::string::npos)
        << body;
    EXPECT_EQ(run.chat.dlg->DispatchedCount(), 0);
}

TEST(PacketIo, SendEncodesAppendsZeroAndReportsFailures) {
    TempRoot root;
    RunningChat run(false);
    CChatMainDlg& dlg = *run.chat.dlg;
    dlg.SetIdentity("10.0.0.1", "10001000");
    ASSERT_TRUE(dlg.SendPacket(CMD_PRIVATE, "1:hello", "0.0"));
    ASSERT_EQ(run.lan.Sent().size(), 1u);
    const std::string& bytes = run.lan.Sent()[0];
    EXPECT_EQ(bytes.back(), '\0');
    EXPECT_EQ(bytes.find('\0'), bytes.size() - 1);
    EXPECT_EQ(dlg.Codec().DecodeText(bytes.substr(0, bytes.size() - 1)).substr(0, 18), "10.0.0.1(10001000)");
    EXPECT_FALSE(dlg.SendPacket(CMD_PRIVATE, std::string(5000, 'x'), "0.0"));
    EXPECT_EQ(run.lan.Sent().size(), 1u);

    run.lan.failSends = true;
    EXPECT_FALSE(dlg.SendPacket(CMD_PRIVATE, "1:again", "0.0"));
    EXPECT_FALSE(dlg.Transports().IsActive());
    EXPECT_NE(run.chat.ChatView()->Body().find(dlg.Language().LangString(116)), std::string::npos);
}

TEST(PacketIo, EmptyTransportListSendsNothing) {
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat(board);
    ASSERT_TRUE(chat.dlg->OnInitDialog());
    EXPECT_FALSE(chat.dlg->SendPacket(CMD_WHO, "x", "0.0"));
}

}  // namespace zc
