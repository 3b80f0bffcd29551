#pragma once
#include <cstddef>

#include "net/answer_pacer.h"

namespace zc {

class ChatSession;
struct IncomingPacket;

// Whether our presence answer to this WHO, ENTER or mode change may go now (packets: how many
// it sends). Repeats within a second are merged into the answer already sent.
bool PresenceAnswerDue(ChatSession& chat, const IncomingPacket& in, int packets);
// Whether an answer of about `bytes` to this request may go now. Asked before the answer is
// made, so a flood of requests costs no work for the answers it does not get.
bool AnswerDue(ChatSession& chat, const IncomingPacket& in, AnswerKind kind, size_t bytes);

// The sizes answers are paced by, before they are made.
inline constexpr size_t kProcessListAnswerBytes = 4096;
inline constexpr size_t kCardAnswerBytes = 1024;
inline constexpr size_t kShortAnswerBytes = 256;

}  // namespace zc
