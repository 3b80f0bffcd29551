#pragma once
#include <functional>
#include <memory>
#include <string>

#include "net/chat_line.h"
#include "platform/html_view.h"

namespace zc {

class Clock;
class DebugLog;
class LanguageTable;
class MainWindowHost;
struct LocalUser;

// One line as it was appended to a chat page.
struct ChatLineEvent {
    ChatLineKind kind = ChatLineKind::Message;
    ChatPage page = ChatPage::Main;
    std::string sender;  // the name the line stands under; empty for none
    std::string text;    // the line's own text, before the page's markup
    std::string html;    // the whole line as the page got it
};
using ChatLineListener = std::function<void(const ChatLineEvent&)>;

inline const char kProductSiteHost[] = "www.zeltochat.org";
// Past this many bytes of lines a chat page is cleared, as past its line limit: a flood of long
// lines must not grow the browser's document without end.
inline constexpr size_t kMaxChatPageBytes = 4u << 20;

struct ChatDocumentContext {
    const Clock& clock;
    const DebugLog& log;
    const LocalUser& user;
    const LanguageTable& language;
    std::string programFolder;  // ends in "/"
    std::string version;
    std::string theme = "def";
    std::string textStyle = "text.css";
};

// The public and the second chat page: their shells, their lines and their clearing.
class ChatDocument {
public:
    ChatDocument(ChatDocumentContext context, ViewFactory& factory, MainWindowHost* host);

    void SetTheme(const std::string& theme, const std::string& textStyle);
    void SetSmileSubstitution(std::function<std::string(const std::string&)> substitute);

    // Creates the chat views (the second one too) and writes their pages.
    bool CreateViews();
    void DestroyViews();
    HtmlView* ChatTextView() const { return chatText_.get(); }
    HtmlView* SecondTextView() const { return secondText_.get(); }

    std::string PageShell(bool withGreeting) const;
    bool PrepareText(HtmlView* view, bool withGreeting);
    void AppendChatLine(const std::string& text, const std::string& name, ChatLineKind kind, HtmlView* view = nullptr,
                        bool withTime = true, bool withBreak = true);
    void SetLineListener(ChatLineListener listener) { listener_ = std::move(listener); }
    // The page in front (the clear-chat command), or one page by name.
    void ClearPage();
    void ClearPage(ChatPage page);

    std::string UserNameSpan(const std::string& name) const;
    std::string TimeStampSpan() const;
    std::string ColourOverride(const std::string& name, int which) const;
    std::string LineBody(const std::string& body, const std::string& name, ChatLineKind kind) const;

    int LineCount(const HtmlView* view) const;
    bool SecondPagePrepared() const { return secondPrepared_; }

private:
    ChatDocumentContext ctx_;
    ViewFactory& factory_;
    MainWindowHost* host_;
    std::function<std::string(const std::string&)> substitute_;
    ChatLineListener listener_;
    std::unique_ptr<HtmlView> chatText_, secondText_;
    int chatLines_ = 0, secondLines_ = 0;
    size_t chatBytes_ = 0, secondBytes_ = 0;
    bool secondPrepared_ = false;
};

}  // namespace zc
