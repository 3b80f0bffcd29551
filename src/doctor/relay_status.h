#pragma once
#include <string>
#include <vector>

#include "doctor/doctor_report.h"

namespace zc::doctor {

// A relay that supports it answers this text and a zero byte, sent on a connection of its own,
// with one packet: the same text, "\n", lines "key: value\n", a zero byte.
inline constexpr char kRelayStatusQuery[] = "zeltorelay-status";
inline constexpr size_t kMaxRelayStatusBytes = 4096;

// What the relay says of its links; any item may be missing.
struct RelayStatus {
    bool answered = false;
    std::string gateway, broker, sites, peers;
};

// packet: the bytes before the zero byte. Not a status packet: answered is false.
RelayStatus ParseRelayStatus(const std::string& packet);

// "relay link" lines for what the relay told; none when it did not answer.
std::vector<CheckLine> RelayLinkLines(const RelayStatus& status);

}  // namespace zc::doctor
