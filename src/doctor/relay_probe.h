#pragma once
#include <string>

#include "doctor/doctor_report.h"
#include "doctor/peer_answers.h"
#include "doctor/relay_status.h"

namespace zc::doctor {

// Relay mode: two connections to the relay; our WHO written to one must come out of the other.
// Answers of other copies, on either connection, go to answers. The "relay" line.
CheckLine ProbeRelay(const std::string& server, int port, const std::string& whoBytes, PeerAnswers& answers,
                     int waitMs, bool& reached);

// Asks the relay for its status on a connection of its own; not answered when it does not know
// the query (an older relay) or says nothing within waitMs.
RelayStatus QueryRelayStatus(const std::string& server, int port, int waitMs);

}  // namespace zc::doctor
