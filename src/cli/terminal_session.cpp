#include "cli/terminal_session.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/chat_main_dlg.h"
#include "base/cp1251.h"
#include "base/message_text.h"
#include "base/text_helpers.h"
#include "cli/chat_line_text.h"
#include "cli/console.h"
#include "cli/console_dialogs.h"
#include "net/chat_session.h"
#include "net/outgoing_forms.h"
#include "net/transfer_requests.h"
#include "services/board_store.h"
#include "services/history.h"
#include "services/history_search.h"
#include "services/transfer_stream.h"
#include "services/waiting_messages.h"
#include "ui/html/earlier_lines.h"

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
           "  /search TEXT       find TEXT in the history of every month, public and private, newest first\n"
           "  /day DD/MM/YYYY [private]   that day's public chat history, or its private messages and alerts\n"
           "  /yes [N], /no [N]  answer alert or question N (the number in its brackets), the newest\n"
           "              without N (either confirms an alert)\n"
           "  /questions  list the open alerts and questions\n"
           "  /again      send again the lines that were not sent (too fast, say), in order\n"
           "  /waiting    list the messages kept for users who are away\n"
           "  /unwait N   take back waiting message N\n"
           "Files and requests (Name as /users shows it):\n"
           "  /send Name PATH   offer a file to Name; it goes once Name says yes\n"
           "  /cancel     stop the running transfer, or take back the offer not yet answered\n"
           "  /info Name  ask Name for the information card\n"
           "  /me         your own information card\n"
           "  /procs Name ask Name for the list of running programs\n"
           "  /avatar Name      fetch Name's avatar picture\n"
           "  /desktop Name     ask Name for a desktop snapshot (download/remotedesktop.bmp)\n"
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
        else if (chat_.Roster().IdOfName(form.recipient).size() <= 1 &&
                 (form.keyword == InputKeyword::Sound || !chat_.Waiting().KnownByName(form.recipient)))
            console_.Note("nobody called " + ChatLineText(form.recipient) +
                          " is here (/users lists them, /who asks again)");
    }
    if (chat_.SendChatMessage(text) || text.empty() || text == " ") return;
    // The chat said why on its page; the line itself is kept for another try.
    if (unsent_.size() >= kMaxUnsent) unsent_.pop_front();
    unsent_.push_back(utf8);
    console_.Note("not sent: " + utf8 + "  (/again sends it)");
}

void TerminalSession::AnswerDialog(bool yes, std::string arg) {
    if (arg.size() > 2 && arg.front() == '[' && arg.back() == ']') arg = arg.substr(1, arg.size() - 2);
    if (!arg.empty() && (arg.size() > 9 || !std::all_of(arg.begin(), arg.end(), [](char c) { return c >= '0' && c <= '9'; }))) {
        console_.Note(std::string(yes ? "/yes" : "/no") + " takes the number of an open alert or question (/questions lists them)");
        return;
    }
    const int number = arg.empty() ? 0 : std::atoi(arg.c_str());
    if (dialogs_.Answer(yes, number)) return;
    console_.Note(arg.empty() || number == 0 ? "nothing to answer" : "nothing open as [" + arg + "] (/questions lists them)");
}

void TerminalSession::ListWaiting() {
    const auto& all = chat_.Waiting().All();
    if (all.empty()) console_.Note("no message is waiting");
    for (const WaitingMessage& m : all)
        console_.Note("[" + std::to_string(m.number) + "] " + (m.alert ? "alert" : "message") + " to " +
                      ChatLineText(m.name) + ", written " + chat_.DateTimeText(m.written) +
                      (m.unconfirmedSince ? " (sent; kept until they answer)" : "") + ": " + ChatLineText(m.text));
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
    } else if (name == "/search") {
        if (arg.empty()) console_.Note("/search takes the text to find");
        else PrintSearch(arg);
    } else if (name == "/day") {
        PrintDay(arg);
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
        AnswerDialog(name == "/yes", arg);
    } else if (name == "/questions") {
        if (!dialogs_.List()) console_.Note("nothing to answer");
    } else if (name == "/waiting") {
        ListWaiting();
    } else if (name == "/unwait") {
        const int number = std::atoi(arg.c_str());
        if (number > 0 && chat_.Waiting().Cancel(number)) console_.Note("waiting message [" + arg + "] taken back");
        else console_.Note("no waiting message [" + arg + "] (/waiting lists them)");
    } else if (name == "/again") {
        if (unsent_.empty()) console_.Note("every line was sent");
        for (std::deque<std::string> again = std::exchange(unsent_, {}); !again.empty(); again.pop_front())
            SendTyped(again.front());
    } else if (name == "/send") {
        SendFile(arg);
    } else if (name == "/cancel") {
        Cancel();
    } else if (name == "/me") {
        chat_.ShowOwnInfo();
    } else if (name == "/info" || name == "/procs" || name == "/avatar" || name == "/desktop") {
        AskUser(name, arg);
    } else {
        console_.Note("unknown command " + name + " (/help lists them; //text sends \"/text\")");
    }
}

TerminalSession::NamedUser TerminalSession::FindNamedUser(const std::string& arg) const {
    NamedUser found;
    size_t longest = 0;
    for (const CUserRecord& e : chat_.Roster().Entries()) {
        const std::string shown = ChatLineText(e.displayName);
        if (shown.empty() || shown.size() <= longest || arg.compare(0, shown.size(), shown) != 0) continue;
        if (arg.size() > shown.size() && arg[shown.size()] != ' ' && arg[shown.size()] != '\t') continue;
        longest = shown.size();
        found.user = &e;
        found.rest = arg.substr(shown.size());
    }
    found.rest.erase(0, found.rest.find_first_not_of(" \t"));
    return found;
}

TerminalSession::NamedUser TerminalSession::OtherUser(const std::string& command, const std::string& arg) {
    if (arg.empty()) {
        console_.Note(command + " takes a user's name as /users shows it");
        return {};
    }
    const NamedUser named = FindNamedUser(arg);
    const bool takesMore = command == "/send";
    if (!named.user || (!takesMore && !named.rest.empty())) {
        const std::string name = takesMore ? arg.substr(0, arg.find_first_of(" \t")) : arg;
        console_.Note("nobody called " + name + " is here (/users lists them, /who asks again)");
        return {};
    }
    if (named.user->id == chat_.OwnId()) {
        console_.Note("that is you");
        return {};
    }
    return named;
}

std::string TerminalSession::ResolvePath(const std::string& typed) const {
    if (typed.rfind("~/", 0) == 0) {
        const char* home = std::getenv("HOME");
        if (home && *home) return std::string(home) + typed.substr(1);
    }
    if (typed.empty() || typed[0] == '/' || startDir_.empty()) return typed;
    return startDir_ + (startDir_.back() == '/' ? "" : "/") + typed;
}

void TerminalSession::SendFile(const std::string& arg) {
    const NamedUser named = OtherUser("/send", arg);
    const CUserRecord* user = named.user;
    if (!user) return;
    const std::string& typedPath = named.rest;
    if (typedPath.empty()) {
        console_.Note("which file? /send " + ChatLineText(user->displayName) + " PATH");
        return;
    }
    if (chat_.UserTransferRunning()) {
        console_.Note("a transfer is already running; /cancel stops it");
        return;
    }
    const std::string path = ResolvePath(typedPath);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        console_.Note("no such file: " + path);
        return;
    }
    if (!std::filesystem::is_regular_file(status)) {
        console_.Note(path + " is not a file");
        return;
    }
    const std::string fileName = std::filesystem::path(path).filename().string();
    if (!IsPlainFileName(fileName)) {
        console_.Note("a file called " + fileName + " cannot be sent under that name; copy it to another name");
        return;
    }
    // The chat shows the offer; the file goes once the other side says yes.
    if (chat_.OfferFileTo(user->displayName, path))
        console_.Note("waiting for " + ChatLineText(user->displayName) + " to accept " + fileName);
    else
        console_.Note("not offered (the chat says why): " + arg);
}

void TerminalSession::AskUser(const std::string& command, const std::string& arg) {
    struct Ask {
        const char* command;
        const char* what;
        bool (*request)(ChatSession&, const std::string&);
        bool startsTransfer;
    };
    static constexpr Ask kAsks[] = {{"/info", "the information card", RequestUserInfo, false},
                                    {"/procs", "the list of running programs", RequestProcessList, false},
                                    {"/avatar", "the avatar", RequestAvatar, true},
                                    {"/desktop", "a desktop snapshot", RequestDesktop, true}};
    const Ask* ask = std::find_if(std::begin(kAsks), std::end(kAsks), [&](const Ask& a) { return command == a.command; });
    if (ask == std::end(kAsks)) return;
    if (command == "/info" && !arg.empty()) {
        const NamedUser named = FindNamedUser(arg);
        if (named.user && named.rest.empty() && named.user->id == chat_.OwnId()) return chat_.ShowOwnInfo();
    }
    const CUserRecord* user = OtherUser(command, arg).user;
    if (!user) return;
    const std::string shown = ChatLineText(user->displayName);
    if (ask->startsTransfer && chat_.UserTransferRunning()) {
        console_.Note("a transfer is already running; /cancel stops it");
        return;
    }
    if (command == "/avatar" && !IsPlainFileName(user->avatar)) {
        console_.Note(shown + " has no avatar to fetch");
        return;
    }
    if (ask->request(chat_, user->displayName)) console_.Note("asked " + shown + " for " + ask->what);
    else console_.Note("the request to " + shown + " did not go out");
}

void TerminalSession::Cancel() {
    if (chat_.TransferRunning()) {
        chat_.CancelTransfer();
        console_.Note("stopping the transfer");
        return;
    }
    // An offer not yet answered is taken back: a yes that comes later starts nothing.
    OfferedFile& offered = chat_.Offered();
    if (!offered.name.empty()) {
        // Our own file's name, as the file system has it.
        console_.Note("the offer of " + offered.name + " to " +
                      ChatLineText(chat_.Roster().NameOf(offered.peerId)) + " is taken back");
        offered = {};
        return;
    }
    console_.Note("no transfer is running");
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

void TerminalSession::PrintEarlier() {
    const std::vector<HistoryEntry>& lines = chat_.EarlierLines();
    if (lines.empty()) return;
    console_.Line("-- " + PlainText(chat_.EarlierCaption()) + " --");
    for (const HistoryEntry& e : lines) console_.Line(HistoryLineText(e));
    console_.Line("--");
}

void TerminalSession::PrintSearch(const std::string& utf8) {
    const std::vector<HistoryHit> hits = chat_.FindInHistory(Utf8ToCp1251(utf8));
    if (hits.empty()) {
        console_.Note("nothing in the history holds " + PlainText(Utf8ToCp1251(utf8)));
        return;
    }
    for (const HistoryHit& hit : hits)
        console_.Line(HistoryLineText(hit.entry, !hit.isMain) + "  (" +
                      PlainText(hit.file.substr(hit.file.rfind("history/") == std::string::npos
                                                    ? 0
                                                    : hit.file.rfind("history/"))) +
                      ")");
    console_.Note(std::to_string(hits.size()) + (hits.size() >= kHistorySearchLimit ? " newest" : "") +
                  " found, newest first");
}

void TerminalSession::PrintDay(const std::string& arg) {
    const std::string date = arg.substr(0, arg.find(' '));
    const std::string rest = date.size() < arg.size() ? arg.substr(date.size() + 1) : std::string();
    int day = 0, month = 0, year = 0;
    if (!ParseHistoryDate(date, day, month, year) || (!rest.empty() && rest != "private")) {
        console_.Note("/day takes a date as DD/MM/YYYY, and private for private messages and alerts");
        return;
    }
    const bool isMain = rest.empty();
    const std::string path = HistoryMonthFile(chat_.ProgramDir() + "history", year, month, isMain);
    const HistoryDay found = HistoryDayEntries(path, year, month, day);
    if (found.cut)
        console_.Note("the day holds more: only its latest " + std::to_string(found.written.size()) + " entries");
    for (const std::string& written : found.written)
        console_.Line(HistoryLineText(ParseHistoryEntry(written, year, month), !isMain));
    console_.Note(found.written.empty() ? "nothing in the history of " + date
                                        : std::to_string(found.written.size()) + " entries of " + date + " in " +
                                              PlainText(path.substr(chat_.ProgramDir().size())));
}

std::string TerminalSession::HistoryLineText(const HistoryEntry& e, bool isPrivate) {
    std::string line = "[" + e.DateText() + "] " + (isPrivate ? "[private] " : "");
    if (!e.sender.empty()) line += "<" + PlainText(e.sender) + "> ";
    // Characters the code page cannot hold are written as references: shown as themselves.
    return line + ChatLineText(EscapeVisibleText(e.text));
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
