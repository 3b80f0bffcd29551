#include "ui/html/chat_document.h"

#include "base/debug_log.h"
#include "base/ini_file.h"
#include "base/language.h"
#include "base/message_text.h"
#include "base/settings.h"
#include "base/text_helpers.h"
#include "platform/clock.h"
#include "platform/main_window_host.h"
#include "ui/html/markup.h"
#include "ui/html/skin_theme.h"

namespace zc {

ChatDocument::ChatDocument(ChatDocumentContext context, ViewFactory& factory, MainWindowHost* host)
    : ctx_(std::move(context)), factory_(factory), host_(host) {}

void ChatDocument::SetTheme(const std::string& theme, const std::string& textStyle) {
    ctx_.theme = theme;
    ctx_.textStyle = textStyle;
}

void ChatDocument::SetSmileSubstitution(std::function<std::string(const std::string&)> substitute) {
    substitute_ = std::move(substitute);
}

bool ChatDocument::CreateViews() {
    chatText_ = factory_.CreateView(ViewRole::ChatText);
    secondText_ = factory_.CreateView(ViewRole::SecondText);
    chatLines_ = secondLines_ = 0;
    chatBytes_ = secondBytes_ = 0;
    secondPrepared_ = false;
    bool ok = chatText_ && PrepareText(chatText_.get(), true);
    if (secondText_) PrepareText(secondText_.get(), false);
    return ok;
}

void ChatDocument::DestroyViews() {
    chatText_.reset();
    secondText_.reset();
}

std::string ChatDocument::PageShell(bool withGreeting) const {
    std::string page =
        "<html><head>\n"
        "<meta name=\"vs_targetSchema\" content=\"http://schemas.microsoft.com/intellisense/ie5\">\n"
        "<title>Zelto Chat</title>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";
    page += StyleSheetLink(ctx_.programFolder, ctx_.theme, ctx_.textStyle);
    page += "</head>\n<body id=\"BODY_TEXT\">\n";
    if (withGreeting) {
        page += "<span class=\"copyright\">" + ctx_.language.LangString(72) + " Zelto Chat " + ctx_.version +
                ", </span><span class=\"myname\">" + ctx_.user.nickname +
                "</span><br><hr align=\"left\" width=\"300\" size=\"1\" noshade><span class=\"system\">&gt;&gt; "
                "<a class=\"urllink\" href=\"http://" +
                std::string(kProductSiteHost) + "\">" + kProductSiteHost + "</a></span>\n<br><Br>";
        page += "\n<span id=\"ENDOFTEXT\"></span>\n";
    }
    page += "\n</body></html>";
    return page;
}

bool ChatDocument::PrepareText(HtmlView* view, bool withGreeting) {
    bool ok = view && view->WritePage(PageShell(withGreeting));
    ctx_.log.Write(ok ? ":::PrepareText...OK" : ":::PrepareText...FALSE");
    if (ok && !withGreeting && view == secondText_.get()) secondPrepared_ = true;
    return ok;
}

std::string ChatDocument::ColourOverride(const std::string& name, int which) const {
    const std::string key = name + (which == 0 ? "MESSAGECOLOR" : "NAMECOLOR");
    std::string value = ReadIniValue(ctx_.user.ProfilePath(), "OVERRIDE", key);
    if (value.size() >= 4) return MessageTextSanitizer(value, true);
    return name;
}

std::string ChatDocument::UserNameSpan(const std::string& name) const {
    const std::string k = ColourOverride(name, 1);
    if (k == name)
        return "<span OnMouseOver=\"this.className='usernameover'\" OnMouseOut=\"this.className='username'\" "
               "class=\"username\">&lt;" +
               name + "&gt;</span>";
    return "<span OnMouseOver=\"this.className='usernameover';this.style.color=''\" "
           "OnMouseOut=\"this.className='username';this.style.color='" +
           k + "'\" style=\"color='" + k + "'\" class=\"username\">&lt;" + name + "&gt;</span>";
}

std::string ChatDocument::TimeStampSpan() const {
    if (!ctx_.user.showTime) return {};
    std::string format = ValueOrDefault(ctx_.user.timeStampFormat, "[%H:%M:%S] ");
    return "<span class=\"time\">" + FormatTime(format, ctx_.clock.LocalTime(ctx_.clock.Now())) + "</span>";
}

std::string ChatDocument::LineBody(const std::string& body, const std::string& name, ChatLineKind kind) const {
    auto wrap = [&](const char* cls) { return "<span class=\"" + std::string(cls) + "\">" + body + "</span>"; };
    switch (kind) {
        case ChatLineKind::Message: {
            const std::string k = ColourOverride(name, 0);
            if (k == name) return "<span>" + body + "</span>";
            return "<span style=\"color:" + k + "\">" + body + "</span>";
        }
        case ChatLineKind::ExitUser: return wrap("exituser");
        case ChatLineKind::EnterUser: return wrap("enteruser");
        case ChatLineKind::Private: return wrap("private");
        case ChatLineKind::ChangeMode: return wrap("changemode");
        case ChatLineKind::Alert: return wrap("alert");
        case ChatLineKind::AlertRead: return wrap("alertread");
        case ChatLineKind::AlertExist: return wrap("alertexist");
        case ChatLineKind::Sound: return wrap("sound");
        case ChatLineKind::Notify:
        case ChatLineKind::TransferNotify: return wrap("notify");
        case ChatLineKind::OwnMessage:
            return "<span class=\"mymessage\"><span class=\"myname\">&lt" + ctx_.user.nickname + "&gt</span> " + body +
                   "</span>";
    }
    return {};
}

void ChatDocument::AppendChatLine(const std::string& text, const std::string& name, ChatLineKind kind, HtmlView* view,
                                  bool withTime, bool withBreak) {
    if (!view) view = chatText_.get();
    if (!view) return;
    std::string body = ReplaceAll(text, "\n", "<br>");
    if (!ctx_.user.disableSmiles && substitute_) body = substitute_(body);
    std::string line = LineBody(body, name, kind);
    if (!name.empty()) line = UserNameSpan(name) + ":&nbsp;" + line;
    if (withTime) line = TimeStampSpan() + line;
    if (withBreak) line += "<br>";
    line = ChatUrlLinker(line);
    // A page at its limit of lines or bytes is cleared first (once, whichever page is in front),
    // so the line opens the fresh page instead of going down with the old one.
    const bool second = view == secondText_.get();
    const bool counted = view == chatText_.get() || second;
    int& lines = second ? secondLines_ : chatLines_;
    size_t& bytes = second ? secondBytes_ : chatBytes_;
    if (counted && (lines + 1 > ctx_.user.lineLimit || bytes + line.size() > kMaxChatPageBytes)) {
        ClearPage(second ? ChatPage::Second : ChatPage::Main);
        view = second ? secondText_.get() : chatText_.get();
        if (!view) return;
    }
    view->AppendToBody(line);
    if (counted) {
        ++lines;
        bytes += line.size();
    }
    if (listener_) listener_({kind, second ? ChatPage::Second : ChatPage::Main, name, text, line});
    if (ctx_.user.lookMode) view->ScrollToEnd();
    if (host_ && host_->IsWindowVisible()) host_->FocusInput();
}

void ChatDocument::ClearPage() {
    if (ctx_.user.pageMode == PageMode::Main) ClearPage(ChatPage::Main);
    else if (ctx_.user.pageMode == PageMode::Conference) ClearPage(ChatPage::Second);
}

void ChatDocument::ClearPage(ChatPage page) {
    const bool second = page == ChatPage::Second;
    if (second && !secondText_) return;
    std::unique_ptr<HtmlView>& view = second ? secondText_ : chatText_;
    view = factory_.CreateView(second ? ViewRole::SecondText : ViewRole::ChatText);
    (second ? secondLines_ : chatLines_) = 0;
    (second ? secondBytes_ : chatBytes_) = 0;
    PrepareText(view.get(), !second);
    const PageMode shownWith = second ? PageMode::Conference : PageMode::Main;
    if (view) view->SetVisible(ctx_.user.pageMode == shownWith);
}

int ChatDocument::LineCount(const HtmlView* view) const {
    if (view == chatText_.get()) return chatLines_;
    if (view == secondText_.get()) return secondLines_;
    return 0;
}

}  // namespace zc
