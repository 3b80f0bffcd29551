#include "cli/terminal_session.h"

#include <algorithm>
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "cli/chat_line_text.h"
#include "cli/console.h"
#include "cli/console_dialogs.h"
#include "net/outgoing_forms.h"
#include "services/board_store.h"
#include "services/history.h"

namespace zc {

TerminalSession::TerminalSession(CChatMainDlg& chat, ConsoleDialogs& dialogs, Console& console)
    : chat_(chat), dialogs_(dialogs), console_(console) {}

std::string TerminalSession::CommandHelp() {
    return "Type a line and Enter to send it to the page in front (the public chat unless /page says\n"
           "otherwise). The input forms of the chat work as typed:\n"
           "  MSG->Name: text         private message to Name\n"
           "  ALERT->Name: text       alert to Name\n"
           "  SOUND->Name             sound signal to Name\n"
           "  MSGGROUP->Group: text   private message to every member of a user group\n"
           "  ALERTGROUP->Group: text alert to every member of a user group\n"
           "  MODE->N                 switch your mode (1 to 4)\n"
           "Commands of the terminal:\n"
           "  /users      list the users: name, mode, address, identity\n"
           "  /who        ask everybody to announce themselves again\n"
           "  /page N     send typed text to page N: 0 public chat, 1 board, 2 conference\n"
           "  /board      print the board's messages, newest first in each category\n"
           "  /delete F   delete board message F (the file name /board shows); yours goes everywhere\n"
           "  /history    this month's public chat history: its file and last 20 lines\n"
           "  /history private   the same for private messages and alerts\n"
           "  /yes, /no   answer the oldest open alert or question (either confirms an alert)\n"
           "  /quit       leave the chat (end of input does the same)\n"
           "  /help       this text\n"
           "  //text      send \"/text\"\n";
}

void TerminalSession::OnLine(const std::string& utf8) {
    if (quitting_) return;
    if (!ready_) {
        waiting_.push_back(utf8);
        return;
    }
    Run(utf8);
}

void TerminalSession::OnInputEnd() {
    inputEnded_ = true;
    if (ready_) Quit();
}

void TerminalSession::SetReady() {
    if (ready_) return;
    ready_ = true;
    while (!waiting_.empty() && !quitting_) {
        const std::string line = std::move(waiting_.front());
        waiting_.pop_front();
        Run(line);
    }
    waiting_.clear();
    if (inputEnded_) Quit();
}

void TerminalSession::Quit() {
    if (quitting_) return;
    quitting_ = true;
    chat_.EndDialog();
}

void TerminalSession::Run(const std::string& utf8) {
    if (quitting_) return;
    if (!utf8.empty() && utf8[0] == '/' && utf8.rfind("//", 0) != 0) return RunCommand(utf8);
    SendTyped(utf8.rfind("//", 0) == 0 ? utf8.substr(1) : utf8);
}

void TerminalSession::SendTyped(const std::string& utf8) {
    const std::string text = Utf8ToCp1251(utf8);
    // The chat drops a message to a name it does not know without a word; say so here.
    const InputForm form = ParseInputForm(text, chat_.Global().showImages);
    const bool toUser = form.keyword == InputKeyword::Msg || form.keyword == InputKeyword::Alert;
    if (toUser || form.keyword == InputKeyword::Sound) {
        const std::string keyword = form.keyword == InputKeyword::Msg ? "MSG" : toUser ? "ALERT" : "SOUND";
        if (form.recipient.empty())
            console_.Note("no recipient: write " + keyword + "->Name" + (toUser ? ": text" : ""));
        else if (chat_.Roster().IdOfName(form.recipient).size() <= 1)
            console_.Note("nobody called " + ChatLineText(form.recipient) +
                          " is here (/users lists them, /who asks again)");
    }
    chat_.SendChatMessage(text);
}

void TerminalSession::RunCommand(const std::string& line) {
    const size_t space = line.find_first_of(" \t");
    const std::string name = line.substr(0, space);
    std::string arg = space == std::string::npos ? "" : line.substr(space + 1);
    arg.erase(0, arg.find_first_not_of(" \t"));
    arg.erase(arg.find_last_not_of(" \t") + 1);

    if (name == "/quit" || name == "/exit") {
        Quit();
    } else if (name == "/help") {
        std::string help = CommandHelp();
        for (size_t start = 0, nl; (nl = help.find('\n', start)) != std::string::npos; start = nl + 1)
            console_.Line(help.substr(start, nl - start));
    } else if (name == "/users") {
        PrintUsers();
    } else if (name == "/who") {
        chat_.RefreshPresence();
        console_.Note("asked everybody to announce themselves");
    } else if (name == "/board") {
        PrintBoard();
    } else if (name == "/history") {
        if (!arg.empty() && arg != "private") {
            console_.Note("/history shows the public chat's history, /history private the private one's");
            return;
        }
        PrintHistory(arg.empty());
    } else if (name == "/delete") {
        DeleteBoardMessage(arg);
    } else if (name == "/page") {
        if (arg != "0" && arg != "1" && arg != "2") {
            console_.Note("/page takes 0 (public chat), 1 (board) or 2 (conference)");
            return;
        }
        chat_.ShowPage(static_cast<PageMode>(arg[0] - '0'));
        console_.Note("typed text goes to page " + arg);
    } else if (name == "/yes" || name == "/no") {
        if (!dialogs_.Answer(name == "/yes")) console_.Note("nothing to answer");
    } else {
        console_.Note("unknown command " + name + " (/help lists them; //text sends \"/text\")");
    }
}

void TerminalSession::PrintBoard() {
    std::vector<std::string> names = BoardFileNames();
    std::reverse(names.begin(), names.end());  // later files first, as on the board page
    const bool showImages = chat_.Global().showImages;
    auto text = [&](const std::string& s) { return ChatLineText(MessageTextSanitizer(s, true, showImages)); };
    int shown = 0;
    for (int category = 1; category <= 4; ++category) {
        bool heading = false;
        for (const std::string& name : names) {
            const std::string path = std::string(kBoardFolder) + "/" + name;
            std::vector<std::string> lines;
            if (!CheckBoardExpiry(chat_.ChatClock(), path, chat_.User().boardMessageLife) ||
                !ReadBoardLines(path, lines))
                continue;
            int own = 4;
            std::string author, date, body;
            for (size_t i = 0; i < lines.size(); ++i) {
                const std::string next = i + 1 < lines.size() ? lines[i + 1] : "";
                if (lines[i] == "<MessageCategory>") {
                    own = ParseInt(next);
                    if (own < 1 || own > 4) own = 4;
                } else if (lines[i] == "<UserName>") {
                    author = next;
                } else if (lines[i] == "<MessageDate>") {
                    date = next;
                } else if (lines[i] == "<MessageBody>") {
                    for (size_t j = i + 1; j < lines.size(); ++j) body += (j > i + 1 ? " / " : "") + text(lines[j]);
                    break;
                }
            }
            if (own != category) continue;
            if (!heading) console_.Line("[" + ChatLineText(chat_.Language().LangString(110 + category)) + "]");
            heading = true;
            const std::string shownPath = std::string(kBoardFolder) + "/" + name;
            console_.Line("  " + text(date) + " <" + text(author) + "> " + body + "  (" + shownPath + ")");
            ++shown;
        }
    }
    if (shown == 0) console_.Note("the board is empty");
}

void TerminalSession::PrintHistory(bool isMain) {
    // The same file the desktop opens in its viewer.
    const std::string path = chat_.ProgramDir() + chat_.History().PathFor(isMain);
    console_.Note("history file " + path);
    const std::vector<std::string> lines = LastHistoryLines(path, kHistoryLinesShown);
    for (const std::string& html : lines) {
        const std::string text = ChatLineText(html);
        if (!text.empty()) console_.Line(text);
    }
    if (lines.empty()) console_.Note("nothing in it yet this month");
}

void TerminalSession::DeleteBoardMessage(const std::string& arg) {
    // Takes the name as /board prints it, with or without the folder in front.
    std::string file = arg;
    const std::string prefix = kBoardWirePrefix;
    for (const std::string& folder : {prefix, std::string(kBoardFolder) + "/"})
        if (file.rfind(folder, 0) == 0) file = file.substr(folder.size());
    if (!IsBoardFileName(file) || !std::filesystem::exists(std::string(kBoardFolder) + "/" + file)) {
        console_.Note("no board message called " + ChatLineText(file) + " (/board shows their names)");
        return;
    }
    // The id the board page hands over; the chat asks for confirmation, /yes gives it.
    chat_.OnBoardDelete(prefix + file);
}

void TerminalSession::PrintUsers() {
    struct Row {
        std::string name, mode, ip, id;
    };
    std::vector<Row> rows;
    size_t nameWidth = 4, modeWidth = 4;
    // Columns line up by characters, not bytes.
    auto width = [](const std::string& utf8) {
        return static_cast<size_t>(std::count_if(
            utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    };
    for (const CUserRecord& e : chat_.Roster().Entries()) {
        Row r{ChatLineText(e.displayName), ChatLineText(e.modeText), ChatLineText(e.ip), ChatLineText(e.id)};
        if (r.name.empty()) r.name = "?";
        nameWidth = std::max(nameWidth, width(r.name));
        modeWidth = std::max(modeWidth, width(r.mode));
        rows.push_back(std::move(r));
    }
    auto pad = [&](const std::string& s, size_t w) { return s + std::string(w > width(s) ? w - width(s) : 0, ' '); };
    console_.Note(std::to_string(rows.size()) + (rows.size() == 1 ? " user" : " users"));
    for (const Row& r : rows)
        console_.Note("  " + pad(r.name, nameWidth) + "  " + pad(r.mode, modeWidth) + "  " + pad(r.ip, 15) + "  " +
                      r.id);
}

}  // namespace zc
