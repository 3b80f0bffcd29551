#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/html_view.h"

namespace zc {

class Clock;
class DebugLog;
class LanguageTable;
class MainWindowHost;
struct LocalUser;

enum ChatLineKind {
    Message = 0,
    ExitUser = 3,
    EnterUser = 4,
    Private = 5,
    ChangeMode = 7,
    Alert = 8,
    AlertRead = 9,
    AlertExist = 10,
    Sound = 11,
    Notify = 13,
    TransferNotify = 15,
    OwnMessage = 27,
};

inline const char kProductSiteHost[] = "www.zeltochat.org";

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
    void AppendChatLine(const std::string& text, const std::string& name, int kind, HtmlView* view = nullptr,
                        bool withTime = true, bool withBreak = true);
    void ClearPage();

    std::string UserNameSpan(const std::string& name) const;
    std::string TimeStampSpan() const;
    std::string ColourOverride(const std::string& name, int which) const;
    std::string LineBody(const std::string& body, const std::string& name, int kind) const;

    int LineCount(const HtmlView* view) const;
    bool SecondPagePrepared() const { return secondPrepared_; }

private:
    ChatDocumentContext ctx_;
    ViewFactory& factory_;
    MainWindowHost* host_;
    std::function<std::string(const std::string&)> substitute_;
    std::unique_ptr<HtmlView> chatText_, secondText_;
    int chatLines_ = 0, secondLines_ = 0;
    bool secondPrepared_ = false;
};

}  // namespace zc
