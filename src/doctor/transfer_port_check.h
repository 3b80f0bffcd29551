#pragma once
#include "doctor/doctor_report.h"

namespace zc::doctor {

// The transfer port must be free to listen on, as the sending side of a file does.
CheckLine CheckTransferPort(int port);

}  // namespace zc::doctor
