#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zc {

// A dotted IPv4 address ("10.0.0.2": four parts of one to three digits, each at most 255) as the
// number it stands for; nullopt for anything else, blanks included.
std::optional<std::uint32_t> ParseDottedIpv4(std::string_view text);

// Optional "-", then leading decimal digits; the minus counts only when digits run to the end.
int ParseInt(std::string_view text);

// Text before (mode 0) or after (mode 1) the first delimiter; empty when it is absent.
std::string ExtractField(std::string_view source, std::string_view delimiter, int mode);

// Every occurrence of from replaced by to, left to right.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
std::string RemoveChars(std::string text, std::string_view chars);
// The items one after another, the separator between each two.
std::string JoinTexts(const std::vector<std::string>& items, std::string_view separator);
// Items each ending in the separator, packed into parts of at most room bytes; an item that
// alone is longer than room is left out.
std::vector<std::string> SplitAfterSeparators(std::string_view items, char separator, size_t room);
// A name made fit to be an ini key: no blanks, "=", brackets, ";" or control characters, so a
// peer's nickname can never start a line, a section or a comment of its own. May be empty.
std::string IniKeyOfName(std::string_view name);
// A character that would let a key break out of its line: "=", brackets, ";" or a control.
bool BreaksIniKey(char c);

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string FormatInt(long long value);
// strftime with a format of our own; empty when the result does not fit.
std::string FormatTime(const std::string& format, const std::tm& tm);

}  // namespace zc
