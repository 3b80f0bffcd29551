// Files, avatars, desktop pictures and cards between hosts of a fake LAN, with the transfer
// connections and worker threads of the test fakes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <thread>

#include "base/ini_file.h"
#include "net/chat_packet.h"
#include "net/identity_owners.h"
#include "net/sender_state.h"
#include "net/transfer_asks.h"
#include "net/transfer_requests.h"
#include "platform/window_commands.h"
#include "services/transfer_stream.h"
#include "support/fake_transfer.h"
#include "support/lan_host.h"

namespace zc {
using namespace zc::test;

namespace {

// Runs the LAN and every host's worker reports until done() holds.
bool RunUntil(FakeLan& lan, std::initializer_list<Host*> hosts, const std::function<bool()>& done, int ms = 8000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        lan.Pump();
        for (Host* h : hosts) {
            h->dlg();
            h->chat.workers.RunPosted();
        }
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

bool Idle(std::initializer_list<Host*> hosts) {
    for (Host* h : hosts)
        if (h->dlg().TransferRunning()) return false;
    return true;
}

std::string Bytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return s;
}

// A packet as a peer with this address and identity would send it; source is where the
// datagram came from (empty: cannot tell).
void Send(Host& victim, const std::string& ip, const std::string& id, int command, const std::string& body,
          const std::string& name = "Mallory", const std::string& source = "", const std::string& avatar = "") {
    const std::string plain = ip + "(" + id + ")||" + name + "||" + avatar + "||" + victim.dlg().OwnId() + "||0||" +
                              std::to_string(command) + "||" + body + "//end";
    victim.dlg().OnPacketText(victim.dlg().Codec().EncodeText(plain), source);
}

// A stranger's transfer port: the next connection gets bytes, then is held open until the end.
struct StrangerPort {
    StrangerPort(FakeTransferSockets& sockets, std::string bytes)
        : server([this, &sockets, bytes = std::move(bytes)] {
              auto link = sockets.Accept(9012, done, nullptr);
              for (size_t at = 0; link && at < bytes.size();) {
                  const long n = link->Send(bytes.data() + at, bytes.size() - at);
                  if (n <= 0) break;
                  at += static_cast<size_t>(n);
              }
              while (link && !done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }) {}
    ~StrangerPort() {
        done = true;
        server.join();
    }
    std::atomic<bool> done{false};
    std::thread server;
};

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The log is found from the host's own folder.
std::string LogOf(Host& h) {
    h.dlg();
    return h.chat.LogText();
}

std::string FileIn(Host& h, const std::string& relative) { return ReadFileBytes(h.chat.home + "/" + relative); }

// Alice offers a file of hers to Bob, who says yes.
void OfferAndAccept(ThreeHosts& t, const std::string& name, const std::string& content) {
    const std::string path = t.alice.chat.home + "/" + name;
    WriteFileBytes(path, content);
    ASSERT_TRUE(t.alice.dlg().OfferFileTo("Bob", path));
    t.lan.Pump();
    ASSERT_EQ(t.bob.chat.dialogs.open.size(), 1u);
    t.bob.dlg();
    t.bob.chat.dialogs.Answer(true);
}

}  // namespace

TEST_F(ThreeHosts, AnAcceptedFileArrivesWholeAndNeverReplacesOneTheUserHas) {
    const std::string content = Bytes(5000);
    OfferAndAccept(*this, "notes.txt", content);
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/notes.txt").empty(); }));
    EXPECT_EQ(FileIn(bob, "download/notes.txt"), content);

    // Both windows showed the transfer and closed; 5000 bytes end at 4 of 4 KB.
    ASSERT_EQ(bob.chat.transferWindows.windows.size(), 1u);
    const auto& got = *bob.chat.transferWindows.windows[0];
    EXPECT_EQ(got.title, "Incoming: File");
    EXPECT_EQ(got.fileName, "notes.txt");
    EXPECT_EQ(got.progress, "4 / 4KB");
    EXPECT_TRUE(got.shown && got.hidden);
    EXPECT_EQ(alice.chat.transferWindows.windows.at(0)->title, "Outgoing: File");

    EXPECT_NE(bob.Body().find("File received: <a class=\"urllink\" href=\"file://" + bob.chat.home +
                              "/download/notes.txt\" target=_blank>notes.txt</a>"),
              std::string::npos);
    EXPECT_NE(alice.Body().find("File sent successfully"), std::string::npos);
    const std::string aliceLog = LogOf(alice), bobLog = LogOf(bob);
    EXPECT_NE(aliceLog.find("::: fileaccept notes.txt port 9012"), std::string::npos);
    EXPECT_NE(aliceLog.find(":::Send file notes.txt"), std::string::npos);
    EXPECT_NE(aliceLog.find(":::Upload file notes.txt from 10.0.0.2 success"), std::string::npos);
    EXPECT_NE(bobLog.find(":::Send file transfer accept to Alice MAC " + alice.dlg().OwnId()), std::string::npos);
    EXPECT_NE(bobLog.find(":::Get file notes.txt from 10.0.0.1"), std::string::npos);
    EXPECT_NE(bobLog.find(":::Download file notes.txt from 10.0.0.1 success"), std::string::npos);

    // The same name again lands beside the first file.
    OfferAndAccept(*this, "notes.txt", "second");
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/notes (1).txt").empty(); }));
    EXPECT_EQ(FileIn(bob, "download/notes (1).txt"), "second");
    EXPECT_EQ(FileIn(bob, "download/notes.txt"), content);

    // An acceptance is good for one sending: a repeated one starts nothing.
    Send(alice, "10.0.0.2", bob.dlg().OwnId(), CMD_FILE_ACCEPT, "notes.txt", "Bob");
    EXPECT_FALSE(alice.dlg().TransferRunning());
}

TEST_F(ThreeHosts, ACyrillicFileNameTravelsInTheCodePageAndLandsAsItWas) {
    const std::string utf8Name = "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt";  // "отчёт.txt"
    OfferAndAccept(*this, utf8Name, "report");
    EXPECT_NE(bob.Body().find("\xEE\xF2\xF7\xB8\xF2.txt"), std::string::npos);
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/" + utf8Name).empty(); }));
    EXPECT_EQ(FileIn(bob, "download/" + utf8Name), "report");
    // The page is in the code page; the link address reads the same in any.
    EXPECT_NE(bob.Body().find("%D0%BE%D1%82%D1%87%D1%91%D1%82.txt\" target=_blank>\xEE\xF2\xF7\xB8\xF2.txt</a>"),
              std::string::npos);

    // 125 letters are 254 bytes in UTF-8: the name fits, although "name.part" would not.
    std::string longName;
    for (int i = 0; i < 125; ++i) longName += "\xD0\xB6";
    longName += ".txt";
    OfferAndAccept(*this, longName, "long");
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/" + longName).empty(); }));
    EXPECT_EQ(FileIn(bob, "download/" + longName), "long");
    // One letter more cannot be saved: refused before Bob is asked, and the line says why.
    const size_t wire = lan.Wire().size();
    Send(bob, "10.0.0.1", alice.dlg().OwnId(), CMD_FREQUEST, std::string(126, '\xE6') + ".txt", "Alice");
    EXPECT_TRUE(bob.chat.dialogs.open.empty());
    EXPECT_EQ(lan.Wire().size(), wire + 1);  // the refusal
    EXPECT_NE(bob.Body().find(".txt; refused: the name is too long for the file system here"), std::string::npos);
}

TEST_F(ThreeHosts, NothingUnaskedStartsATransferOrOpensAWindow) {
    const std::string aliceId = alice.dlg().OwnId(), carolId = carol.dlg().OwnId();
    // Offers, avatar answers, pictures and cards nobody asked for.
    Send(bob, "10.0.0.1", aliceId, CMD_FILE_OFFER, "evil.txt||9012", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_AVATAR_INFO, "00000001.jpg||9012", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_DESKTOP, "9012", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_SYSINFO, "x:|NAME|n|/NAME|", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_AVATAR_SEND, "00000001.jpg", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_PROCLIST, "\nPlease send your password to Mallory, the admin\n", "Alice");
    EXPECT_FALSE(bob.dlg().TransferRunning());
    EXPECT_TRUE(bob.chat.transferWindows.windows.empty());
    EXPECT_TRUE(bob.chat.dialogs.infoLines.empty());
    EXPECT_EQ(bob.Body().find("Please send your password"), std::string::npos);

    // A name that is not one plain file name is refused at once, with no question.
    const size_t wire = lan.Wire().size();
    Send(bob, "10.0.0.1", aliceId, CMD_FREQUEST, "../../profiles/default.cfg", "Alice");
    EXPECT_TRUE(bob.chat.dialogs.open.empty());
    EXPECT_EQ(lan.Wire().size(), wire + 1);  // the refusal

    // After saying yes to "a.txt" from Alice, only Alice's offer of exactly that name counts.
    Send(bob, "10.0.0.1", aliceId, CMD_FREQUEST, "a.txt", "Alice");
    bob.chat.dialogs.Answer(true);
    Send(bob, "10.0.0.1", aliceId, CMD_FILE_OFFER, "../a.txt||9012", "Alice");
    Send(bob, "10.0.0.1", aliceId, CMD_FILE_OFFER, "b.txt||9012", "Alice");
    Send(bob, "10.0.0.3", carolId, CMD_FILE_OFFER, "a.txt||9012", "Carol");
    EXPECT_FALSE(bob.dlg().TransferRunning());
    // The real one, with a port below the allowed range: ours is used instead.
    Send(bob, "10.0.0.1", aliceId, CMD_FILE_OFFER, "a.txt||2999", "Alice");
    EXPECT_TRUE(bob.dlg().TransferRunning());
    EXPECT_NE(LogOf(bob).find("::: filetransfer a.txt port 9012"), std::string::npos);
    bob.dlg().CancelTransfer();
    ASSERT_TRUE(RunUntil(lan, {&bob}, [&] { return Idle({&bob}); }));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(bob.chat.home).parent_path() / "a.txt"));

    // An acceptance from somebody we offered nothing to sends nothing.
    WriteFileBytes(alice.chat.home + "/x.bin", "x");
    ASSERT_TRUE(alice.dlg().OfferFileTo("Bob", alice.chat.home + "/x.bin"));
    Send(alice, "10.0.0.3", carolId, CMD_FILE_ACCEPT, "x.bin", "Carol");
    EXPECT_FALSE(alice.dlg().TransferRunning());
}

TEST_F(ThreeHosts, NoConnectionWithinThreeSecondsIsAnAbortOnOneSideAndAFailureOnTheOther) {
    bob.chat.transferSockets->FailConnects(1000);
    // Alice and Bob share a network; to Bob, Alice is beyond his (behind a gateway, say).
    alice.chat.system.subnets = {{0x0A000001u, 0xFFFFFF00u}};
    bob.chat.system.subnets = {{0xC0A80505u, 0xFFFFFF00u}};
    OfferAndAccept(*this, "late.bin", Bytes(100));
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return !bob.dlg().TransferRunning() && alice.dlg().TransferRunning(); }));
    // One try and fifteen more, a second apart.
    EXPECT_EQ(bob.chat.transferSockets->ConnectAttempts(), 16);
    EXPECT_EQ(bob.chat.transferSockets->Pauses(), std::vector<int>(15, 1000));
    EXPECT_NE(bob.Body().find("File transfer failed (files go straight between the two computers, not through a "
                              "gateway or relay: they need a route to each other, 10.0.0.1)"),
              std::string::npos);
    EXPECT_NE(LogOf(bob).find("::: Transfer file failure"), std::string::npos);

    alice.dlg();
    alice.chat.timers.Advance(3000);
    EXPECT_NE(alice.Body().find("File transfer aborted: no connection within 3 s"), std::string::npos);
    EXPECT_EQ(alice.Body().find("files go straight"), std::string::npos);
    EXPECT_TRUE(alice.chat.transferWindows.windows.at(0)->hidden);
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}); }));
    EXPECT_NE(LogOf(alice).find(":::Transfer file aborted"), std::string::npos);
    // Reported once, although the worker ended after the wait.
    EXPECT_EQ(Count(alice.Body(), "File transfer aborted"), 1u);
}

TEST_F(ThreeHosts, CancellingOnTheReceivingSideTellsTheSender) {
    alice.chat.transferSockets->Net().pipeCapacity = 4096;
    OfferAndAccept(*this, "big.bin", Bytes(16 << 20));
    // Cancelled once bytes flow.
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] {
        return !bob.chat.transferWindows.windows.empty() && bob.chat.transferWindows.windows[0]->position > 0;
    }));
    // The bytes so far wait under the name with ".part".
    EXPECT_FALSE(std::filesystem::exists(bob.chat.home + "/download/big.bin"));
    EXPECT_TRUE(std::filesystem::exists(bob.chat.home + "/download/big.bin.part"));
    bob.chat.transferWindows.windows.at(0)->onCancel();
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}); }));
    lan.Pump();
    alice.chat.timers.Advance(2000);
    EXPECT_EQ(Count(bob.Body(), "File transfer aborted"), 1u);
    EXPECT_NE(LogOf(bob).find(":::Transfer file aborted"), std::string::npos);
    // Nothing of it is kept, under either name.
    EXPECT_FALSE(std::filesystem::exists(bob.chat.home + "/download/big.bin"));
    EXPECT_FALSE(std::filesystem::exists(bob.chat.home + "/download/big.bin.part"));
    // The sender's connection broke, but the one line it shows says who cancelled.
    EXPECT_EQ(Count(alice.Body(), "File transfer aborted: cancelled by "), 1u);
    EXPECT_EQ(alice.Body().find("File transfer failed"), std::string::npos);

    // A connection that breaks part way (the sender's file shrank): Bob's line tells how far it got.
    const std::string path = alice.chat.home + "/cut.bin";
    WriteFileBytes(path, Bytes(8 << 20));
    ASSERT_TRUE(alice.dlg().OfferFileTo("Bob", path));
    lan.Pump();
    bob.chat.dialogs.Answer(true);
    bool cut = false;
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] {
        if (!cut && alice.chat.transferWindows.windows.at(1)->position > 0) {
            std::filesystem::resize_file(path, 1 << 20);
            cut = true;
        }
        return cut && Idle({&alice, &bob});
    }));
    EXPECT_EQ(bob.Body().find("connection lost"), std::string::npos);  // held a moment for a cancel
    bob.chat.timers.Advance(1500);
    const size_t lost = bob.Body().find("File transfer failed: connection lost after ");
    ASSERT_NE(lost, std::string::npos);
    EXPECT_NE(bob.Body().find(" of 8 MB", lost), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(bob.chat.home + "/download/cut.bin"));
    EXPECT_FALSE(std::filesystem::exists(bob.chat.home + "/download/cut.bin.part"));
    EXPECT_NE(alice.Body().find("File transfer failed"), std::string::npos);
}

TEST_F(ThreeHosts, ACardAskedForOpensTheInformationWindowWithItsLabels) {
    ASSERT_TRUE(RequestUserInfo(alice.dlg(), "Bob"));
    lan.Pump();
    EXPECT_NE(alice.Body().find("Received information about"), std::string::npos);
    EXPECT_EQ(alice.chat.dialogs.infoCaption, "User information: Bob");
    ASSERT_EQ(alice.chat.dialogs.infoLines.size(), 15u);
    EXPECT_EQ(alice.chat.dialogs.infoLines[0].first, "Full name");
    EXPECT_EQ(alice.chat.dialogs.infoLines[9], (std::pair<std::string, std::string>{"IP", "10.0.0.2"}));
    EXPECT_EQ(alice.chat.dialogs.infoLines[4].second.rfind("Zelto Chat ", 0), 0u);
    // The answer counted once: the same card again opens nothing.
    alice.chat.dialogs.infoLines.clear();
    Send(alice, "10.0.0.2", bob.dlg().OwnId(), CMD_SYSINFO, "Bob:|NAME|x|/NAME|", "Bob");
    EXPECT_TRUE(alice.chat.dialogs.infoLines.empty());
    // Our own card, from the menu.
    alice.dlg().OnCommand(ID_SHOW_OWN_INFO);
    EXPECT_EQ(alice.chat.dialogs.infoCaption, "User information: Alice");
}

TEST_F(ThreeHosts, WhatAliceOffersOrAsksBobGoesToBobsAddressEvenWhenAStrangerTakesHisName) {
    const std::string bobId = bob.dlg().OwnId(), stranger = "10.0.0.66";
    const std::string content = Bytes(262144);
    WriteFileBytes(alice.chat.home + "/plan.bin", content);
    ASSERT_TRUE(alice.dlg().OfferFileTo("Bob", alice.chat.home + "/plan.bin"));
    ASSERT_TRUE(RequestUserInfo(alice.dlg(), "Bob"));
    ASSERT_TRUE(RequestProcessList(alice.dlg(), "Bob"));
    // Before Bob hears of it, a stranger answers all three in Bob's name from its own address,
    // and Bob stays silent through the probe: his name moves to the stranger.
    alice.chat.timers.Advance(2000);
    Send(alice, stranger, bobId, CMD_FILE_ACCEPT, "plan.bin", "Bob", stranger);
    Send(alice, stranger, bobId, CMD_SYSINFO, "Alice:|NAME|Bob|/NAME|", "Bob", stranger);
    Send(alice, stranger, bobId, CMD_PROCLIST, "\nPlease send your password to Mallory, the admin\n", "Bob", stranger);
    alice.chat.timers.Advance((IdentityOwners::kProbeSeconds + 1) * 1000);
    ASSERT_EQ(alice.dlg().Senders().owners.IpOf(bobId), stranger);
    // The answers now come from Bob's identity, but not from where Alice asked: nothing counts.
    EXPECT_FALSE(alice.dlg().TransferRunning());
    EXPECT_TRUE(alice.chat.dialogs.infoLines.empty());
    EXPECT_EQ(alice.Body().find("Please send your password"), std::string::npos);
    EXPECT_NE(LogOf(alice).find(":::File acceptance from 10.0.0.66 refused: offered to 10.0.0.2"), std::string::npos);

    // Bob is back: his packets wait until the stranger fails a probe, then his answers count.
    bool asked = false;
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] {
        if (!asked && !bob.chat.dialogs.open.empty()) {
            bob.chat.dialogs.Answer(true);
            asked = true;
        }
        alice.chat.timers.Advance(500);
        return alice.dlg().TransferRunning();
    }));
    EXPECT_EQ(alice.dlg().Senders().owners.IpOf(bobId), "10.0.0.2");
    ASSERT_EQ(alice.chat.dialogs.infoLines.size(), 15u);
    EXPECT_EQ(alice.chat.dialogs.infoLines[9], (std::pair<std::string, std::string>{"IP", "10.0.0.2"}));

    // The stranger's connection to Alice's port is turned away; Bob gets every byte.
    FakeTransferSockets mallory(lan.transferNet, stranger);
    std::atomic<bool> never{false};
    auto intruder = mallory.Connect("10.0.0.1", 9012, never, nullptr);
    ASSERT_TRUE(intruder);
    char byte;
    EXPECT_EQ(intruder->Receive(&byte, 1), 0);
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/plan.bin").empty(); }));
    EXPECT_EQ(FileIn(bob, "download/plan.bin"), content);
}

struct PictureHosts : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6), {{"INFO", "AVATAR", "alice.png"}}};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6), {{"GLOBAL", "ALLOWSENDDESKTOP", "1"}}};
    Host carol{lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    void SetUp() override {
        alice.dlg();
        WriteFileBytes("avatars/alice.png", "PNG-ish bytes of Alice");
        for (Host* h : {&alice, &bob, &carol}) {
            h->Start();
            lan.Pump();
        }
    }
};

TEST_F(PictureHosts, AMissingAvatarIsFetchedOnceFromItsOwner) {
    bob.dlg().RebuildUserList();
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "avatars/alice.png").empty(); }));
    EXPECT_EQ(FileIn(bob, "avatars/alice.png"), "PNG-ish bytes of Alice");
    EXPECT_NE(LogOf(alice).find(":::Send avatar"), std::string::npos);
    EXPECT_NE(LogOf(bob).find(":::Get avatar from Alice"), std::string::npos);
    // Asked once a session, even when the file goes missing again.
    std::filesystem::remove(bob.chat.home + "/avatars/alice.png");
    bob.dlg().RebuildUserList();
    RunUntil(lan, {&alice, &bob}, [] { return false; }, 200);
    EXPECT_EQ(Count(LogOf(bob), ":::Get avatar from Alice"), 1u);
}

TEST_F(PictureHosts, AStrangersAvatarIsSmallQuickAndNeverInTheWayOfAUsersFile) {
    const std::string ip = "10.0.0.66", id = "0200000000AA";
    FakeTransferSockets mallory(lan.transferNet, ip);
    WriteFileBytes(bob.chat.home + "/avatars/alice.png", "Alice, fetched before");
    WriteFileBytes(bob.chat.home + "/avatars/00000001.jpg", "the default picture");
    Send(bob, ip, id, CMD_HERE, "1:Available", "Mallory", ip, "m.png");
    const auto answer = [&] { Send(bob, ip, id, CMD_AVATAR_INFO, "m.png||9012", "Mallory", ip); };
    // Nothing of the stranger's is ever kept, not even a temporary file.
    const auto keptInAvatars = [&] {
        return std::distance(std::filesystem::directory_iterator(bob.chat.home + "/avatars"), {});
    };
    const auto before = keptInAvatars();

    // Fetched by itself; the stranger promises 4 GiB and sends fast: refused at once, nothing kept.
    const auto asking = [&] { return bob.dlg().Asks().Waiting(TransferAsks::Kind::Avatar, bob.dlg().NowSeconds()); };
    {
        StrangerPort port(mallory, EncodeTransferHeader(0xFFFFFFFFu) + Bytes(32768));
        bob.dlg().RebuildUserList();
        ASSERT_TRUE(asking());
        answer();
        ASSERT_TRUE(RunUntil(lan, {&bob}, [&] { return Count(LogOf(bob), ":::Avatar transfer with 10.0.0.66 ended") == 1; }));
    }
    EXPECT_NE(LogOf(bob).find("ended: refused 4294967295 bytes, at most 1048576"), std::string::npos);
    EXPECT_EQ(keptInAvatars(), before);
    EXPECT_FALSE(bob.dlg().TransferRunning());
    EXPECT_EQ(bob.Body().find("File transfer"), std::string::npos);  // a background fetch ends quietly
    // Asked again later, not at once.
    bob.dlg().RebuildUserList();
    EXPECT_FALSE(asking());
    bob.chat.clock.AdvanceMs(TransferAsks::kAvatarRetrySeconds * 1000);
    bob.dlg().RebuildUserList();
    EXPECT_TRUE(asking());

    // One byte, then nothing: the fetch ends at 30 s and frees the slot.
    const auto trickling = [&] {
        answer();
        const size_t windows = bob.chat.transferWindows.windows.size();
        return RunUntil(lan, {&bob}, [&] { return bob.chat.transferWindows.windows.at(windows - 1)->range == 1; });
    };
    {
        StrangerPort port(mallory, EncodeTransferHeader(1000) + "x");
        ASSERT_TRUE(trickling());
        bob.chat.timers.Advance(kAvatarMaxMs - 1000);
        EXPECT_TRUE(bob.dlg().TransferRunning());
        bob.chat.timers.Advance(1000);
        ASSERT_TRUE(RunUntil(lan, {&bob}, [&] { return Idle({&bob}); }));
    }
    EXPECT_NE(LogOf(bob).find(":::Avatar transfer with 10.0.0.66 ended: took longer than 30 s"), std::string::npos);
    EXPECT_EQ(keptInAvatars(), before);

    // Trickling again while Alice sends Bob a file: the avatar gives way and the file comes.
    {
        StrangerPort port(mallory, EncodeTransferHeader(1000) + "x");
        ASSERT_TRUE(RequestAvatar(bob.dlg(), "Mallory"));
        ASSERT_TRUE(trickling());
        WriteFileBytes(alice.chat.home + "/minutes.txt", "the minutes");
        ASSERT_TRUE(alice.dlg().OfferFileTo("Bob", alice.chat.home + "/minutes.txt"));
        lan.Pump();
        ASSERT_EQ(bob.chat.dialogs.open.size(), 1u);
        bob.chat.dialogs.Answer(true);
        ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && !FileIn(bob, "download/minutes.txt").empty(); }));
    }
    EXPECT_EQ(FileIn(bob, "download/minutes.txt"), "the minutes");
    EXPECT_NE(LogOf(bob).find(":::Avatar transfer with 10.0.0.66 stopped for a user's transfer"), std::string::npos);
    EXPECT_EQ(keptInAvatars(), before);
}

TEST_F(PictureHosts, ADesktopPictureComesOnlyWhereAllowedAndShowsInline) {
    ASSERT_TRUE(RequestDesktop(alice.dlg(), "Bob"));
    ASSERT_TRUE(RunUntil(lan, {&alice, &bob}, [&] { return Idle({&alice, &bob}) && alice.Body().find("<img") != std::string::npos; }));
    const std::string bmp = FileIn(alice, "download/remotedesktop.bmp");
    EXPECT_EQ(bmp, FileIn(bob, "download/mydesktop.bmp"));
    EXPECT_EQ(bmp.size(), 54u + 3 * 16);  // 5 x 3 pixels, rows padded to 16 bytes
    EXPECT_NE(alice.Body().find("Desktop snapshot <img class=\"image\" src=\"file://" + alice.chat.home +
                                "/download/remotedesktop.bmp?1\""),
              std::string::npos);
    EXPECT_NE(LogOf(bob).find(":::Send desktop to Alice MAC " + alice.dlg().OwnId()), std::string::npos);
    EXPECT_NE(LogOf(alice).find(":::Download desktop from Bob success"), std::string::npos);

    // Carol does not allow it; Bob's screen cannot be taken any more: both refuse, and say so.
    ASSERT_TRUE(RequestDesktop(alice.dlg(), "Carol"));
    lan.Pump();
    bob.chat.screen.available = false;
    ASSERT_TRUE(RequestDesktop(alice.dlg(), "Bob"));
    lan.Pump();
    EXPECT_EQ(Count(alice.Body(), "Request refused by"), 2u);
    EXPECT_NE(LogOf(bob).find(":::Desktop snapshot refused: no screen"), std::string::npos);
    EXPECT_EQ(carol.chat.screen.captures, 0);
    // Bob was told once, for the one picture that left his machine.
    EXPECT_EQ(Count(bob.Body(), "Desktop snapshot sent to"), 1u);
}

}  // namespace zc
