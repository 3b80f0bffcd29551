#pragma once
#include <string>

namespace zc {

class ChatSession;
struct CUserRecord;

// Private messages and alerts for users who are away, delivered when they are back. Only the
// identity and the address a message was written for ever gets it.

// How long a listed user may have been silent before a message to it is also kept, in case
// the machine behind it sleeps; and how long an answer to our question may take.
inline constexpr int kQuietBeforeKeepingSeconds = 20;
inline constexpr int kAnswerWaitMs = 5000;

// A message to a name nobody here carries: kept for the user we last knew by that name, with a
// line saying so. False when we never met anyone of that name (the caller refuses as before).
bool KeepForAbsent(ChatSession& chat, const std::string& name, const std::string& text, bool alert);
// A message that just went to a listed user who has been quiet a while: a copy is kept until the
// user is heard, and everybody is asked who is here.
void WatchDelivery(ChatSession& chat, const CUserRecord& to, const std::string& text, bool alert);
// A packet from that identity at that address (the one it belongs to): its waiting messages go
// out, oldest first, each marked with the time it was written.
void DeliverWaiting(ChatSession& chat, const std::string& id, const std::string& ip, const std::string& name);
// Copies whose reader did not answer start waiting; messages past their days are dropped with a
// line each. Called by the timer and at each refresh.
void SettleWaiting(ChatSession& chat);

}  // namespace zc
