#pragma once
#include <string>

namespace zc {

class ChatSession;

// The address an identity was last known at (its owner, else its user list entry); empty when
// unknown. Answers to what we ask count only from there.
std::string KnownAddressOf(ChatSession& chat, const std::string& id);

// What one user asks of another about files, avatars, pictures and the machine. Each is false
// when nothing went out (unknown user, ourselves, sending too fast, a transfer already running).
bool RequestProcessList(ChatSession& chat, const std::string& name);
bool RequestUserInfo(ChatSession& chat, const std::string& name);
bool RequestAvatar(ChatSession& chat, const std::string& name);
bool RequestDesktop(ChatSession& chat, const std::string& name);
// Offers the file at path (a regular file) to the user; remembered until the next offer.
bool OfferFile(ChatSession& chat, const std::string& name, const std::string& path);
// The user said yes to an offer: the peer may now send that file, once, within a minute.
void AcceptFile(ChatSession& chat, const std::string& peerId, const std::string& peerName, const std::string& fileName);
// Asks the next user whose avatar file is missing for it, one user at a time, and a user again
// only after a while; true when a request went out.
bool AskForAMissingAvatar(ChatSession& chat, const std::string& programFolder);

}  // namespace zc
