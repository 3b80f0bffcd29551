#pragma once
#include <QIcon>

namespace zc {

// Drawn, so the program needs no picture files to have an icon.
QIcon MakeProgramIcon();

}  // namespace zc
