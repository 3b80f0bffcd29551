// The desktop side of transfers: the progress window, the screen grab, the card and file
// dialogs, and files dropped onto a user of the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWebEngineScript>

#include <filesystem>
#include <fstream>

#include "base/cp1251.h"
#include "base/settings.h"
#include "gui/chat_main_window.h"
#include "gui/qt_dialog_service.h"
#include "gui/screen_capture_qt.h"
#include "gui/transfer_window_qt.h"
#include "gui/user_list_drop.h"
#include "gui/web/web_view_factory.h"
#include "net/user_roster.h"
#include "platform/window_commands.h"
#include "support/lan_host.h"
#include "support/temp_root.h"
#include "ui/html/user_list_page.h"
#include "web/spin.h"

namespace zc {
namespace {

using test::Spin;

template <class Done>
bool WaitFor(Done done, int ms = 5000) {
    for (int i = 0; i < ms / 20 && !done(); ++i) Spin(20);
    return done();
}

// "Файл" and friends as the chat holds them.
std::string Cp(const char* utf8) { return Utf8ToCp1251(utf8); }

// Runs show(), which opens a pop-up menu and waits for it; the menu's item texts, after pick
// (the item to trigger, or none) has been chosen.
QStringList RunMenu(const std::function<void()>& show, const QString& pick = QString()) {
    QStringList texts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        poll.stop();
        QAction* chosen = nullptr;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            texts << a->text();
            if (a->text() == pick) chosen = a;
        }
        menu->close();
        if (chosen) chosen->trigger();
    });
    poll.start(20);
    show();
    return texts;
}

// Alice's chat hosted by the real window, Bob and Carol beside her on the fake LAN.
struct HostedMenus : test::ThreeHosts {
    void SetUp() override {
        ThreeHosts::SetUp();
        window.AttachChat(&alice.dlg());
    }
    void TearDown() override { window.AttachChat(nullptr); }
    QString Lang(int n) { return QString::fromStdString(Cp1251ToUtf8(alice.dlg().Language().LangString(n))); }
    // Runs the LAN and the workers' reports until done() holds.
    bool Pump(const std::function<bool()>& done) {
        for (int i = 0; i < 400 && !done(); ++i) {
            lan.Pump();
            for (test::Host* h : {&alice, &bob, &carol}) h->chat.workers.RunPosted();
            Spin(10);
        }
        return done();
    }
    ChatMainWindow window;
};

}  // namespace

// The user menu asks for a user's process list and card always, and offers the avatar, desktop
// and file items only while no transfer runs.
TEST_F(HostedMenus, UserMenuRequestsAndTransfersWhileNoTransferRuns) {
    const std::string bobId = alice.dlg().Roster().IdOfName("Bob");
    const QStringList idle = RunMenu([&] { window.ShowUserMenu(bobId); });
    const QStringList requests{Lang(25), Lang(26)}, transfers{Lang(24), Lang(102), Lang(104)};
    const qsizetype at = idle.indexOf(Lang(25));
    ASSERT_GE(at, 0) << idle.join(" | ").toStdString();
    EXPECT_EQ(idle.mid(at, 5), requests + transfers);
    EXPECT_EQ(idle.first(), Lang(27));
    // Refresh, then the plug-ins' sub-menu (empty here: no plugins folder).
    EXPECT_EQ(idle.last(), Lang(0));
    EXPECT_EQ(idle[idle.size() - 2], Lang(20));

    // The card item asks Bob, whose card comes back into the card window.
    RunMenu([&] { window.ShowUserMenu(bobId); }, Lang(26));
    ASSERT_TRUE(Pump([&] { return !alice.chat.dialogs.infoCaption.empty(); }));
    EXPECT_NE(alice.chat.dialogs.infoCaption.find("Bob"), std::string::npos);

    // The file item: the file dialog's pick is offered to Bob, who is asked.
    const std::string path = alice.chat.home + "/notes.txt";
    std::ofstream(path) << "notes";
    alice.chat.dialogs.pickedFile = path;
    RunMenu([&] { window.ShowUserMenu(bobId); }, Lang(104));
    ASSERT_TRUE(Pump([&] { return bob.chat.dialogs.open.size() == 1; }));
    bob.dlg();
    bob.chat.dialogs.Answer(true);
    ASSERT_TRUE(Pump([&] { return alice.dlg().TransferRunning(); }));

    // While it runs: the requests stay, the transfer items are gone.
    const QStringList busy = RunMenu([&] { window.ShowUserMenu(bobId); });
    EXPECT_TRUE(busy.contains(Lang(25)) && busy.contains(Lang(26)));
    for (const QString& t : transfers) EXPECT_FALSE(busy.contains(t)) << t.toStdString();
    EXPECT_EQ(busy.size(), idle.size() - 3);
    ASSERT_TRUE(Pump([&] { return !alice.dlg().TransferRunning() && !bob.dlg().TransferRunning(); }));
    EXPECT_EQ(RunMenu([&] { window.ShowUserMenu(bobId); }), idle);
}

// A conference member is not invited again; the shell items open the user's shares and web
// server by the address the user list knows.
TEST_F(HostedMenus, UserMenuInvitesOnlyNonMembersAndOpensTheUsersMachine) {
    const std::string bobId = alice.dlg().Roster().IdOfName("Bob");
    EXPECT_TRUE(RunMenu([&] { window.ShowUserMenu(bobId); }).contains(Lang(23)));
    alice.dlg().Roster().AddMember(bobId);
    EXPECT_FALSE(RunMenu([&] { window.ShowUserMenu(bobId); }).contains(Lang(23)));
    RunMenu([&] { window.ShowUserMenu(bobId); }, Lang(7));
    RunMenu([&] { window.ShowUserMenu(bobId); }, Lang(8));
    EXPECT_EQ(alice.chat.shell.opened, (std::vector<std::string>{"smb://10.0.0.2/", "http://10.0.0.2/"}));
}

// A right click on the own entry: the modes, the options editor, the own card, and leaving a conference.
TEST_F(HostedMenus, OwnMenuOffersModeOptionsCardAndLeavingTheConference) {
    auto own = [&] { window.CarryOut(ViewRole::UserList, {WindowAction::OwnMenu, "Alice"}); };
    // Dismissed, it runs nothing.
    EXPECT_EQ(RunMenu(own), (QStringList{Lang(60), Lang(35), Lang(26)}));
    EXPECT_TRUE(alice.chat.dialogs.infoCaption.empty());
    RunMenu(own, Lang(26));
    EXPECT_EQ(alice.chat.dialogs.infoCaption, alice.dlg().Language().LangString(26) + ": Alice");
    EXPECT_FALSE(alice.chat.dialogs.infoLines.empty());
    // A conference member may leave from here.
    alice.dlg().Roster().AddMember(alice.dlg().OwnId());
    EXPECT_EQ(RunMenu(own).last(), Lang(39));
}

TEST(TransferWindowQt, ShowsItsTextsAndProgress) {
    int cancels = 0;
    TransferWindowQt window([&] { ++cancels; }, nullptr);
    window.SetTexts(Cp("Приём файла"), Cp("отчёт <b>2024</b>.txt"), Cp("Отмена"));
    window.SetRange(5);
    window.SetPosition(4);
    window.SetProgressText("4 / 5KB");
    window.SetRateText(Cp("12 КБ/с, осталось 1 с"));
    window.Show();
    TransferDialog* d = window.Dialog();
    ASSERT_TRUE(WaitFor([&] { return d->isVisible(); }));
    EXPECT_EQ(d->objectName(), "CmyFileTrans");
    EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Приём файла"));
    // A peer's name shows as written, never as markup.
    EXPECT_EQ(d->fileName->text(), QString::fromUtf8("отчёт <b>2024</b>.txt"));
    EXPECT_EQ(d->fileName->textFormat(), Qt::PlainText);
    EXPECT_EQ(d->cancel->text(), QString::fromUtf8("Отмена"));
    EXPECT_EQ(d->progress->text(), "4 / 5KB");
    EXPECT_EQ(d->rate->text(), QString::fromUtf8("12 КБ/с, осталось 1 с"));
    EXPECT_EQ(d->bar->maximum(), 5);
    EXPECT_EQ(d->bar->value(), 4);
    // Beyond the range the bar stays full instead of going back to empty.
    window.SetPosition(9);
    EXPECT_EQ(d->bar->value(), 5);
    window.Hide();
    EXPECT_FALSE(d->isVisible());
    Spin(50);
    EXPECT_EQ(cancels, 0) << "hiding by the program is no cancel";
}

// Before the length is known the range is 0..0, which a plain bar shows as a busy indicator.
TEST(TransferWindowQt, EmptyRangeIsNoBusyIndicator) {
    TransferWindowQt window([] {}, nullptr);
    TransferDialog* d = window.Dialog();
    window.SetRange(0);
    window.SetPosition(0);
    EXPECT_GT(d->bar->maximum(), d->bar->minimum());
    EXPECT_EQ(d->bar->value(), d->bar->minimum());
    window.SetRange(3);
    window.SetPosition(-2);
    EXPECT_EQ(d->bar->value(), 0);
    window.SetPosition(1);
    EXPECT_EQ(d->bar->maximum(), 3);
    EXPECT_EQ(d->bar->value(), 1);
}

TEST(TransferWindowQt, CancelButtonFrameAndEscapeCallBackOnceInAll) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        int cancels = 0;
        TransferWindowQt window([&] { ++cancels; }, nullptr);
        window.SetTexts("Sending", "a.txt", "Cancel");
        window.Show();
        TransferDialog* d = window.Dialog();
        ASSERT_TRUE(WaitFor([&] { return d->isVisible(); }));
        if (way == 0) {
            d->cancel->click();
            d->cancel->click();
        } else if (way == 1) {
            d->close();
        } else {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(d, &escape);
        }
        EXPECT_TRUE(WaitFor([&] { return cancels > 0; }, 1000));
        // Shown again (by mistake or a late tick) and closed once more: still one cancel.
        window.Show();
        d->close();
        Spin(100);
        EXPECT_EQ(cancels, 1);
    }
}

// The chat may drop the window in its answer to the cancel.
TEST(TransferWindowQt, WindowMayBeDroppedFromItsOwnCancel) {
    std::unique_ptr<TransferWindow> window;
    bool called = false;
    TransferWindowFactoryQt factory(nullptr);
    window = factory.Create([&] {
        called = true;
        window.reset();
    });
    window->Show();
    auto* d = static_cast<TransferWindowQt*>(window.get())->Dialog();
    ASSERT_TRUE(WaitFor([&] { return d->isVisible(); }));
    d->cancel->click();
    EXPECT_TRUE(WaitFor([&] { return called; }, 1000));
    EXPECT_EQ(window, nullptr);
    // A window dropped before its cancel came through calls nobody.
    bool late = false;
    auto other = factory.Create([&] { late = true; });
    static_cast<TransferWindowQt*>(other.get())->Dialog()->cancel->click();
    other.reset();
    Spin(100);
    EXPECT_FALSE(late);
}

TEST(ScreenCaptureQt, RefusesWhereNoPictureCanBeTaken) {
    EXPECT_NE(GrabRefusal("wayland", "wayland-0"), "");
    EXPECT_NE(GrabRefusal("wayland-egl", ""), "");
    EXPECT_NE(GrabRefusal("offscreen", ""), "");
    EXPECT_NE(GrabRefusal("eglfs", "wayland-0"), "");
    EXPECT_EQ(GrabRefusal("xcb", ""), "");
    // An X session that merely has the variable set (a nested session) still grabs.
    EXPECT_EQ(GrabRefusal("xcb", "wayland-0"), "");
}

// Under Xvfb: the whole screen, packed RGB, with what is on it in the right place and colour.
TEST(ScreenCaptureQt, GrabsTheWholeScreenWithItsColours) {
    QWidget red, blue;
    for (auto [w, colour, x] : {std::tuple{&red, QColor(230, 20, 10), 101}, std::tuple{&blue, QColor(5, 40, 220), 401}}) {
        w->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        w->setStyleSheet(QString("background-color: %1;").arg(colour.name()));
        w->setAttribute(Qt::WA_StyledBackground);
        w->setGeometry(x, 203, 150, 90);
        w->show();
    }
    ASSERT_TRUE(WaitFor([&] { return red.isVisible() && blue.isVisible(); }));
    Spin(400);

    ScreenCaptureQt capture;
    ScreenPicture picture;
    std::string why;
    ASSERT_TRUE(capture.Capture(&picture, &why)) << why;
    EXPECT_EQ(why, "");
    const QSize screen = QGuiApplication::primaryScreen()->size() * QGuiApplication::primaryScreen()->devicePixelRatio();
    EXPECT_EQ(picture.width, screen.width());
    EXPECT_EQ(picture.height, screen.height());
    ASSERT_EQ(picture.rgb.size(), static_cast<size_t>(picture.width) * picture.height * 3);
    auto at = [&](int x, int y) {
        const size_t k = (static_cast<size_t>(y) * picture.width + x) * 3;
        return QColor(picture.rgb[k], picture.rgb[k + 1], picture.rgb[k + 2]);
    };
    EXPECT_EQ(at(101 + 75, 203 + 45), QColor(230, 20, 10));
    EXPECT_EQ(at(401 + 75, 203 + 45), QColor(5, 40, 220));
    EXPECT_EQ(at(401 + 149, 203 + 89), QColor(5, 40, 220));
    EXPECT_NE(at(401 + 151, 203 + 45), QColor(5, 40, 220));

    // No place for the picture: a refusal, not a crash.
    EXPECT_FALSE(capture.Capture(nullptr, &why));
}

TEST(QtDialogService, UserCardIsOneWindowPerUserRefilledAndRaised) {
    QtDialogService dialogs(nullptr);
    dialogs.ShowUserInfo(Cp("Информация: Bob"), {{Cp("Имя"), "Bob <i>Smith</i>"}, {"IP", "10.0.0.2"}});
    QDialog* card = dialogs.UserInfoWindow(Cp("Информация: Bob"));
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(WaitFor([&] { return card->isVisible(); }));
    EXPECT_EQ(card->objectName(), "UserInfoDlg");
    EXPECT_EQ(card->windowTitle(), QString::fromUtf8("Информация: Bob"));
    auto rows = [&] {
        QStringList out;
        auto* form = card->findChild<QFormLayout*>();
        for (int i = 0; i < form->rowCount(); ++i) {
            auto* label = qobject_cast<QLabel*>(form->itemAt(i, QFormLayout::LabelRole)->widget());
            auto* value = qobject_cast<QLabel*>(form->itemAt(i, QFormLayout::FieldRole)->widget());
            EXPECT_EQ(value->textFormat(), Qt::PlainText);
            EXPECT_TRUE(value->textInteractionFlags() & Qt::TextSelectableByMouse);
            out << label->text() + "=" + value->text();
        }
        return out;
    };
    EXPECT_EQ(rows(), (QStringList{QString::fromUtf8("Имя=Bob <i>Smith</i>"), "IP=10.0.0.2"}));

    // Asked again: the same window, with the new card.
    dialogs.ShowUserInfo(Cp("Информация: Bob"), {{"IP", "10.0.0.9"}});
    EXPECT_EQ(dialogs.UserInfoWindow(Cp("Информация: Bob")), card);
    EXPECT_EQ(rows(), (QStringList{"IP=10.0.0.9"}));

    // Another user gets a window of his own; a closed window is made anew.
    dialogs.ShowUserInfo("Carol", {{"IP", "10.0.0.3"}});
    QDialog* carol = dialogs.UserInfoWindow("Carol");
    ASSERT_NE(carol, nullptr);
    EXPECT_NE(carol, card);
    card->close();
    EXPECT_TRUE(WaitFor([&] { return dialogs.UserInfoWindow(Cp("Информация: Bob")) == nullptr; }));
    dialogs.ShowUserInfo(Cp("Информация: Bob"), {{"IP", "10.0.0.2"}});
    EXPECT_NE(dialogs.UserInfoWindow(Cp("Информация: Bob")), nullptr);
    carol->close();
}

// The file dialog: an existing file, its own path (any name), and the program folder stays current.
TEST(QtDialogService, PickFileToSendGivesTheFilesOwnPath) {
    test::TempRoot root(false);
    const std::string folder = root.Path() + "pick";
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/" + "отчёт.txt";  // UTF-8, as the file system has it
    std::ofstream(file) << "x";
    QtDialogService dialogs(nullptr);
    for (bool accept : {true, false}) {
        SCOPED_TRACE(accept);
        std::vector<std::string> picked;
        QFileDialog* seen = nullptr;
        QTimer::singleShot(0, [&] {
            WaitFor([&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) seen = d;
                return seen != nullptr;
            });
            if (!seen) return;
            EXPECT_EQ(seen->windowTitle(), QString::fromUtf8("Файл для Bob"));
            EXPECT_EQ(seen->fileMode(), QFileDialog::ExistingFile);
            if (!accept) return seen->reject();
            seen->setDirectory(QString::fromStdString(folder));
            seen->selectFile(QString::fromStdString(file));
            QMetaObject::invokeMethod(seen, "accept");
        });
        dialogs.PickFileToSend(Cp("Файл для Bob"), [&](const std::string& path) { picked.push_back(path); });
        ASSERT_NE(seen, nullptr);
        if (accept) EXPECT_EQ(picked, std::vector<std::string>{file});
        else EXPECT_TRUE(picked.empty());
        EXPECT_EQ(QDir::currentPath().toStdString() + "/", root.Path());
    }
}

TEST(UserListDrop, OnlyOneLocalFileIsTaken) {
    test::TempRoot root(false);
    root.Write("a.txt", "a");
    root.Write("b.txt", "b");
    std::filesystem::create_directories(root.Path() + "folder");
    auto drop = [&](QList<QUrl> urls) {
        QMimeData data;
        data.setUrls(urls);
        return DroppedLocalFile(&data);
    };
    const QString a = QString::fromStdString(root.Path() + "a.txt");
    EXPECT_EQ(drop({QUrl::fromLocalFile(a)}), root.Path() + "a.txt");
    EXPECT_EQ(drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(QString::fromStdString(root.Path() + "b.txt"))}), "");
    EXPECT_EQ(drop({QUrl::fromLocalFile(QString::fromStdString(root.Path() + "folder"))}), "");
    EXPECT_EQ(drop({QUrl::fromLocalFile(QString::fromStdString(root.Path() + "gone.txt"))}), "");
    EXPECT_EQ(drop({QUrl("http://example.invalid/a.txt")}), "");
    QMimeData text;
    text.setText(a);
    EXPECT_EQ(DroppedLocalFile(&text), "");
    EXPECT_EQ(DroppedLocalFile(nullptr), "");
}

TEST(UserListDrop, HitNamesPeersOnly) {
    EXPECT_EQ(PickedUserOfHit(QVariantList{"username", "00-11-22", "Bob"}), "00-11-22");
    EXPECT_EQ(PickedUserOfHit(QVariantList{"userimage", "00-11-22", ""}), "00-11-22");
    // No id (an older page): the name itself, in the chat's code page.
    EXPECT_EQ(PickedUserOfHit(QVariantList{"username", "", QString::fromUtf8("Борис\n")}), Cp("Борис"));
    EXPECT_EQ(PickedUserOfHit(QVariantList{"myname", "", "Me"}), "");
    EXPECT_EQ(PickedUserOfHit(QVariantList{"myimage", "Me", ""}), "");
    EXPECT_EQ(PickedUserOfHit(QVariant()), "");
    EXPECT_EQ(PickedUserOfHit(QVariantList{"groupname", "", "Staff"}), "");
}

// A real user list page in a real view, and drops as the desktop delivers them.
TEST(UserListDrop, DropOnAUserOffersToThatUserAndNowhereElse) {
    test::TempRoot root;
    std::filesystem::create_directories(root.Path() + "avatars");
    for (const char* name : {"me.png", "bob.png"}) {
        QImage avatar(48, 48, QImage::Format_RGB32);
        avatar.fill(Qt::darkCyan);
        ASSERT_TRUE(avatar.save(QString::fromStdString(root.Path() + "avatars/" + name)));
    }
    root.Write("drop me.txt", "payload");
    QWidget host;
    WebViewFactory views(root.Path(), &host, nullptr, nullptr);
    std::unique_ptr<HtmlView> owned = views.CreateView(ViewRole::UserList);
    auto* view = views.Live().at(ViewRole::UserList);
    host.resize(300, 400);
    view->setGeometry(0, 0, 300, 400);
    host.show();

    LocalUser user;
    user.nickname = "Me";
    CUserRoster roster;
    roster.AddOrUpdate("own-id", "10.0.0.1", "Me", 1, "me.png");
    roster.AddOrUpdate("bob-id", "10.0.0.2", "Bob", 1, "bob.png");
    ASSERT_TRUE(PrepareUserList(view, root.Path(), "def", "list.css"));
    ASSERT_TRUE(WaitFor([&] { return view->Loaded(); }));
    ASSERT_TRUE(RefreshUserList(view, UserListContext{roster, user, "own-id", root.Path(), "Avatar"}));
    view->Flush();

    // Where the page put each element, in widget pixels.
    auto centre = [&](const QString& selector) {
        QPointF at(-1, -1);
        bool done = false;
        view->Page()->runJavaScript("var r = document.querySelector('" + selector +
                                        "').getBoundingClientRect(); [r.left + r.width / 2, r.top + r.height / 2]",
                                    QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                                        const QVariantList p = v.toList();
                                        if (p.size() == 2) at = QPointF(p[0].toDouble(), p[1].toDouble());
                                        done = true;
                                    });
        WaitFor([&] { return done; });
        return at;
    };
    ASSERT_TRUE(WaitFor([&] { return centre(".username").x() >= 0; }));

    bool allowed = true;
    std::vector<std::pair<std::string, std::string>> offers;
    int missed = 0;
    UserListDrops drops([&] { return allowed; },
                        [&](const std::string& picked, const std::string& path) { offers.push_back({picked, path}); },
                        [&] { ++missed; });
    // The point is where the pointer is, as the X server says, whatever the event claims.
    auto pointTo = [&](QPointF at) { QCursor::setPos(view->mapToGlobal(at.toPoint())); };
    UserListDrops::AcceptDropsOn(view);
    EXPECT_TRUE(view->acceptDrops());
    const QString file = QString::fromStdString(root.Path() + "drop me.txt");
    // Enter, move and drop at one point, as Qt hands them to the widget under the pointer.
    auto dropAt = [&](QPointF at, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        pointTo(at);
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        const bool enterTaken = drops.Filter(view, view, &enter);
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        EXPECT_TRUE(drops.Filter(view, view, &drop)) << "the page never sees a drop";
        Spin(300);
        return enterTaken && enter.isAccepted();
    };

    EXPECT_TRUE(dropAt(centre(".username"), {QUrl::fromLocalFile(file)}));
    ASSERT_TRUE(WaitFor([&] { return !offers.empty(); }));
    EXPECT_EQ(offers.back(), (std::pair<std::string, std::string>{"bob-id", root.Path() + "drop me.txt"}));
    offers.clear();

    dropAt(centre(".userimage"), {QUrl::fromLocalFile(file)});
    ASSERT_TRUE(WaitFor([&] { return !offers.empty(); }));
    EXPECT_EQ(offers.back().first, "bob-id");
    offers.clear();

    // Data that can no longer be read when the file lands: the file the drag brought in; but
    // not one of a drag that left the list before.
    auto enterThenDropUnreadable = [&](bool leaveBetween) {
        QMimeData data, unreadable;
        data.setUrls({QUrl::fromLocalFile(file)});
        unreadable.setData("text/uri-list", QByteArray());
        const QPointF at = centre(".username");
        pointTo(at);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        drops.Filter(view, view, &enter);
        if (leaveBetween) {
            pointTo(QPointF(400, 200));
            QDragLeaveEvent leave;
            drops.Filter(view, view, &leave);
            pointTo(at);
        }
        QDropEvent drop(at, Qt::CopyAction, &unreadable, Qt::LeftButton, Qt::NoModifier);
        drops.Filter(view, view, &drop);
        Spin(300);
    };
    enterThenDropUnreadable(false);
    ASSERT_TRUE(WaitFor([&] { return !offers.empty(); }));
    EXPECT_EQ(offers.back(), (std::pair<std::string, std::string>{"bob-id", root.Path() + "drop me.txt"}));
    offers.clear();
    enterThenDropUnreadable(true);

    // The own entry and the empty page below the list: no offer, a note each; something that
    // is no file, and while the chat takes no offer: nothing at all.
    dropAt(centre(".myname"), {QUrl::fromLocalFile(file)});
    dropAt(centre(".myimage"), {QUrl::fromLocalFile(file)});
    dropAt(QPointF(150, 390), {QUrl::fromLocalFile(file)});
    EXPECT_TRUE(WaitFor([&] { return missed == 3; })) << missed;
    EXPECT_FALSE(dropAt(centre(".username"), {QUrl("http://example.invalid/x")}));
    allowed = false;
    EXPECT_FALSE(dropAt(centre(".username"), {QUrl::fromLocalFile(file)}));
    Spin(300);
    EXPECT_TRUE(offers.empty());
    EXPECT_EQ(missed, 3);
    allowed = true;

    // Moving: refused beside the names, taken over one, from the places the page gave when the
    // drag came in. A source that lets go where it was refused leaves with the button up over
    // the list: still a drop.
    QMimeData moving;
    moving.setUrls({QUrl::fromLocalFile(file)});
    auto moveTo = [&](QPointF at) {
        pointTo(at);
        QDragMoveEvent move(QPoint(1, 1), Qt::CopyAction, &moving, Qt::LeftButton, Qt::NoModifier);
        drops.Filter(view, view, &move);
        return move.isAccepted();
    };
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &moving, Qt::LeftButton, Qt::NoModifier);
    drops.Filter(view, view, &enter);
    Spin(300);
    EXPECT_FALSE(moveTo(QPointF(150, 390)));
    EXPECT_TRUE(moveTo(centre(".username")));
    EXPECT_FALSE(moveTo(centre(".myname")));
    pointTo(QPointF(150, 390));
    QDragLeaveEvent letGo;
    drops.Filter(view, view, &letGo);
    EXPECT_TRUE(WaitFor([&] { return missed == 4; })) << missed;
    EXPECT_TRUE(offers.empty());

    // Events of other widgets are none of its business.
    QWidget other;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(drops.Filter(view, &other, &drop));
}

}  // namespace zc
