#include "ui/html/chat_document.h"

#include <gtest/gtest.h>

#include "base/debug_log.h"
#include "base/language.h"
#include "base/settings.h"
#include "support/fakes.h"
#include "support/temp_root.h"

namespace zc {
using namespace zc::test;

namespace {
struct Page {
    Page() {
        user.nickname = "Me";
        user.showTime = true;
        language.LoadLanguageFile("english", log);
        doc.CreateViews();
    }
    FakeView* Chat() const { return views.Live(ViewRole::ChatText); }
    FakeClock clock{1765188000};
    DebugLog log{clock, ""};
    LocalUser user;
    LanguageTable language;
    FakeViewFactory views;
    FakeWindow window;
    ChatDocument doc{ChatDocumentContext{clock, log, user, language, "/r/", "1.0"}, views, &window};
};
}  // namespace

TEST(ChatDocument, LineFragmentsByKind) {
    TempRoot root;
    Page p;
    const std::string before = p.Chat()->Body();
    p.doc.AppendChatLine("a\nb", "", ChatLineKind::Alert);
    EXPECT_EQ(p.Chat()->Body(), before + "<span class=\"time\">[10:00:00] </span><span class=\"alert\">a<br>b</span><br>");
    p.user.showTime = false;
    p.doc.AppendChatLine("mine", "", ChatLineKind::OwnMessage, nullptr, true, false);
    EXPECT_NE(p.Chat()->Body().find("<span class=\"mymessage\"><span class=\"myname\">&ltMe&gt</span> mine</span>"),
              std::string::npos);
    EXPECT_EQ(p.doc.LineBody("x", "", static_cast<ChatLineKind>(12)), "");
    EXPECT_EQ(p.doc.LineBody("x", "", ChatLineKind::TransferNotify), "<span class=\"notify\">x</span>");
}

TEST(ChatDocument, NameSpanAndColourOverride) {
    TempRoot root;
    root.Write("profiles/default.cfg", "[OVERRIDE]\r\nBobNAMECOLOR=#FF0000\r\nBobMESSAGECOLOR=#00FF00\r\nEveNAMECOLOR=#F0\r\n");
    Page p;
    EXPECT_EQ(p.doc.UserNameSpan("Eve"),
              "<span OnMouseOver=\"this.className='usernameover'\" OnMouseOut=\"this.className='username'\" "
              "class=\"username\">&lt;Eve&gt;</span>");
    EXPECT_EQ(p.doc.UserNameSpan("Bob"),
              "<span OnMouseOver=\"this.className='usernameover';this.style.color=''\" "
              "OnMouseOut=\"this.className='username';this.style.color='#FF0000'\" style=\"color='#FF0000'\" "
              "class=\"username\">&lt;Bob&gt;</span>");
    EXPECT_EQ(p.doc.LineBody("hi", "Bob", ChatLineKind::Message), "<span style=\"color:#00FF00\">hi</span>");
    EXPECT_EQ(p.doc.LineBody("hi", "Eve", ChatLineKind::Message), "<span>hi</span>");
}

TEST(ChatDocument, LineLimitClearsThePageThatPassedItOnceAndTheLineOpensTheFreshPage) {
    TempRoot root;
    Page p;
    p.user.lineLimit = 3;
    p.user.pageMode = PageMode::Conference;  // the second page is read while the main page fills
    p.doc.AppendChatLine("conference talk", "", ChatLineKind::Private, p.doc.SecondTextView());
    for (int i = 0; i < 3; ++i) p.doc.AppendChatLine("line", "", ChatLineKind::Alert);
    EXPECT_EQ(p.views.Created(ViewRole::ChatText), 1);
    p.doc.AppendChatLine("the fourth line", "", ChatLineKind::Alert);
    EXPECT_EQ(p.views.Created(ViewRole::ChatText), 2);
    EXPECT_EQ(p.doc.LineCount(p.Chat()), 1);
    EXPECT_NE(p.Chat()->Body().find("the fourth line"), std::string::npos);
    EXPECT_NE(p.Chat()->Body().find("ENDOFTEXT"), std::string::npos);
    EXPECT_FALSE(p.Chat()->Visible());  // cleared behind the page in front, and stays behind it
    // Further public lines never wipe the page the user is reading.
    for (int i = 0; i < 2; ++i) p.doc.AppendChatLine("more", "", ChatLineKind::Alert);
    EXPECT_EQ(p.views.Created(ViewRole::SecondText), 1);
    EXPECT_NE(p.views.Live(ViewRole::SecondText)->Body().find("conference talk"), std::string::npos);

    // The clear command clears the page in front.
    p.doc.ClearPage();
    EXPECT_EQ(p.views.Created(ViewRole::SecondText), 2);
    EXPECT_TRUE(p.views.Live(ViewRole::SecondText)->Visible());
    EXPECT_EQ(p.views.Created(ViewRole::ChatText), 2);
}

TEST(ChatDocument, FailedPageWriteIsLogged) {
    TempRoot root;
    FakeClock clock;
    DebugLog log(clock, "");
    LocalUser user;
    LanguageTable language;
    FakeViewFactory views;
    views.failChatWrites = true;
    ChatDocument doc(ChatDocumentContext{clock, log, user, language, "/r/", "1.0"}, views, nullptr);
    EXPECT_FALSE(doc.CreateViews());
    EXPECT_NE(ReadFileBytes(log.CurrentFilePath()).find(":::PrepareText...FALSE"), std::string::npos);
    EXPECT_TRUE(doc.SecondPagePrepared());
}

}  // namespace zc
