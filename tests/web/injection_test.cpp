// Peer texts loaded into real browser views: no script of theirs runs, nothing navigates.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineScript>

#include "base/debug_log.h"
#include "base/language.h"
#include "base/settings.h"
#include "base/text_helpers.h"
#include "net/chat_packet.h"
#include "net/commands.h"
#include "support/fakes.h"
#include "support/lan_host.h"
#include "support/temp_root.h"
#include "gui/web/page_scheme.h"
#include "gui/web/web_view_factory.h"
#include "ui/html/chat_document.h"
#include "ui/html/user_list_page.h"
#include "base/message_text.h"

namespace zc {
namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QVariant RunMainWorld(CZeltoChatText* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->Page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    for (int i = 0; i < 100 && !done; ++i) Wait(20);
    return result;
}

bool WaitLoaded(CZeltoChatText* view) {
    for (int i = 0; i < 250 && !view->Loaded(); ++i) Wait(20);
    return view->Loaded();
}

// Hover, click and double-click everything, as a curious user would.
void TouchEverything(CZeltoChatText* view) {
    RunMainWorld(view, "document.querySelectorAll('*').forEach(function (e) {"
                       "  ['mouseover', 'mouseout', 'mousedown', 'click', 'dblclick'].forEach(function (k) {"
                       "    e.dispatchEvent(new MouseEvent(k, {bubbles: true, cancelable: true}));"
                       "  });"
                       "}); document.querySelectorAll('a').forEach(function (a) { a.click(); }); 1");
    Wait(1000);
}

// Elements with an event attribute other than the page's own (a pattern of attribute names).
int ForeignEventAttributes(CZeltoChatText* view, const QString& ours) {
    return RunMainWorld(view, "Array.from(document.querySelectorAll('*')).filter(function (e) {"
                              "  return Array.from(e.attributes).some(function (a) {"
                              "    return /^on/i.test(a.name) && !/^(" + ours + ")$/i.test(a.name); });"
                              "}).length").toInt();
}

struct Corpus {
    const char* nickname;
    const char* message;
};

// Every way a peer might try to get markup or script into a page.
const Corpus kCorpus[] = {
    {"Eve\" onmouseover=\"window.__pwned=1", "hello"},
    {"Eve' onmouseover='window.__pwned=1", "hi"},
    {"<script>window.__pwned=1</script>", "<script>window.__pwned=1</script>"},
    {"Mallory", "<img src=x onerror=window.__pwned=1>"},
    {"Mallory", "\"><svg onload=window.__pwned=1>"},
    {"Mallory", "[URL]javascript:window.__pwned=1[/URL]"},
    {"Mallory", "[URL]javascript&colon;window.__pwned=1[/URL]"},
    {"Mallory", "[URL]javascript:window.__pwned=1//mailto:x@y[/URL]"},
    {"Mallory", "[URL]\\\\host\" onclick=\"window.__pwned=1[/URL]"},
    {"Mallory", "www.x.org\" onmouseover=\"window.__pwned=1"},
    {"Mallory", "[IMG]/etc/passwd\" onerror=\"window.__pwned=1[/IMG]"},
    {"Mallory", "[IMG]x' onerror='window.__pwned=1[/IMG]"},
    {"Mallory", "mailto:a\" onclick=\"window.__pwned=1"},
    {"Mallory", "&#60;script&#62;window.__pwned=1&#60;/script&#62;"},
    {"Mallory", "[URL]data:text/html,&lt;script&gt;parent.__pwned=1&lt;/script&gt;[/URL]"},
};

}  // namespace

TEST(InjectionCorpus, NoScriptRunsAndNothingNavigates) {
    test::TempRoot root;
    test::FakeClock clock;
    DebugLog log(clock, "");
    LocalUser user;
    user.nickname = "Me";
    user.showTime = true;
    LanguageTable language;
    language.LoadLanguageFile("english", log);
    QWidget host;
    std::vector<ViewEvent> events;
    WebViewFactory views(root.Path(), &host, [&](ViewRole, const ViewEvent& e) { events.push_back(e); }, nullptr);
    ChatDocument doc(ChatDocumentContext{clock, log, user, language, root.Path(), "1.0"}, views, nullptr);
    ASSERT_TRUE(doc.CreateViews());
    auto* view = views.Live().at(ViewRole::ChatText);
    host.resize(600, 800);
    view->resize(600, 800);
    host.show();
    ASSERT_TRUE(WaitLoaded(view));
    const QUrl page = view->url();

    for (const Corpus& c : kCorpus) {
        const std::string name = MessageTextSanitizer(c.nickname, true);
        const std::string text = MessageTextSanitizer(c.message, true);
        doc.AppendChatLine(text, name, ChatLineKind::Message);
        doc.AppendChatLine(doc.UserNameSpan(name) + ": " + text, "", ChatLineKind::Private);
    }
    Wait(500);
    TouchEverything(view);

    EXPECT_EQ(RunMainWorld(view, "typeof window.__pwned").toString(), "undefined");
    EXPECT_EQ(view->url().toString().toStdString(), page.toString().toStdString());
    EXPECT_EQ(RunMainWorld(view, "document.querySelectorAll('a[href^=\"javascript\"]').length").toInt(), 0);
    const QString body = RunMainWorld(view, "document.body.innerHTML").toString();
    // No element of a peer's making: no scripts, no pictures, no frames, no event attributes but ours.
    EXPECT_EQ(RunMainWorld(view, "document.querySelectorAll('script,img,svg,iframe,object,embed').length").toInt(), 0);
    EXPECT_EQ(ForeignEventAttributes(view, "onmouseover|onmouseout"), 0);
    EXPECT_GT(body.count("class=\"username\""), 10);  // the lines did arrive
    // Clicks on links reach the program, never the browser.
    EXPECT_FALSE(events.empty());
    doc.DestroyViews();
}

// Strangers' names, mode texts and avatar names as a chat on the fake LAN lists them, in a real view.
TEST(InjectionCorpus, UserListShowsPeerTextsAsText) {
    test::FakeLan lan;
    test::Host alice{lan, "Alice", "10.0.0.1", std::string("\x02\x00\x00\x00\x00\x01", 6)};
    alice.Start();
    auto here = [&](const std::string& ip, const std::string& name, const std::string& avatar,
                    const std::string& mode) {
        const std::string head = ip + "(02000000" + ReplaceAll(ip, ".", "") + ")||" + name + "||" + avatar + "||";
        const std::string text = head + kEveryone + "||0||" + std::to_string(CMD_HERE) + "||1:" + mode + "//end";
        alice.dlg().OnPacketText(alice.dlg().Codec().EncodeText(text), ip);
    };
    const std::string bait = "x onerror=window.__pwned=1 y.png";
    alice.root.Write("avatars/" + bait, "not a picture");  // a plain file name to the transfer
    here("10.0.0.66", "Mallory", "", "[IMG]/etc/hostname[/IMG]");
    here("10.0.0.67", "Trudy", bait, "a\" onmouseover=\"window.__pwned=1");
    here("10.0.0.68", "Eve\" onmouseover=\"window.__pwned=1", "", "<b onmouseover=window.__pwned=1>bold</b>");
    here("10.0.0.69", "Zed", "", "123456789012345&#128512;xyz and more");
    alice.chat.timers.Advance(4000);

    QWidget host;
    WebViewFactory views(alice.root.Path(), &host, nullptr, nullptr);
    std::unique_ptr<HtmlView> owned = views.CreateView(ViewRole::UserList);
    auto* view = views.Live().at(ViewRole::UserList);
    host.show();
    ASSERT_TRUE(PrepareUserList(view, alice.root.Path(), "def", "list.css"));
    ASSERT_TRUE(WaitLoaded(view));
    const QUrl page = view->url();
    const test::FakeView* list = alice.chat.views.Live(ViewRole::UserList);
    ASSERT_TRUE(view->SetInnerHtmlById("LIST_TEXT", list->InnerHtmlById("LIST_TEXT")));
    view->Flush();
    TouchEverything(view);

    EXPECT_EQ(RunMainWorld(view, "typeof window.__pwned").toString(), "undefined");
    EXPECT_EQ(view->url().toString().toStdString(), page.toString().toStdString());
    EXPECT_EQ(ForeignEventAttributes(view, "onload"), 0);
    // Trudy's avatar is listed under its own name, which stays one file name inside the attribute.
    EXPECT_EQ(RunMainWorld(view, "document.images.length + ' ' + "
                                 "decodeURIComponent(document.images[0].getAttribute('src')).split('/').pop()")
                  .toString().toStdString(),
              "1 " + bait);
    // Names and mode texts as sent; the cut keeps a character reference whole.
    EXPECT_EQ(RunMainWorld(view, "Array.from(document.querySelectorAll('.username')).map("
                                 "function (e) { return e.textContent; }).join('|')").toString().toStdString(),
              "Eve\" onmouseover=\"window.__pwned=1|Mallory|Trudy|Zed");
    const std::string modes = RunMainWorld(view, "Array.from(document.querySelectorAll('font')).map(function (e) {"
                                                 "  return e.parentNode.title + '=' + e.textContent; }).join('|')")
                                  .toString().toStdString();
    for (const char* shown : {"[IMG]/etc/hostname[/IMG]  =[IMG]/etc/hostnam...", "=123456789012345\xF0\x9F\x98\x80x...",
                              "<b onmouseover=window.__pwned=1>bold</b>  =<b onmouseover=wi..."})
        EXPECT_NE(modes.find(shown), std::string::npos) << shown << " in " << modes;
}

TEST(WebView, AppendKeepsEarlierLinesAndDocumentDumps) {
    test::TempRoot root;
    test::FakeClock clock;
    DebugLog log(clock, "");
    LocalUser user;
    LanguageTable language;
    QWidget host;
    WebViewFactory views(root.Path(), &host, nullptr, nullptr);
    ChatDocument doc(ChatDocumentContext{clock, log, user, language, root.Path(), "1.0"}, views, nullptr);
    ASSERT_TRUE(doc.CreateViews());
    auto* view = views.Live().at(ViewRole::ChatText);
    host.show();
    // Lines written before the page finished loading must not be lost.
    for (int i = 0; i < 50; ++i) doc.AppendChatLine("line " + std::to_string(i) + " \xEF\xF0\xE8\xE2\xE5\xF2", "", ChatLineKind::Alert);
    ASSERT_TRUE(WaitLoaded(view));
    Wait(300);
    const std::string dumped = view->CurrentDocument();
    EXPECT_NE(dumped.find("line 0 \xEF\xF0\xE8\xE2\xE5\xF2"), std::string::npos);
    EXPECT_NE(dumped.find("line 49"), std::string::npos);
    EXPECT_NE(dumped.find("ENDOFTEXT"), std::string::npos);
    doc.DestroyViews();
}

}  // namespace zc

int main(int argc, char** argv) {
    zc::PageSchemeHandler::RegisterScheme();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
