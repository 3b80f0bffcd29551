#pragma once
#include <map>
#include <string>
#include <vector>

#include "doctor/doctor_report.h"

namespace zc::doctor {

// Our presence request: the chat's own packet form, page 777 so no copy enters us in its user
// list, with an identity of this run that no copy has.
struct DoctorIdentity {
    std::string ip;  // dotted address of the interface we speak from
    std::string id;  // twelve hex digits, random
};
DoctorIdentity NewDoctorIdentity(const std::string& ip);

// The encoded WHO with its terminating zero byte, ready to send.
std::string WhoBytes(const DoctorIdentity& me);

// Routers each take one off the TTL; the sender started at the chat's default TTL, at ours, or
// at a usual system value, whichever is nearest above. -1 when unknown.
int HopsFromTtl(int receivedTtl, int ourTtl);

// Collects the answers of other copies to our WHO, and notices our own WHO coming back.
class PeerAnswers {
public:
    static constexpr size_t kMaxKept = 1000;
    static constexpr size_t kMaxListed = 50;

    PeerAnswers(std::string ownId, std::vector<std::string> ignoredIds);

    // One received packet text (the bytes up to its zero byte); from is the sender's address
    // when the transport knows it, ttl -1 when unknown.
    void Offer(const std::string& wire, const std::string& from, int ttl);

    bool OwnWhoSeen() const { return ownWhoSeen_; }
    size_t Count() const { return peers_.size() + dropped_; }

    // ok with one detail line per copy (name, address, hops), or warn when nobody answered.
    CheckLine Line(int ourTtl, int waitSeconds, bool relay) const;

private:
    struct Peer {
        std::string name, address;
        int ttl = -1;  // as received; -1 when the transport does not tell
        size_t order = 0;
    };
    std::string ownId_;
    std::vector<std::string> ignored_;
    std::map<std::string, Peer> peers_;
    size_t dropped_ = 0;
    bool ownWhoSeen_ = false;
};

}  // namespace zc::doctor
