// The user menu's items by their command numbers and blocks, its ignore items, and the
// per-user sound and colour dialogs it opens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>

#include "base/cp1251.h"
#include "base/ini_file.h"
#include "gui/chat_main_window.h"
#include "gui/user_override_dialogs.h"
#include "gui/waiting_window.h"
#include "services/waiting_messages.h"
#include "net/user_roster.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"
#include "support/temp_root.h"

namespace zc {
namespace {

constexpr int kSeparator = 0;
constexpr int kSubMenu = -1;  // followed by its items

// The menu's items as command numbers, separators as kSeparator; a sub-menu is kSubMenu and
// then its items' numbers.
std::vector<int> Numbers(const QMenu& menu) {
    std::vector<int> out;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator()) {
            out.push_back(kSeparator);
        } else if (a->menu()) {
            out.push_back(kSubMenu);
            for (QAction* sub : a->menu()->actions()) out.push_back(sub->data().toInt());
        } else {
            out.push_back(a->data().toInt());
        }
    }
    return out;
}

// Runs show(), which opens the menu and waits; looks at the menu, then triggers the item with
// the command number pick (0: none, the menu is dismissed).
void RunMenu(const std::function<void()>& show, const std::function<void(QMenu&)>& look, int pick = 0) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        poll.stop();
        look(*menu);
        QAction* chosen = nullptr;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->data().toInt() == pick && pick != 0) chosen = a;
        menu->close();
        if (chosen) chosen->trigger();
    });
    poll.start(20);
    show();
}

// Runs show(), which opens a modal dialog; work gets the dialog, which is closed after it.
template <class Dialog>
bool RunDialog(const std::function<void()>& show, const std::function<void(Dialog&)>& work) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        seen = true;
        work(*dialog);
        dialog->accept();
    });
    poll.start(20);
    show();
    return seen;
}

QString Q(const std::string& cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

struct UserMenu : test::ThreeHosts {
    void SetUp() override {
        ThreeHosts::SetUp();
        window.AttachChat(&alice.dlg());
        bobId = alice.dlg().Roster().IdOfName("Bob");
    }
    void TearDown() override { window.AttachChat(nullptr); }
    QString Lang(int n) { return Q(alice.dlg().Language().LangString(n)); }
    std::string Profile() { return alice.dlg().ProgramDir() + alice.dlg().User().ProfilePath(); }
    // The menu's numbers, dismissed without a choice.
    std::vector<int> Shown() {
        std::vector<int> numbers;
        RunMenu([&] { window.ShowUserMenu(bobId); }, [&](QMenu& m) { numbers = Numbers(m); });
        return numbers;
    }
    QAction* Item(QMenu& menu, int command) {
        for (QAction* a : menu.actions())
            if (!a->isSeparator() && a->data().toInt() == command) return a;
        return nullptr;
    }
    ChatMainWindow window;
    std::string bobId;
};

// Alice (with settings of her own) and one other user, started; Alice's chat in a real window.
struct AliceAndPeer {
    AliceAndPeer(const std::string& peer, char last, const std::vector<test::Setting>& aliceSettings = {})
        : alice(lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6), aliceSettings),
          other(lan, peer, std::string("10.0.0.") + last, std::string("\x02\x00\x00\x00\x00", 5) + char(last - '0')) {
        for (test::Host* h : {&alice, &other}) {
            h->Start();
            lan.Pump();
        }
        window.AttachChat(&alice.dlg());
    }
    ~AliceAndPeer() { window.AttachChat(nullptr); }
    test::FakeLan lan;
    test::Host alice, other;
    ChatMainWindow window;
};

}  // namespace

// Messages and signals, the invitation, the user's settings and requests, transfers, the
// user's machine, the ignore list, the refresh, each block apart; the plug-ins come last.
TEST_F(UserMenu, BlocksAndCommandNumbersInOrder) {
    const std::vector<int> full{ID_USER_MESSAGE,  ID_USER_ALERT,    ID_USER_SOUND_SIGNAL, kSeparator,
                                ID_USER_INVITE,   kSeparator,       ID_USER_SOUNDS,       ID_USER_COLOURS,
                                ID_USER_PROCLIST, ID_USER_SYSINFO,  kSeparator,           ID_USER_AVATAR,
                                ID_USER_DESKTOP,  ID_USER_SENDFILE, kSeparator,           ID_USER_SHARES,
                                ID_USER_WEB,      kSeparator,       ID_USER_IGNORE,       ID_USER_IGNORE_NAME,
                                ID_USER_IGNORE_IP, kSeparator,      ID_USER_REFRESH,      kSeparator,
                                kSubMenu};
    EXPECT_EQ(Shown(), full);
    // A member is not invited: the block goes with its separator.
    alice.dlg().Roster().AddMember(bobId);
    std::vector<int> member = full;
    member.erase(member.begin() + 3, member.begin() + 5);
    EXPECT_EQ(Shown(), member);

    QString ignoreName, ignoreIp, sounds, colours;
    RunMenu([&] { window.ShowUserMenu(bobId); }, [&](QMenu& m) {
        ignoreName = Item(m, ID_USER_IGNORE_NAME)->text();
        ignoreIp = Item(m, ID_USER_IGNORE_IP)->text();
        sounds = Item(m, ID_USER_SOUNDS)->text();
        colours = Item(m, ID_USER_COLOURS)->text();
    });
    EXPECT_EQ(ignoreName, Lang(10) + " Bob");
    EXPECT_EQ(ignoreIp, Lang(10) + " 10.0.0.2");
    EXPECT_EQ(sounds, Lang(77));
    EXPECT_EQ(colours, "Personal colours");
}

TEST(UserMenuGroups, GroupItemsAreNumberedFromTheFirstGroup) {
    AliceAndPeer hosts("Bob", '2',
                       {{"GROUPS", "GROUPON", "1"}, {"GROUPS", "GROUP0", "Friends"}, {"GROUPS", "GROUP1", "Office"}});
    const std::string bobId = hosts.alice.dlg().Roster().IdOfName("Bob");
    std::vector<int> numbers;
    RunMenu([&] { hosts.window.ShowUserMenu(bobId); }, [&](QMenu& m) { numbers = Numbers(m); });
    const std::vector<int> groups{kSeparator, kSubMenu, ID_USER_GROUP_FIRST, ID_USER_GROUP_FIRST + 1, kSeparator,
                                  ID_USER_SOUNDS};
    EXPECT_NE(std::search(numbers.begin(), numbers.end(), groups.begin(), groups.end()), numbers.end());
}

// The toggle shows the state, checked while Bob is ignored; every item changes it.
TEST_F(UserMenu, IgnoreItemsShowAndChangeTheState) {
    auto toggle = [&](int pick) {
        std::pair<QString, bool> shown;
        RunMenu([&] { window.ShowUserMenu(bobId); },
                [&](QMenu& m) { shown = {Item(m, ID_USER_IGNORE)->text(), Item(m, ID_USER_IGNORE)->isChecked()}; },
                pick);
        return shown;
    };
    auto listed = [&] { return !ReadIniValue(Profile(), "IGNORELIST", "10002").empty(); };
    const std::pair<QString, bool> off{Lang(50) + " " + Lang(53), false}, on{Lang(51) + " " + Lang(53), true};
    EXPECT_EQ(toggle(ID_USER_IGNORE), off);
    EXPECT_TRUE(listed());
    EXPECT_EQ(toggle(ID_USER_IGNORE_NAME), on);
    EXPECT_FALSE(listed());
    EXPECT_EQ(toggle(ID_USER_IGNORE_IP), off);
    EXPECT_TRUE(listed());
    EXPECT_EQ(toggle(0), on);  // dismissed: nothing changes
    EXPECT_TRUE(listed());
}

// The sound item opens Bob's list; a file of sound/ is stored for the chosen event, one from
// elsewhere is refused, X removes it and Play plays it from sound/.
TEST_F(UserMenu, SoundDialogEditsBobsEntries) {
    const std::string root = alice.dlg().ProgramDir();
    std::ofstream(root + "sound/bell.wav") << "RIFF";
    std::ofstream(root + "bell2.wav") << "RIFF";
    const std::string before = test::ReadFileBytes(Profile());
    bool opened = RunDialog<COverrideSound>(
        [&] { RunMenu([&] { window.ShowUserMenu(bobId); }, [](QMenu&) {}, ID_USER_SOUNDS); },
        [&](COverrideSound& d) {
            EXPECT_EQ(d.windowTitle(), Lang(77) + " : Bob");
            QTreeWidget* list = d.List();
            ASSERT_EQ(list->topLevelItemCount(), kUserSoundEvents);
            EXPECT_EQ(list->headerItem()->text(0), Lang(81));
            EXPECT_EQ(list->headerItem()->text(1), Lang(80));
            EXPECT_EQ(list->topLevelItem(12)->text(0), "Private message");
            list->setCurrentItem(list->topLevelItem(12));
            EXPECT_FALSE(d.UseFile(QString::fromStdString(root + "bell2.wav")));
            EXPECT_FALSE(d.Remark().isEmpty());
            EXPECT_FALSE(d.UseFile(QString::fromStdString(root + "sound/missing.wav")));
            EXPECT_EQ(test::ReadFileBytes(Profile()), before);
            EXPECT_TRUE(d.UseFile(QString::fromStdString(root + "sound/bell.wav")));
            EXPECT_TRUE(d.Remark().isEmpty());
            EXPECT_EQ(list->topLevelItem(12)->text(1), "bell.wav");
            d.PlaySelected();
        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(ReadIniValue(Profile(), "OVERRIDE", "Bob_SND_12"), "bell.wav");
    ASSERT_FALSE(alice.chat.shell.sounds.empty());
    EXPECT_EQ(alice.chat.shell.sounds.back(), root + "sound/bell.wav");

    // Opened again it shows what is stored; X takes it away.
    opened = RunDialog<COverrideSound>(
        [&] { RunMenu([&] { window.ShowUserMenu(bobId); }, [](QMenu&) {}, ID_USER_SOUNDS); },
        [&](COverrideSound& d) {
            EXPECT_EQ(d.List()->topLevelItem(12)->text(1), "bell.wav");
            d.List()->setCurrentItem(d.List()->topLevelItem(12));
            d.RemoveSelected();
            EXPECT_EQ(d.List()->topLevelItem(12)->text(1), "");
        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(test::ReadFileBytes(Profile()), before);
}

// The colour item opens Bob's colours; what is chosen is written as #rrggbb and shown by the
// dialog, and X removes it.
TEST_F(UserMenu, ColourDialogWritesBobsColours) {
    const std::string before = test::ReadFileBytes(Profile());
    const bool opened = RunDialog<OverrideColor>(
        [&] { RunMenu([&] { window.ShowUserMenu(bobId); }, [](QMenu&) {}, ID_USER_COLOURS); },
        [&](OverrideColor& d) {
            EXPECT_EQ(d.windowTitle(), "Personal colours : Bob");
            EXPECT_EQ(d.Shown(UserColour::Name), "...");
            EXPECT_TRUE(d.SetColour(UserColour::Name, QColor(255, 0, 16)));
            EXPECT_TRUE(d.SetColour(UserColour::Message, QColor(0, 128, 0)));
            EXPECT_FALSE(d.SetColour(UserColour::Message, QColor()));
            EXPECT_EQ(d.Shown(UserColour::Name), "#ff0010");
        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(ReadIniValue(Profile(), "OVERRIDE", "BobNAMECOLOR"), "#ff0010");
    EXPECT_EQ(ReadIniValue(Profile(), "OVERRIDE", "BobMESSAGECOLOR"), "#008000");
    OverrideColor again({&alice.dlg().Language(), ""}, Profile(), "Bob");
    EXPECT_EQ(again.Shown(UserColour::Message), "#008000");
    again.RemoveColour(UserColour::Message);
    again.RemoveColour(UserColour::Name);
    EXPECT_EQ(again.Shown(UserColour::Message), "...");
    EXPECT_EQ(test::ReadFileBytes(Profile()), before);
}

// A peer whose name cannot be a colour key gets no colour item; the sound keys drop what cannot
// be in a key, so the sound item stays.
TEST(UserMenuNames, NamesThatCannotBeKeysGetNoSettingsItems) {
    AliceAndPeer hosts("Eve;[x]", '5');
    const std::string eveId = hosts.alice.dlg().Roster().IdOfName("Eve;[x]");
    ASSERT_FALSE(eveId.empty());
    bool sounds = true, colours = true;
    RunMenu([&] { hosts.window.ShowUserMenu(eveId); }, [&](QMenu& m) {
        for (QAction* a : m.actions()) {
            if (a->data().toInt() == ID_USER_SOUNDS) sounds = a->isEnabled();
            if (a->data().toInt() == ID_USER_COLOURS) colours = a->isEnabled();
        }
    });
    EXPECT_TRUE(sounds) << "what is left of the name without ; and brackets is still a key";
    EXPECT_FALSE(colours);
}

// Messages kept for Bob, who left, listed with when they were written; the picked one is taken back.
TEST_F(UserMenu, WaitingMessagesAreListedAndTakenBack) {
    bob.dlg().ExitMain();
    lan.Pump();
    for (const char* text : {"MSG->Bob: first", "ALERT->Bob: second"}) ASSERT_TRUE(alice.dlg().SendChatMessage(text));
    ShowWaitingMessages(alice.dlg(), &window);
    auto* dialog = window.findChild<QDialog*>("waitingMessages");
    ASSERT_NE(dialog, nullptr);
    auto* list = dialog->findChild<QListWidget*>("waitingList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().startsWith("[1] Bob 08.12.2025 10:00: first")) << list->item(0)->text().toStdString();
    list->item(0)->setSelected(true);
    dialog->findChild<QPushButton*>("takeBack")->click();
    ASSERT_EQ(alice.dlg().Waiting().All().size(), 1u);
    EXPECT_EQ(alice.dlg().Waiting().All()[0].text, "second");
    EXPECT_EQ(list->count(), 1);
    dialog->close();
}

}  // namespace zc
