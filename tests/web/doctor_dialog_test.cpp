// The desktop program's connection check: its dialog fills from a thread while the window
// stays live, keeps one dialog at a time, takes its caption from the language file and goes
// away once closed and done. Opens real sockets: run inside a private network namespace.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include "app/chat_main_dlg.h"
#include "base/ini_file.h"
#include "gui/chat_main_window.h"
#include "gui/connection_check_dialog.h"
#include "support/chat_fixture.h"
#include "web/spin.h"

namespace zc {
namespace {

using test::Spin;

std::vector<QDialog*> CheckDialogs() {
    std::vector<QDialog*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->findChild<QPlainTextEdit*>()) out.push_back(d);
    return out;
}

QString Text(QDialog* d) { return d->findChild<QPlainTextEdit*>()->toPlainText(); }

// A chat on fakes in the real window; the check opens real sockets on a port of its own, so a
// chat elsewhere in this namespace does not answer.
struct CheckedChat {
    explicit CheckedChat(const char* port) {
        WriteIniValue("profiles/default.cfg", "NETWORK", "PORT", port);
        EXPECT_TRUE(chat.dlg->OnInitDialog());
        window.AttachChat(chat.dlg.get());
    }
    ~CheckedChat() { window.AttachChat(nullptr); }
    test::TempRoot root;
    test::FakeLockBoard board;
    test::FakeChat chat{board};
    ChatMainWindow window;
};

}  // namespace

TEST(ConnectionCheckDialog, FillsLineByLineOneAtATimeAndGoesWhenClosed) {
    CheckedChat c("9410");
    ChatMainWindow& window = c.window;
    CChatMainDlg& chat = *c.chat.dlg;
    WriteIniValue("language/lang_english.cfg", "MENUSTRINGS", "MSTR170", "Check it");
    EXPECT_EQ(ConnectionCheckCaption(chat), "Check it");

    ShowConnectionCheck(&window, chat);
    ASSERT_EQ(CheckDialogs().size(), 1u);
    QPointer<QDialog> dialog = CheckDialogs()[0];
    EXPECT_EQ(dialog->windowTitle(), "Check it");
    // The first lines come before the three seconds of waiting for answers are over.
    for (int i = 0; i < 100 && !Text(dialog).contains("[ok] socket:"); ++i) Spin(20);
    EXPECT_TRUE(Text(dialog).contains("[ok] socket: UDP port 9410 bound, 225.0.0.1 joined"));
    EXPECT_FALSE(Text(dialog).contains("transfer port"));
    ShowConnectionCheck(&window, chat);  // brings the running one forward
    EXPECT_EQ(CheckDialogs().size(), 1u);

    for (int i = 0; i < 300 && !Text(dialog).contains("transfer port"); ++i) Spin(20);
    const QStringList lines = Text(dialog).split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith("[")) << lines[0].toStdString();
    EXPECT_TRUE(Text(dialog).contains("[ok] loop: our own WHO came back"));
    EXPECT_TRUE(Text(dialog).contains("[warn] peers: no other copy answered within 3 s"));
    EXPECT_TRUE(Text(dialog).contains("[ok] transfer port: tcp port 9012 can listen")) << Text(dialog).toStdString();

    dialog->reject();
    for (int i = 0; i < 50 && dialog; ++i) Spin(20);
    EXPECT_TRUE(dialog.isNull());
}

// Closed while the check still runs, the dialog waits for it in the background and then goes.
TEST(ConnectionCheckDialog, ClosedEarlyGoesOnceTheCheckEnds) {
    CheckedChat c("9420");
    ShowConnectionCheck(&c.window, *c.chat.dlg);
    ASSERT_EQ(CheckDialogs().size(), 1u);
    QPointer<QDialog> dialog = CheckDialogs()[0];
    dialog->reject();
    Spin(200);
    EXPECT_FALSE(dialog.isNull());  // the check is still waiting for answers
    for (int i = 0; i < 400 && dialog; ++i) Spin(20);
    EXPECT_TRUE(dialog.isNull());
}

}  // namespace zc
