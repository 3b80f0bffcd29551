#include "doctor/peer_answers.h"

#include <algorithm>
#include <random>

#include "net/chat_packet.h"
#include "net/commands.h"
#include "net/subst_codec.h"

namespace zc::doctor {

namespace {

const CSubstCodec& Codec() {
    static const CSubstCodec codec = [] {
        CSubstCodec c;
        c.SetTables(SubstTableA(), SubstTableB());
        return c;
    }();
    return codec;
}

}  // namespace

DoctorIdentity NewDoctorIdentity(const std::string& ip) {
    std::random_device device;
    std::mt19937_64 random(device());
    static const char kHex[] = "0123456789ABCDEF";
    DoctorIdentity me{ip.empty() ? "0.0.0.0" : ip, ""};
    for (int i = 0; i < 12; ++i) me.id += kHex[random() % 16];
    return me;
}

std::string WhoBytes(const DoctorIdentity& me) {
    PacketSender sender{me.ip, me.id, "connection check", "", 777};
    const std::string text = BuildPacketText(sender, CMD_WHO, "connection check", kEveryone).value_or("");
    std::string bytes = Codec().EncodeText(text);
    bytes.push_back('\0');
    return bytes;
}

int HopsFromTtl(int receivedTtl, int ourTtl) {
    if (receivedTtl < 1 || receivedTtl > 255) return -1;
    // The nearest start at or above what arrived: the chat's default, ours, the systems' usual.
    int start = 255;
    for (int candidate : {8, ourTtl, 64, 128})
        if (candidate >= receivedTtl && candidate < start) start = candidate;
    return start - receivedTtl;
}

PeerAnswers::PeerAnswers(std::string ownId, std::vector<std::string> ignoredIds)
    : ownId_(std::move(ownId)), ignored_(std::move(ignoredIds)) {}

void PeerAnswers::Offer(const std::string& wire, const std::string& from, int ttl) {
    if (wire.empty() || wire.size() > kMaxPacketText) return;
    const std::string text = Codec().DecodeText(wire);
    if (!HasValidTerminator(text)) return;
    const CChatPacket p = ParsePacketText(text);
    if (p.senderId == ownId_) {
        if (p.command == CMD_WHO) ownWhoSeen_ = true;
        return;
    }
    if (p.command != CMD_HERE || p.senderId.empty()) return;
    if (std::find(ignored_.begin(), ignored_.end(), p.senderId) != ignored_.end()) return;
    auto it = peers_.find(p.senderId);
    if (it != peers_.end()) return;  // a copy answers once; repeats change nothing
    if (peers_.size() >= kMaxKept) {
        ++dropped_;
        return;
    }
    Peer peer;
    peer.name = PrintableText(p.senderName);
    peer.address = PrintableText(from.empty() ? p.senderIp : from, 15);
    peer.ttl = ttl;
    peer.order = peers_.size();
    peers_.emplace(p.senderId, peer);
}

CheckLine PeerAnswers::Line(int ourTtl, int waitSeconds, bool relay) const {
    const std::string kName = "peers";
    const std::string within = " within " + std::to_string(waitSeconds) + " s";
    const size_t n = Count();
    if (n == 0)
        return Warn(kName, "no other copy answered" + within,
                    relay ? "start the chat on another computer with the same relay"
                          : "start the chat on another computer; across routers raise TTL (now " +
                                std::to_string(ourTtl) + ") and let them pass the group");
    CheckLine line = Ok(kName, std::to_string(n) + (n == 1 ? " other copy answered" : " other copies answered") + within);
    std::vector<const Peer*> listed;
    for (const auto& [id, peer] : peers_) listed.push_back(&peer);
    std::sort(listed.begin(), listed.end(), [](const Peer* a, const Peer* b) { return a->order < b->order; });
    for (size_t i = 0; i < listed.size() && i < kMaxListed; ++i) {
        const Peer& p = *listed[i];
        std::string detail = (p.name.empty() ? "(no name)" : p.name) + " " + p.address;
        const int hops = HopsFromTtl(p.ttl, ourTtl);
        if (hops == 0) detail += ", same network";
        else if (hops > 0) detail += ", " + std::to_string(hops) + (hops == 1 ? " hop" : " hops");
        line.details.push_back(detail);
    }
    if (n > kMaxListed) line.details.push_back("... and " + std::to_string(n - kMaxListed) + " more");
    return line;
}

}  // namespace zc::doctor
