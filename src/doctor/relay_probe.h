#pragma once
#include <string>

#include "doctor/doctor_report.h"
#include "doctor/peer_answers.h"

namespace zc::doctor {

// Relay mode: two connections to the relay; our WHO written to one must come out of the other.
// Answers of other copies, on either connection, go to answers. The "relay" line.
CheckLine ProbeRelay(const std::string& server, int port, const std::string& whoBytes, PeerAnswers& answers,
                     int waitMs, bool& reached);

}  // namespace zc::doctor
