// The bubble on a real (virtual) screen: when it shows, where, how long, and what clicks do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "plugin_test_support.h"

namespace fs = std::filesystem;
using plugintest::FakeHost;
using plugintest::Notification;

namespace {

plugintest::Plugin* g_plugin = nullptr;

QList<QWidget*> Bubbles(bool visibleOnly = true) {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "TipBubbleWnd" && (!visibleOnly || w->isVisible())) out << w;
    return out;
}

// Milliseconds until the condition held, or -1 when it did not within the limit.
qint64 WaitFor(const std::function<bool()>& condition, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (condition()) return clock.elapsed();
        QTest::qWait(2);
    }
    return -1;
}

void Idle(int ms) { QTest::qWait(ms); }

QWidget* WaitShown(int limitMs = 1000) {
    EXPECT_GE(WaitFor([] { return !Bubbles().isEmpty(); }, limitMs), 0) << "no bubble came up";
    return Bubbles().value(0);
}

void CloseAll() {
    for (QWidget* w : Bubbles()) QTest::mouseClick(w, Qt::RightButton, {}, QPoint(5, 5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QColor PixelAt(const QImage& screen, QPoint p) { return screen.pixelColor(p); }

}  // namespace

TEST(TipBubbleScreen, ShowsAfterTheDelayAtTheBottomRightInTheSkinColoursAndLeavesOnTime) {
    FakeHost host;
    Notification n(host, "Alice", "hello there\nsecond line", 1);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    ASSERT_EQ(g_plugin->Show(n), 1);
    const qint64 shownAfter = WaitFor([] { return !Bubbles().isEmpty(); }, 1000);
    ASSERT_GE(shownAfter, 0);
    QElapsedTimer sinceShown;
    sinceShown.start();
    EXPECT_GE(sinceRequest.elapsed(), 95) << "shown before the show delay";
    EXPECT_LE(shownAfter, 400);
    QWidget* bubble = Bubbles().value(0);
    ASSERT_TRUE(bubble);
    EXPECT_EQ(bubble->property("text").toString(), "Alice\n\nhello there\nsecond line");
    EXPECT_FALSE(bubble->hasFocus());

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect g = bubble->frameGeometry();
    EXPECT_EQ(g.x() + g.width(), screen.width() - 3);
    EXPECT_EQ(g.y() + g.height(), screen.height() - 3);
    const int bodyHeight = g.height() - 25;
    EXPECT_GT(bodyHeight, 2 * bubble->fontMetrics().height()) << "four lines with the blank one";
    EXPECT_GT(g.width(), bubble->fontMetrics().horizontalAdvance("hello there") + 20);

    Idle(150);  // let it paint
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    fs::create_directories(ZC_E2E_DIR);
    shot.save(ZC_E2E_DIR "/tipbubble.png");
    // Background yellow, highlight band red (see main()); a pixel of the screen left of it is not.
    EXPECT_EQ(PixelAt(shot, {g.x() + 2, g.y() + bodyHeight / 2}), QColor(255, 255, 0));
    EXPECT_EQ(PixelAt(shot, {g.x() + g.width() / 2, g.y() + 1}), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(shot, {g.x() + g.width() / 2, g.y() + bodyHeight - 2}), QColor(255, 0, 0));
    EXPECT_NE(PixelAt(shot, {g.x() + 2, g.y() + bodyHeight + 20}), QColor(255, 0, 0)) << "outside the tail";

    // One second of display time and a short closing step.
    ASSERT_GE(WaitFor([] { return Bubbles().isEmpty(); }, 2500), 0) << "the bubble stayed";
    EXPECT_GE(sinceShown.elapsed(), 1000) << "left too early";
    EXPECT_LE(sinceShown.elapsed(), 1600);
    EXPECT_EQ(host.broughtToFront, 0);
}

TEST(TipBubbleScreen, ASecondRequestWithinTheDelayShowsOnlyTheSecond) {
    FakeHost host;
    Notification first(host, "Alice", "first", 1), second(host, "Bob", "second", 1);
    ASSERT_EQ(g_plugin->Show(first), 1);
    Idle(30);
    ASSERT_EQ(g_plugin->Show(second), 1);
    ASSERT_TRUE(WaitShown());
    Idle(200);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Bubbles().size(), 1);
    EXPECT_EQ(Bubbles(false).size(), 1) << "the first window is gone, not just hidden";
    EXPECT_EQ(Bubbles()[0]->property("text").toString(), "Bob\n\nsecond");

    // A request while one is up replaces it too.
    Notification third(host, "Carol", "third", 1);
    ASSERT_EQ(g_plugin->Show(third), 1);
    EXPECT_TRUE(Bubbles().isEmpty());
    EXPECT_EQ(Bubbles(false).size(), 1) << "the old one destroyed, the new one waiting";
    QWidget* bubble = WaitShown();
    ASSERT_TRUE(bubble);
    EXPECT_EQ(bubble->property("text").toString(), "Carol\n\nthird");
    CloseAll();
}

TEST(TipBubbleScreen, LeftClickBringsTheChatForwardRightClickOnlyCloses) {
    FakeHost host;
    Notification n(host, "Alice", "click me", 5);
    ASSERT_EQ(g_plugin->Show(n), 1);
    QWidget* bubble = WaitShown();
    ASSERT_TRUE(bubble);
    QTest::mouseClick(bubble, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(Bubbles().isEmpty());
    EXPECT_EQ(host.broughtToFront, 0);

    ASSERT_EQ(g_plugin->Show(n), 1);
    bubble = WaitShown();
    ASSERT_TRUE(bubble);
    QTest::mouseClick(bubble, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(host.broughtToFront, 1);
    EXPECT_TRUE(Bubbles().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Bubbles(false).isEmpty());
}

TEST(TipBubbleScreen, NoDisplayTimeMeansFourSecondsAndTextsAreWindows1251) {
    FakeHost host;
    // An empty title still gives the blank line; "Привет" in windows-1251.
    Notification n(host, "", "\xCF\xF0\xE8\xE2\xE5\xF2", 0);
    ASSERT_EQ(g_plugin->Show(n), 1);
    QWidget* bubble = WaitShown();
    ASSERT_TRUE(bubble);
    EXPECT_EQ(bubble->property("text").toString(), QString::fromUtf8("\n\nПривет"));
    const qint64 goneAfter = WaitFor([] { return Bubbles().isEmpty(); }, 6000);
    ASSERT_GE(goneAfter, 0);
    EXPECT_GE(goneAfter, 3900);
    EXPECT_LE(goneAfter, 4700);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A program folder of our own whose theme has loud alert colours, made current as the chat does.
    const fs::path root = fs::temp_directory_path() / ("zc_bubble_screen_" + std::to_string(::getpid()));
    fs::create_directories(root / "system");
    fs::create_directories(root / "profiles");
    fs::create_directories(root / "skins/skinthemes/loud");
    std::ofstream(root / "system/zeltochat.ini") << "[GLOBAL]\nPROFILE=default\n";
    std::ofstream(root / "profiles/default.cfg") << "[GLOBAL]\nSKINSTHEME=loud\n";
    std::ofstream(root / "skins/skinthemes/loud/skin.cfg")
        << "[DIALOG]\nALERTBGCOLOR=R255G255B0\nALERTTEXTCOLOR=R0G0B0\nALERTHLIGHTCOLOR=R255G0B0\n";
    fs::current_path(root);

    auto plugin = std::make_unique<plugintest::Plugin>(ZC_PLUGIN_DIR "/tipbubble.so");
    g_plugin = plugin.get();
    auto info = plugin->Get<GetPluginInfoFn>("GetPluginInfo");
    if (!info) return 1;
    PluginInfo pi{};
    int32_t flag = 0;
    info(&pi, &flag);
    int rc = RUN_ALL_TESTS();
    CloseAll();

    // The chat unloads its plug-ins at exit, maybe while a bubble waits: its timers must not
    // fire into a library that is gone.
    FakeHost host;
    Notification n(host, "Alice", "at exit", 1);
    g_plugin->Show(n);
    plugin.reset();
    g_plugin = nullptr;
    QTest::qWait(300);
    if (!Bubbles(false).isEmpty()) {
        fprintf(stderr, "a bubble outlived its library\n");
        rc = 1;
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(root);
    return rc;
}
