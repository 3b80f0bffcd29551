#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ini_file.h"
#include "support/chat_fixture.h"

namespace zc::test {

struct Setting {
    const char *section, *key, *value;
};

// Writes the host's own settings into its fresh folder before its chat is made.
inline FakeLockBoard& PrepareHost(FakeLockBoard& board, const std::string& name, const std::vector<Setting>& extra) {
    WriteIniValue("profiles/default.cfg", "INFO", "CHATNAME", name);
    for (const Setting& s : extra) WriteIniValue("profiles/default.cfg", s.section, s.key, s.value);
    return board;
}

// One copy of the chat on a fake LAN, in a folder of its own.
struct Host {
    Host(FakeLan& lan, const std::string& name, const std::string& ip, const std::string& mac,
         const std::vector<Setting>& extra = {})
        : chat(PrepareHost(board, name, extra), "/tmp/zc-no-autostart", true, &lan, ip) {
        chat.system.ip = ip;
        chat.system.hardware = mac;
    }
    void Start() {
        EXPECT_TRUE(chat.Use().OnInitDialog());
        chat.timers.Advance(2000);
    }
    std::string Body() const { return chat.ChatView() ? chat.ChatView()->Body() : ""; }
    std::string Page(ViewRole role) const { return chat.views.Live(role) ? chat.views.Live(role)->Page() : ""; }
    CChatMainDlg& dlg() { return chat.Use(); }
    TempRoot root;
    FakeLockBoard board;
    FakeChat chat;
};

inline size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Alice, Bob and Carol, started one after another and known to each other.
struct ThreeHosts : ::testing::Test {
    FakeLan lan;
    Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    Host bob{lan, "Bob", "10.0.0.2", std::string("\x02\x00\x00\x00\x00\x02", 6)};
    Host carol{lan, "Carol", "10.0.0.3", std::string("\x02\x00\x00\x00\x00\x03", 6)};
    void SetUp() override {
        for (Host* h : {&alice, &bob, &carol}) {
            h->Start();
            lan.Pump();
        }
    }
};

}  // namespace zc::test
