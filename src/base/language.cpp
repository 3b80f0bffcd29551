#include "base/language.h"

#include <filesystem>
#include <iterator>

#include "base/debug_log.h"
#include "base/ini_file.h"
#include "base/message_text.h"
#include "base/settings.h"
#include "base/text_helpers.h"

namespace zc {
namespace {

constexpr int kFirstExtra = static_cast<int>(ExtraText::NoRecipient);
constexpr const char* kEnglishExtras[] = {
    "Write the name and a colon first: %s",
    "Nobody called %s is here; nothing was sent",
    "There is no user group %s; nothing was sent",
    "Nobody is in the conference; nothing was sent",
    "The text is too long to send; nothing was sent",
    "Not connected to the network; nothing was sent",
    "The board message could not be saved in %s",
    "%s lines held back",
    "The options editor could not be started from %s: zeltooptions must lie beside the chat program, in its "
    "install folder or on PATH",
    "Desktop snapshot sent to %s",
    "Process list sent to %s",
    "cancelled by %s",
    "connection lost after %s of %t",
    "connection lost before the file began",
    "refused: the name is too long for the file system here",
    "refused: this name cannot be used for a file here",
    "drop the file onto a name",
    "%s is not here; the message will be delivered when %s comes back",
    "%s has as many waiting messages as can be kept; nothing was sent",
    "Delivered to %s %t",
    "Not delivered to %s, it waited too long: %t",
    "(written %s)",
    "switched off after a fault",
    "Waiting messages",
    "Take back",
    "No message is waiting",
    "Lost the connection to %s; trying again",
    "Connected to %s again",
    "Message to send",
    "Users in the chat",
    "no connection within %s s",
    "(files go straight between the two computers, not through a gateway or relay: they need a route to each "
    "other, %s)",
};

}  // namespace

std::string LanguageTable::FilePath(const std::string& name) { return "language/lang_" + name + ".cfg"; }

bool LanguageTable::LoadLanguageFile(const std::string& name, const DebugLog& log, bool showImages) {
    entries_.clear();
    const std::string path = FilePath(name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    for (int i = 0; i < kLanguageTableSize; ++i) {
        const std::string key = "STR" + std::to_string(i);
        std::string text =
            MessageTextSanitizer(RemoveChars(ReadIniValue(path, "STRINGS", key), "<>"), true, showImages);
        if (text.empty()) log.Write(":::Missing string " + key + " in " + path);
        entries_.push_back(text);
    }
    extras_.clear();
    for (size_t i = 0; i < std::size(kEnglishExtras); ++i) {
        const std::string key = "STR" + std::to_string(kFirstExtra + static_cast<int>(i));
        const std::string text = RemoveChars(ReadIniValue(path, "STRINGS", key), "<>");
        extras_.push_back(MessageTextSanitizer(text.empty() ? kEnglishExtras[i] : text, true, showImages));
    }
    return true;
}

std::string LanguageTable::Extra(ExtraText text, const std::string& arg) const {
    const size_t i = static_cast<size_t>(static_cast<int>(text) - kFirstExtra);
    const std::string& format = i < extras_.size() ? extras_[i] : std::string(kEnglishExtras[i]);
    return ReplaceAll(format, "%s", arg);
}

std::string LanguageTable::LangString(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= entries_.size()) return " ";
    return entries_[static_cast<size_t>(i)];
}

bool ReadLanguage(LanguageTable& table, const DebugLog& log, const std::string& settingsFile, bool showImages) {
    std::string name = ReadLanguageName(settingsFile);
    table.SetName(name);
    log.Write(":::ReadLanguage from " + name + ".cfg");
    if (table.LoadLanguageFile(name, log, showImages)) return true;
    log.Write(":::ReadLanguage " + name + ".cfg FAILED");
    table.SetName("english");
    log.Write(":::ReadLanguage from english.cfg");
    if (table.LoadLanguageFile("english", log, showImages)) return true;
    log.Write(":::ReadLanguage english.cfg FAILED");
    log.Write(":::CRITICAL ERROR: Previous function return error. Closing programm.");
    return false;
}

std::vector<std::string> InfoDialogLabels(const LanguageTable& table) {
    // The dialog reads a few labels from the file itself, every time it is filled.
    const std::string path = LanguageTable::FilePath(table.Name());
    auto menu = [&](const char* key) { return ReadIniValue(path, "MENUSTRINGS", key); };
    return {menu("MSTR25"),
            menu("MSTR26"),
            menu("MSTR27"),
            menu("MSTR28"),
            ReadIniValue(path, "STRINGS", "STR128"),
            menu("MSTR31"),
            table.LangString(85),
            menu("MSTR43"),
            table.LangString(86),
            "IP",
            table.LangString(87),
            "MAC",
            "OS",
            table.LangString(88),
            table.LangString(63)};
}

}  // namespace zc
