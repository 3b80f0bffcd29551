#include "base/settings.h"

#include <gtest/gtest.h>

#include "net/net_settings.h"
#include "support/temp_root.h"

namespace zc {
using test::TempRoot;

namespace {
void Global(const TempRoot& root, const std::string& lines) { root.Write("system/zeltochat.ini", "[GLOBAL]\r\n" + lines); }
const SystemNames kNames{"alice", "deskpc"};
}  // namespace

TEST(GlobalSettings, DefaultsLimitsAndExactCodes) {
    TempRoot root(false);
    Global(root, "PROFILE= \r\nREFRESHLIST=4\r\nFLASHICON=2\r\nAPPEAL=::\r\nECHO=T#(( \r\nDEBUGCOMMAND=KV%&(\r\n");
    GlobalSettings g = ReadGlobalSettings();
    EXPECT_EQ(g.profileName, "default");
    EXPECT_EQ(g.refreshList, 5);
    EXPECT_EQ(g.flashIcon, 10);
    EXPECT_EQ(g.appeal, ":");
    EXPECT_FALSE(g.echo);
    EXPECT_TRUE(g.debugCommand);
    EXPECT_FALSE(g.debugIp);
    EXPECT_EQ(g.languageName, "english");
    EXPECT_TRUE(g.showImages);

    Global(root, "PROFILE=work\r\nREFRESHLIST=121\r\nFLASHICON=120\r\nAPPEAL=;\r\nECHO=T#((\r\nDONOTSHOWIMAGE=1\r\n"
                 "SHOWTIME=1\r\nNOSMILESSTARTUP=-1\r\nALLOWMULTIAPP=1\r\nHK_MODE1=65\r\n");
    g = ReadGlobalSettings();
    EXPECT_EQ(g.profileName, "work");
    EXPECT_EQ(g.refreshList, 5);
    EXPECT_EQ(g.flashIcon, 120);
    EXPECT_EQ(g.appeal, ";");
    EXPECT_TRUE(g.echo);
    EXPECT_FALSE(g.showImages);
    EXPECT_TRUE(g.showTime);
    EXPECT_FALSE(g.noSmilesStartup);  // only values above zero switch it on
    EXPECT_FALSE(g.allowMultiApp);    // one character does not switch the guard off
    EXPECT_EQ(g.hotKeys.mode1, 65);
    EXPECT_EQ(g.hotKeys.mode2, 113);
    EXPECT_EQ(g.hotKeys.options, 122);
}

TEST(GlobalSettings, MissingFileTakesEveryDefault) {
    TempRoot root(false);
    GlobalSettings g = ReadGlobalSettings();
    EXPECT_EQ(g.profileName, "default");
    EXPECT_EQ(g.refreshList, 5);
    EXPECT_EQ(g.hotKeys.openSmilesList, 120);
    EXPECT_FALSE(g.autostart);
}

TEST(ProfileParams, DefaultsAndLimits) {
    TempRoot root(false);
    root.Write("profiles/p.cfg",
               "[GLOBAL]\r\nMODE=5\r\nTIMESTAMP= \r\nLIMITMAXMESSAGE=1001\r\nMAXAVATARSIZE=97\r\nBOARDMESSAGETIMELIFE=0\r\n"
               "LOOKMODE=0\r\nDONTSHOWACTIVEWND=-1\r\n[CHATMODE]\r\nCHATMODE2MSG=<b>\"Away\"</b>\r\n"
               "CHATMODE2PRIVATE_SND=1\r\nCHATMODE2PRIVATE_DLG=0\r\nCHATMODE1ALERT_INF=x\r\n");
    LocalUser u;
    ReadProfileParams("profiles/p.cfg", kNames, u);
    EXPECT_EQ(u.mode, 1);
    EXPECT_EQ(u.timeStampFormat, "[%H:%M:%S] ");
    EXPECT_EQ(u.lineLimit, 750);
    EXPECT_EQ(u.maxAvatarSize, 32);
    EXPECT_EQ(u.boardMessageLife, 30);
    EXPECT_FALSE(u.lookMode);
    EXPECT_FALSE(u.doNotShowActiveWindow);
    EXPECT_TRUE(u.doNotSortByName);
    EXPECT_EQ(u.nickname, "alice (deskpc)");
    EXPECT_EQ(u.avatarFile, "");  // the default picture is not in avatars/
    EXPECT_EQ(u.modes[1].text, "bAway/b");
    const size_t privateEvent = 10;
    EXPECT_TRUE(u.modes[1].events[privateEvent].sound);
    EXPECT_FALSE(u.modes[1].events[privateEvent].dialog);
    EXPECT_FALSE(u.modes[0].events[0].info);  // "x" parses as 0

    root.Write("profiles/p.cfg", "[GLOBAL]\r\nMAXAVATARSIZE=0\r\nLIMITMAXMESSAGE=1000\r\n[INFO]\r\nCHATNAME=Bob\r\n");
    root.Write("avatars/00000001.jpg", "jpg");
    ReadProfileParams("profiles/p.cfg", kNames, u);
    EXPECT_EQ(u.maxAvatarSize, 32);
    EXPECT_EQ(u.lineLimit, 1000);
    EXPECT_EQ(u.nickname, "Bob");
    EXPECT_EQ(u.avatarFile, "00000001.jpg");

    root.Write("profiles/p.cfg", "");
    ReadProfileParams("profiles/p.cfg", kNames, u);
    EXPECT_EQ(u.maxAvatarSize, 48);
}

TEST(ProfileParams, SystemNamesFallBackToAControlCharacter) {
    EXPECT_EQ(SystemNameOrFallback(""), std::string("n\x07", 2));
    EXPECT_EQ(SystemNameOrFallback(std::string(33, 'a')), std::string("n\x07", 2));
    EXPECT_EQ(SystemNameOrFallback("pc"), "pc");
}

TEST(NetSettings, PortsTtlAndName) {
    TempRoot root(false);
    root.Write("p.cfg", "[NETWORK]\r\nPORT=1024\r\nFTPORT=9010\r\nTTL=0\r\nNAME=x\r\nSERVER=10.0.0.1\r\n");
    CNetSettings n = ReadNetSettings("p.cfg");
    EXPECT_EQ(n.port, 9010);
    EXPECT_EQ(n.filePort, 9011);
    EXPECT_EQ(n.ttl, 8);
    EXPECT_EQ(n.name, "225.0.0.1");
    EXPECT_EQ(n.group, "225.0.0.1");
    EXPECT_EQ(n.interfaceAddr, "0.0.0.0");
    EXPECT_EQ(n.server, "");  // not read without the relay
    EXPECT_EQ(n.active, 1);

    root.Write("p.cfg", "[NETWORK]\r\nSERVERUSE=1\r\nPORT=65531\r\nFTPORT=70000\r\nSERVERPORT=80\r\nTTL=-3\r\nNAME=Office\r\n");
    n = ReadNetSettings("p.cfg");
    EXPECT_EQ(n.useServer, 1);
    EXPECT_EQ(n.port, 9010);
    EXPECT_EQ(n.filePort, 9011);
    EXPECT_EQ(n.serverPort, 9011);
    EXPECT_EQ(n.server, "127.0.0.1");
    EXPECT_EQ(n.ttl, 0);  // multicast only
    EXPECT_EQ(n.name, "Office");

    root.Write("p.cfg", "[NETWORK]\r\nPORT=20000\r\nFTPORT=20000\r\n");
    EXPECT_EQ(ReadNetSettings("p.cfg").filePort, 20001);

    // A TTL is one byte on the socket: more is clamped (and said), not wrapped to 44.
    root.Write("p.cfg", "[NETWORK]\r\nTTL=300\r\n");
    n = ReadNetSettings("p.cfg");
    EXPECT_EQ(n.ttl, 255);
    EXPECT_TRUE(n.ttlClamped);
    root.Write("p.cfg", "[NETWORK]\r\nTTL=255\r\n");
    EXPECT_FALSE(ReadNetSettings("p.cfg").ttlClamped);

    // Gateways: commas or blanks between, each host once, the rest set apart to be logged.
    root.Write("p.cfg", "[NETWORK]\r\nGATEWAYS=10.1.0.254, 010.1.0.253\t10.1.0.254,,bogus 224.0.0.1 127.0.0.1 10.1.0.2555\r\n");
    n = ReadNetSettings("p.cfg");
    EXPECT_EQ(n.gateways, (std::vector<std::string>{"10.1.0.254", "10.1.0.253"}));
    EXPECT_EQ(n.badGateways, (std::vector<std::string>{"bogus", "224.0.0.1", "127.0.0.1", "10.1.0.2555"}));
    root.Write("p.cfg", "[NETWORK]\r\nSERVERUSE=1\r\nGATEWAYS=10.1.0.254\r\n");
    EXPECT_TRUE(ReadNetSettings("p.cfg").gateways.empty());  // the relay is the only way in
}

TEST(WindowParams, LimitsOnReading) {
    TempRoot root(false);
    root.Write("system/main.ini", "[PARAM]\r\nT=5\r\nL=800\r\nB=300\r\nR=abc\r\n");
    WindowParams w = ReadWindowParams();
    EXPECT_EQ(w.top, 10);
    EXPECT_EQ(w.left, 10);
    EXPECT_EQ(w.bottom, 300);
    EXPECT_EQ(w.right, 0);
    root.Write("system/main.ini", "[PARAM]\r\nT=1024\r\nL=768\r\n");
    w = ReadWindowParams();
    EXPECT_EQ(w.top, 1024);
    EXPECT_EQ(w.left, 768);
    EXPECT_EQ(w.bottom, 600);
    EXPECT_EQ(w.right, 400);
}

TEST(SettingsWriters, ModeSoundProfileAndRectangle) {
    TempRoot root(false);
    root.Write("profiles/default.cfg", "[GLOBAL]\r\nSOUNDON=0\r\n");
    root.Write("profiles/work.cfg", "");
    root.Write("profiles/notes.txt", "");
    EXPECT_TRUE(ToggleSoundOn("profiles/default.cfg"));
    EXPECT_TRUE(ReadSoundOn("profiles/default.cfg"));
    EXPECT_FALSE(ToggleSoundOn("profiles/default.cfg"));
    ASSERT_TRUE(WriteMode("profiles/default.cfg", 3));
    LocalUser u;
    ReadProfileParams("profiles/default.cfg", kNames, u);
    EXPECT_EQ(u.mode, 3);
    EXPECT_EQ(ListProfiles(), (std::vector<std::string>{"default", "work"}));
    root.Write("system/zeltochat.ini", "[GLOBAL]\r\nLANGUAGE=english\r\n");
    ASSERT_TRUE(WriteProfileName("work"));
    EXPECT_EQ(ReadProfileName(), "work");
    ASSERT_TRUE(WriteWindowParams({20, 30, 640, 480}));
    EXPECT_EQ(root.Read("system/main.ini"), "[PARAM]\r\nT=20\r\nL=30\r\nB=640\r\nR=480\r\n");
}

TEST(UserGroups, NamesNeedTwoCharactersAndGroupsOn) {
    TempRoot root(false);
    root.Write("p.cfg", "[GROUPS]\r\nGROUPON=0\r\nGROUP0=Staff\r\n");
    EXPECT_TRUE(ReadUserGroups("p.cfg").names.empty());
    root.Write("p.cfg", "[GROUPS]\r\nGROUPON=1\r\nGROUP0=Staff\r\nGROUP1=x\r\nGROUP2=<i>Dev</i>\r\nGROUP49=Last\r\n");
    UserGroupSettings g = ReadUserGroups("p.cfg");
    EXPECT_TRUE(g.groupsOn);
    EXPECT_EQ(g.names, (std::vector<std::string>{"Staff", "iDev/i", "Last"}));
}

}  // namespace zc
