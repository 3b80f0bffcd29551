#pragma once
#include <functional>
#include <string>
#include <vector>

#include "doctor/doctor_report.h"
#include "net/net_settings.h"

namespace zc::doctor {

struct DoctorOptions {
    CNetSettings net;                  // the profile's network settings
    std::vector<std::string> ownIds;   // identities of copies that are us (the running chat)
    int waitMs = 3000;                 // how long answers may take
};

// Runs every check in order and hands each line over as soon as it is known (the peers take
// waitMs). Blocking; run it off a user interface thread.
std::vector<CheckLine> RunDoctor(const DoctorOptions& options, const std::function<void(const CheckLine&)>& onLine);

// The network settings of the profile the program folder (the current directory) names.
CNetSettings ReadProfileNetSettings();

}  // namespace zc::doctor
