#pragma once
#include <functional>
#include <string>

namespace zc {

class Clock;

// What the board entries borrow from the chat page.
struct BoardEntryFormat {
    const Clock& clock;
    int defaultDays;                                          // BOARDMESSAGETIMELIFE
    std::function<std::string(const std::string&)> convert;   // page-safe text
    std::function<std::string(const std::string&)> markup;    // smiles
    std::function<std::string(const std::string&)> nameSpan;  // the author as the chat shows names
    std::function<std::string(const std::string&)> colour;    // the author's message colour, "" for none
    std::string deleteTitle;
};

// The four category rows of the board page; expired messages are deleted on the way.
std::string BuildBoardEntries(const BoardEntryFormat& format);

}  // namespace zc
