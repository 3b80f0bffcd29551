#pragma once
#include <string>

#include "net/chat_line.h"
#include "ui/html/chat_document.h"

namespace zc {

enum class LineStyle { Plain, Own, Private, Alert, Notice, Presence, Sound };

// One chat line as a terminal shows it: UTF-8, tags dropped, entities decoded, control
// characters removed, the breaks inside the line written as " / ". Pictures show their title.
std::string ChatLineText(const std::string& cp1251Html);

// Plain windows-1251 text (a file name, a card value) as the terminal shows it: UTF-8, control
// characters removed, runs of white space as one blank. Nothing in it is read as markup.
std::string PlainText(const std::string& cp1251);

// The line as the terminal prints it: its text, after "[conference] " for the second page and
// "[private] " for a private line, so the kind is clear without colours too. Empty for none.
std::string TerminalLineText(const ChatLineEvent& line);

// The look of a line of that kind.
LineStyle ChatLineStyle(ChatLineKind kind);

}  // namespace zc
