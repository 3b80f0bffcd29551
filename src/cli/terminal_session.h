#pragma once
#include <deque>
#include <string>
#include <utility>

namespace zc {

class CChatMainDlg;
class ConsoleDialogs;
class Console;
struct CUserRecord;
struct HistoryEntry;

// What the user types: chat text and command forms go to the chat as if typed into its input
// box; lines starting with "/" are the terminal's own commands.
class TerminalSession {
public:
    TerminalSession(CChatMainDlg& chat, ConsoleDialogs& dialogs, Console& console);

    // One typed line, UTF-8. Lines wait until the network is up, in order.
    void OnLine(const std::string& utf8);
    // End of input: the chat ends once the waiting lines are done.
    void OnInputEnd();
    // The network is up and the first answers are in.
    void SetReady();
    bool Ready() const { return ready_; }
    size_t Waiting() const { return waiting_.size(); }

    // Where relative paths typed to /send start: the folder the client was started in.
    void SetStartDir(std::string dir) { startDir_ = std::move(dir); }

    // The history lines the chat page shows under its greeting, under the same caption.
    void PrintEarlier();

    static std::string CommandHelp();
    // One history entry as /search and the lines at start print it: date, name, text.
    static std::string HistoryLineText(const HistoryEntry& entry, bool isPrivate = false);
    static constexpr size_t kHistoryLinesShown = 20;

private:
    void Run(const std::string& utf8);
    void RunCommand(const std::string& line);
    void SendTyped(const std::string& utf8);
    // "/yes [N]" and "/no [N]".
    void AnswerDialog(bool yes, std::string arg);
    void ListWaiting();
    void PrintUsers();
    void PrintBoard();
    void PrintHistory(bool isMain);
    void PrintSearch(const std::string& utf8);
    // "/day DD/MM/YYYY [private]": the entries of one day, oldest first.
    void PrintDay(const std::string& arg);
    void DeleteBoardMessage(const std::string& arg);
    void Quit();

    // Files, cards and requests about one user.
    struct NamedUser {
        const CUserRecord* user = nullptr;
        std::string rest;  // what follows the name
    };
    // The user whose name, as /users shows it, begins arg (followed by a blank or the end); the
    // longest such name, so names with blanks work.
    NamedUser FindNamedUser(const std::string& arg) const;
    // The named user other than ourselves; no user after saying why not.
    NamedUser OtherUser(const std::string& command, const std::string& arg);
    std::string ResolvePath(const std::string& typed) const;
    void SendFile(const std::string& arg);
    void AskUser(const std::string& command, const std::string& arg);
    void Cancel();

    CChatMainDlg& chat_;
    ConsoleDialogs& dialogs_;
    Console& console_;
    std::deque<std::string> waiting_;
    std::string startDir_;
    // Typed lines the chat did not send, the newest few.
    static constexpr size_t kMaxUnsent = 20;
    std::deque<std::string> unsent_;
    bool ready_ = false, inputEnded_ = false, quitting_ = false;
};

}  // namespace zc
