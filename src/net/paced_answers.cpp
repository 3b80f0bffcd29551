#include "net/paced_answers.h"

#include "net/chat_session.h"
#include "net/packet_handlers.h"
#include "net/sender_state.h"

namespace zc {
namespace {

// Header, name and avatar of one of our packets around its body.
size_t PacketBytes(ChatSession& chat, size_t body) {
    return body + chat.User().nickname.size() + chat.User().avatarFile.size() + 64;
}

bool Counted(ChatSession& chat, const IncomingPacket& in, AnswerPacer::Verdict verdict) {
    if (verdict != AnswerPacer::Verdict::Refused) return verdict == AnswerPacer::Verdict::Send;
    LogForSource(chat, "answers", in.raw.senderIp,
                 ":::Requests from " + in.raw.senderIp + " come faster than we answer; " +
                     std::to_string(chat.Senders().answers.Refused()) + " left unanswered so far");
    return false;
}

}  // namespace

bool PresenceAnswerDue(ChatSession& chat, const IncomingPacket& in, int packets) {
    const size_t bytes = static_cast<size_t>(packets) * PacketBytes(chat, chat.ModeBody().size());
    return Counted(chat, in, chat.Senders().answers.Presence(in.raw.senderIp, in.raw.command, bytes, chat.NowMs()));
}

bool AnswerDue(ChatSession& chat, const IncomingPacket& in, AnswerKind kind, size_t bytes) {
    return Counted(chat, in, chat.Senders().answers.Answer(in.raw.senderIp, kind, PacketBytes(chat, bytes), chat.NowMs()));
}

}  // namespace zc
