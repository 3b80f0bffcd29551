#pragma once
#include <string>

namespace zc {

// What a transfer carries; the window and the end of the transfer differ by it. Avatars travel
// like files but end quietly, in the avatars folder.
enum class TransferMode { Desktop = 1, File = 2, Avatar = 3 };

struct TransferOrder {
    TransferMode mode = TransferMode::File;
    bool sending = false;
    std::string peerIp;
    std::string peerId;
    std::string peerName;  // as the pages show it
    int port = 0;
    std::string path;          // sending: the file to read
    std::string folder, name;  // receiving: where it goes
    bool overwrite = false;    // receiving: replace a file of that name
};

// The file OfferFile remembered; an acceptance from that user sends it, once.
struct OfferedFile {
    std::string path, name, peerId;
};

}  // namespace zc
