#pragma once
#include <string>

namespace zc {

class ChatSession;

// Whether the command makes us show a line of the sender's: what a person wrote (public,
// private, alert, conference) or a notice that comes of it (a sound signal, an alert read,
// a refusal and the like).
bool ShowsPeerLine(int command);
// False when a line from this address comes faster than a person types: it is counted under
// name (as the pages show it), not shown, and its count is told later by ReportHeldLines.
bool LineAllowed(ChatSession& chat, const std::string& address, const std::string& name);
// Tells the counts of held lines that are due, one line each, and in the log.
void ReportHeldLines(ChatSession& chat);

// 18000 -> "18,000".
std::string WithThousands(size_t count);

}  // namespace zc
