#pragma once
#include <cstdint>
#include <string>

namespace zc {

// What a transfer carries; the window and the end of the transfer differ by it. Avatars travel
// like files but end quietly, in the avatars folder.
enum class TransferMode { Desktop = 1, File = 2, Avatar = 3 };

// An avatar is a small picture fetched without the user asking: a peer cannot make it big or slow.
inline constexpr std::uint32_t kAvatarMaxBytes = 1u << 20;
inline constexpr int kAvatarMaxMs = 30000;

struct TransferOrder {
    TransferMode mode = TransferMode::File;
    bool sending = false;
    std::string peerIp;
    std::string peerId;
    std::string peerName;  // as the pages show it
    int port = 0;
    std::string path;          // sending: the file to read
    std::string folder, name;  // receiving: where it goes
    bool overwrite = false;    // receiving: replace a file of that name, once it is complete
    std::uint32_t maxLength = UINT32_MAX;  // receiving: a longer promise fails at once
    int limitMs = 0;                       // stopped when not done this long after the start; 0: never
};

// Avatars are fetched in the background: a user's file or picture stops one instead of waiting
// for it. Whether a transfer of the wanted mode must wait for the running one.
inline bool TransferSlotTaken(const TransferOrder* running, TransferMode wanted) {
    return running && (running->mode != TransferMode::Avatar || wanted == TransferMode::Avatar);
}

// The file OfferFile remembered; an acceptance from that user sends it, once.
struct OfferedFile {
    std::string path, name, peerId;
    std::string peerIp;  // where that user was when we offered: only an acceptance from there counts
};

}  // namespace zc
