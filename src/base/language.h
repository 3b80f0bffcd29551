#pragma once
#include <string>
#include <vector>

namespace zc {

class DebugLog;

inline constexpr int kLanguageTableSize = 128;

// Texts of this program that the numbered table has no entry for, read from STR129 on; a
// language file without them shows the English text.
enum class ExtraText {
    NoRecipient = 129,  // %s: the form to write, e.g. "MSG-&gt;Name: text"
    UnknownUser,        // %s: the name
    UnknownGroup,       // %s: the group name
    EmptyConference,
    TooLong,
    NotConnected,
    BoardNotSaved,  // %s: the folder
    LinesHeldBack,  // %s: how many, e.g. "18,000"
    OptionsNotStarted,  // %s: the launcher it tried
    SnapshotSent,       // %s: to whom
    ProcessListSent,    // %s: to whom
    TransferCancelledBy,   // %s: who
    TransferLostAfter,     // %s and %t: what had moved and of how much, "32.8" and "50 MB"
    TransferLostAtStart,
    DownloadNameTooLong,
    DownloadNameUnusable,
    DropOntoName,
    WaitingKept,       // %s: the name
    WaitingFull,       // %s: the name
    WaitingDelivered,  // %s: the name, %t: when it was written and the text
    WaitingExpired,    // %s: the name, %t: the text
    WrittenAt,         // %s: date and time
    PluginFaulted,     // after a plug-in's name in the menu
    WaitingTitle,      // the window of waiting messages, and its menu item
    WaitingTakeBack,
    WaitingNone,
    RelayLost,  // %s: the connection's name
    RelayBack,  // %s: the connection's name
    InputName,     // what screen readers call the input box
    UserListName,  // ... and the user list
    TransferNoConnection,  // %s: seconds
    TransferNeedsRoute,    // %s: the other computer's address
};

// The numbered user-visible texts of the chosen language.
class LanguageTable {
public:
    // Fills the table from language/lang_<name>.cfg; false when that file is missing.
    bool LoadLanguageFile(const std::string& name, const DebugLog& log, bool showImages = true);
    // Entry i, or a single blank for a bad index.
    std::string LangString(int i) const;
    // An extra text with its %s replaced by arg.
    std::string Extra(ExtraText text, const std::string& arg = "") const;
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    size_t Size() const { return entries_.size(); }
    static std::string FilePath(const std::string& name);

private:
    std::vector<std::string> entries_;
    std::vector<std::string> extras_;
    std::string name_;
};

// Reads LANGUAGE and loads it, falling back to english; false when even that fails
// (the caller ends the program).
bool ReadLanguage(LanguageTable& table, const DebugLog& log, const std::string& settingsFile, bool showImages = true);

// The labels of the user information dialog, in the order its lines are built.
std::vector<std::string> InfoDialogLabels(const LanguageTable& table);

}  // namespace zc
