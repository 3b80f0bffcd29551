#pragma once
#include <string>

#include "doctor/doctor_report.h"
#include "doctor/peer_answers.h"

namespace zc::doctor {

struct GroupSettings {
    std::string group;
    int port = 0;
    int ttl = 8;
    std::string interfaceAddr;  // INTERFACE, "0.0.0.0" when not set
};

// The chat's two multicast sockets, opened the way the chat opens them, so what works or
// fails here works or fails for the chat.
class GroupProbe {
public:
    explicit GroupProbe(GroupSettings settings) : s_(std::move(settings)) {}
    ~GroupProbe();
    GroupProbe(const GroupProbe&) = delete;
    GroupProbe& operator=(const GroupProbe&) = delete;

    // Binds the port and joins the group: the "socket" line.
    CheckLine Open();
    bool IsOpen() const { return groupFd_ >= 0 && sendFd_ >= 0; }

    // Sends our WHO and collects what comes back for waitMs: the "loop" line.
    CheckLine SendWhoAndListen(const std::string& whoBytes, PeerAnswers& answers, int waitMs);

private:
    GroupSettings s_;
    int groupFd_ = -1, sendFd_ = -1;
};

}  // namespace zc::doctor
