#pragma once
#include <string>
#include <vector>

namespace zc::doctor {

enum class Verdict { Ok, Warn, Fail };

// One check's result: a verdict, a short English text and, when something is wrong, what to do.
struct CheckLine {
    Verdict verdict = Verdict::Ok;
    std::string check;                 // "interface", "route", ...
    std::string text;
    std::string advice;                // empty when there is nothing to do
    std::vector<std::string> details;  // further lines, e.g. one per peer
};

CheckLine Ok(std::string check, std::string text);
CheckLine Warn(std::string check, std::string text, std::string advice);
CheckLine Fail(std::string check, std::string text, std::string advice);

// "[ok] route: 225.0.0.1 goes through veth1" or "[fail] ...: ... - advice"; details follow
// on their own lines, indented.
std::string FormatLine(const CheckLine& line);

// True when nothing stops the chat: no check failed.
bool ChatWorks(const std::vector<CheckLine>& lines);

// A stranger's text for a terminal: windows-1251 to UTF-8, control characters dropped, at
// most maxChars characters (an ellipsis marks the cut).
std::string PrintableText(const std::string& cp1251, size_t maxChars = 40);

}  // namespace zc::doctor
