// The desktop window's own parts: page events from a real view, menus, buttons, dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineScript>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/message_text.h"
#include "gui/chat_main_window.h"
#include "gui/input_box.h"
#include "gui/qt_dialog_service.h"
#include "gui/web/web_view_factory.h"
#include "platform/window_commands.h"
#include "support/chat_fixture.h"
#include "ui/html/chat_document.h"
#include "ui/html/smiles_window.h"
#include "web/spin.h"

namespace zc {
namespace {

using test::Spin;

template <class Done>
bool WaitFor(Done done, int ms = 5000) {
    for (int i = 0; i < ms / 20 && !done(); ++i) Spin(20);
    return done();
}

void RunInPage(CZeltoChatText* view, const QString& script) {
    bool done = false;
    view->Page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant&) { done = true; });
    WaitFor([&] { return done; });
}

// A chat on fakes, hosted by the real window.
struct HostedChat {
    HostedChat() {
        EXPECT_TRUE(chat.dlg->OnInitDialog());
        window.AttachChat(chat.dlg.get());
    }
    ~HostedChat() {
        window.AttachChat(nullptr);
        qApp->setStyleSheet(QString());
    }
    std::string Lang(int n) const { return Cp1251ToUtf8(chat.dlg->Language().LangString(n)); }
    test::TempRoot root;
    test::FakeLockBoard board;
    test::FakeChat chat{board};
    ChatMainWindow window;
};

QStringList Texts(const QMenu& menu) {
    QStringList out;
    for (QAction* a : menu.actions())
        if (!a->isSeparator()) out << a->text();
    return out;
}

}  // namespace

// The browser's outer HTML gives "&" as "&amp;"; the address must come from the attribute.
TEST(WebViewEvents, LinkWithAQueryReportsItsAddressAsWritten) {
    test::TempRoot root;
    test::FakeClock clock;
    DebugLog log(clock, "");
    LocalUser user;
    LanguageTable language;
    QWidget host;
    std::vector<ViewEvent> events;
    WebViewFactory views(root.Path(), &host, [&](ViewRole, const ViewEvent& e) { events.push_back(e); }, nullptr);
    ChatDocument doc(ChatDocumentContext{clock, log, user, language, root.Path(), "1.0"}, views, nullptr);
    ASSERT_TRUE(doc.CreateViews());
    auto* view = views.Live().at(ViewRole::ChatText);
    host.resize(600, 400);
    view->resize(600, 400);
    host.show();
    doc.AppendChatLine(MessageTextSanitizer("[URL]example.invalid/a?x=1&y=2[/URL]", true), "Bob", ChatLineKind::Message);
    ASSERT_TRUE(WaitFor([&] { return view->Loaded(); }));
    Spin(300);
    // A double click as the browser sends it: two clicks counting up, then the double click.
    // The greeting has a link of its own; ours is the last.
    RunInPage(view, "var all = document.querySelectorAll('a.urllink'), a = all[all.length - 1];"
                    "[['click', 1], ['click', 2], ['dblclick', 2]].forEach(function (k) {"
                    "  a.dispatchEvent(new MouseEvent(k[0], {bubbles: true, cancelable: true, detail: k[1]})); });");
    ASSERT_TRUE(WaitFor([&] { return events.size() >= 3; }));
    EXPECT_EQ(events[0].className, "urllink");
    EXPECT_EQ(events[0].href, "http://example.invalid/a?x=1&y=2");
    EXPECT_NE(events[0].outerHtml.find("&amp;"), std::string::npos);
    EXPECT_EQ(events[0].clickCount, 1);
    EXPECT_EQ(events[1].clickCount, 2);
    EXPECT_EQ(events[2].kind, ViewEventKind::DoubleClick);
    doc.DestroyViews();
}

TEST(DesktopWindow, SkinColoursReachMenusAndAlerts) {
    HostedChat h;
    SkinMainElements m;
    m.menuBackground = {250, 240, 200};
    m.menuHighlight = {200, 30, 30};
    m.menuLeft = {30, 160, 30};
    m.menuText = {10, 10, 90};
    m.alertBackground = {30, 30, 160};
    m.alertText = {240, 240, 240};
    m.alertHighlight = {220, 160, 0};
    h.window.SetMainElements(m);

    QMenu menu(&h.window);
    menu.addAction("first");
    QAction* second = menu.addAction("second");
    menu.popup(QPoint(100, 100));
    ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
    menu.setActiveAction(second);
    Spin(100);
    const QImage shot = menu.grab().toImage();
    const QRect item = menu.actionGeometry(second);
    const QRect plain = menu.actionGeometry(menu.actions().first());
    EXPECT_EQ(shot.pixelColor(item.right() - 4, item.center().y()), QColor(200, 30, 30));
    EXPECT_EQ(shot.pixelColor(plain.right() - 4, plain.center().y()), QColor(250, 240, 200));
    EXPECT_EQ(shot.pixelColor(6, plain.center().y()), QColor(30, 160, 30));
    menu.hide();

    QMessageBox box(QMessageBox::Warning, "Alert from Bob", "hello", QMessageBox::Ok, &h.window);
    box.show();
    Spin(100);
    EXPECT_EQ(box.grab().toImage().pixelColor(3, 3), QColor(30, 30, 160));
}

TEST(DesktopWindow, SkinButtonsHaveToolTipsAndThePageInFrontIsMarked) {
    HostedChat h;
    h.window.SetMainElements(SkinMainElements{});
    const std::string picture = h.root.Path() + "skins/skinthemes/def/btn_main.png";
    const std::pair<const char*, int> names[] = {{"MAIN", ID_SHOW_MAIN},  {"BOARD", ID_SHOW_BOARD},
                                                 {"CONFERENCE", ID_SHOW_CONFERENCE}, {"SMILES", ID_SMILES},
                                                 {"MINIMIZE", ID_MINIMIZE}, {"CLOSE", ID_CLOSE}};
    for (const auto& [name, command] : names) {
        SkinButton b;
        b.name = name;
        b.command = command;
        h.window.AddButton(b, picture);
    }
    auto button = [&](const char* name) { return h.window.findChild<QToolButton*>(name); };
    EXPECT_EQ(button("MAIN")->toolTip().toStdString(), h.Lang(19));
    EXPECT_EQ(button("BOARD")->toolTip().toStdString(), h.Lang(16));
    EXPECT_EQ(button("SMILES")->toolTip().toStdString(), h.Lang(37));
    EXPECT_FALSE(button("MINIMIZE")->toolTip().isEmpty());
    EXPECT_FALSE(button("CLOSE")->toolTip().isEmpty());

    EXPECT_TRUE(button("MAIN")->isChecked());
    button("BOARD")->click();
    EXPECT_TRUE(button("BOARD")->isChecked());
    EXPECT_FALSE(button("MAIN")->isChecked());
    // A second click on the page in front leaves it marked.
    button("BOARD")->click();
    EXPECT_TRUE(button("BOARD")->isChecked());
    EXPECT_FALSE(button("SMILES")->isCheckable());

    // A page brought to the front by the chat itself (an accepted invitation) is marked too.
    QWidget second;
    h.window.PlaceView(&second, ViewRole::SecondText);
    h.window.show();
    h.chat.dlg->ShowPage(PageMode::Conference);
    second.show();
    EXPECT_TRUE(button("CONFERENCE")->isChecked());
    EXPECT_FALSE(button("BOARD")->isChecked());
    h.window.hide();
}

TEST(DesktopWindow, InputMenuCutsCopiesPastesAndSelectsAll) {
    HostedChat h;
    QGuiApplication::clipboard()->setText("pasted");
    InputBox* input = h.window.Input();
    input->SetText("hello");
    // Each use opens the menu anew, as a right click does.
    auto item = [&](const QString& prefix) -> std::unique_ptr<QAction> {
        QMenu menu;
        h.window.FillInputMenu(menu);
        for (QAction* a : menu.actions())
            if (a->text().remove('&').startsWith(prefix)) {
                a->setParent(nullptr);  // outlives the menu
                return std::unique_ptr<QAction>(a);
            }
        ADD_FAILURE() << "no " << prefix.toStdString() << " in " << Texts(menu).join("|").toStdString();
        return std::make_unique<QAction>();
    };
    const QString copy = QString::fromStdString(h.Lang(1)), paste = QString::fromStdString(h.Lang(120));
    EXPECT_FALSE(item("Cut")->isEnabled());  // nothing selected yet
    EXPECT_FALSE(item(copy)->isEnabled());
    item("Select All")->trigger();
    item(copy)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "hello");
    item("Cut")->trigger();
    EXPECT_EQ(input->Text(), "");
    item(paste)->trigger();
    item(paste)->trigger();
    EXPECT_EQ(input->Text(), "hellohello");
}

// Positions the chat gets count code-page bytes; characters beyond the code page survive an edit.
TEST(DesktopWindow, SmileAndSelectionPositionsBesideCharactersBeyondTheCodePage) {
    HostedChat h;
    InputBox* input = h.window.Input();
    MainWindowHost& host = h.window;
    // An emoji (two UTF-16 units), " пр ok", the caret after "пр".
    input->SetText(QString::fromUtf8("\xF0\x9F\x98\x80 \xD0\xBF\xD1\x80 ok"), 5);
    EXPECT_EQ(host.InputCaret(), std::string("&#128512; \xEF\xF0").size());
    const InputEdit edit = InsertSmileAlias(host.InputText(), host.InputCaret(), ":)");
    host.SetInputTextAt(edit.text, edit.caret);
    EXPECT_EQ(input->Text().toStdString(), "\xF0\x9F\x98\x80 \xD0\xBF\xD1\x80 :)  ok");
    EXPECT_EQ(input->Caret(), 9);
    // "пр" selected: its bytes in the text the chat sees.
    QTextCursor c = input->textCursor();
    c.setPosition(3);
    c.setPosition(5, QTextCursor::KeepAnchor);
    input->setTextCursor(c);
    EXPECT_EQ(host.InputSelection(), (std::pair<size_t, size_t>{10, 12}));
}

TEST(DesktopWindow, SmilesWindowIsTitledFromTheLanguage) {
    HostedChat h;
    QWidget smiles;
    h.window.PlaceView(&smiles, ViewRole::Smiles);
    EXPECT_EQ(smiles.windowTitle().toStdString(), h.Lang(65));
}

// "Copy to input" reads the page's selection: nothing selected puts nothing in, whatever the
// clipboard holds, and what was taken is not taken twice.
TEST(DesktopWindow, CopyToInputTakesThePagesSelectionOnly) {
    HostedChat h;
    WebViewFactory views(h.root.Path(), nullptr, nullptr, nullptr);
    std::unique_ptr<HtmlView> owned = views.CreateView(ViewRole::ChatText);
    CZeltoChatText* view = views.Live().at(ViewRole::ChatText);
    h.window.PlaceView(view, ViewRole::ChatText);
    h.window.show();
    view->WritePage("<html><body>line <span id=\"pick\">picked words</span> end</body></html>");
    ASSERT_TRUE(WaitFor([&] { return view->Loaded(); }));
    QGuiApplication::clipboard()->setText("old clipboard");
    InputBox* input = h.window.Input();
    input->SetText("x ");
    h.window.CopySelectionToInput(ViewRole::ChatText);
    Spin(400);
    EXPECT_EQ(input->Text(), "x ");
    RunInPage(view, "var r = document.createRange(); r.selectNodeContents(document.getElementById('pick'));"
                    "window.getSelection().addRange(r);");
    h.window.CopySelectionToInput(ViewRole::ChatText);
    EXPECT_TRUE(WaitFor([&] { return input->Text() == "x picked words"; })) << input->Text().toStdString();
    h.window.CopySelectionToInput(ViewRole::ChatText);
    Spin(400);
    EXPECT_EQ(input->Text(), "x picked words");
}

TEST(DesktopWindow, QuestionNamesWhoAsks) {
    QtDialogService dialogs(nullptr);
    int answer = -1;
    dialogs.AskQuestion("Conference invitation from Alice", "Do you want to join the conference?",
                        [&](bool yes) { answer = yes; });
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
        return box != nullptr;
    }));
    EXPECT_TRUE(box->text().contains("Alice"));
    EXPECT_TRUE(box->text().contains("join the conference"));
    box->button(QMessageBox::No)->click();
    EXPECT_TRUE(WaitFor([&] { return answer == 0; }));

    // A numbered question the chat withdraws closes without an answer.
    answer = -1;
    dialogs.AskNumbered(3, "[3] File from Mallory", "setup.exe?", [&](bool yes) { answer = yes; });
    QPointer<QMessageBox> numbered;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible() && b->text().contains("Mallory")) numbered = b;
        return numbered != nullptr;
    }));
    dialogs.Withdraw(3);
    EXPECT_TRUE(WaitFor([&] { return numbered.isNull(); }));
    EXPECT_EQ(answer, -1);
}

}  // namespace zc
