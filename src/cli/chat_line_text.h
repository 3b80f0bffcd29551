#pragma once
#include <string>

namespace zc {

enum class LineStyle { Plain, Own, Private, Alert, Notice, Presence, Sound };

// One chat line as a terminal shows it: UTF-8, tags dropped, entities decoded, control
// characters removed, the breaks inside the line written as " / ". Pictures show their title.
std::string ChatLineText(const std::string& cp1251Html);

// The look of a line, from the class of the first span that tells its kind.
LineStyle ChatLineStyle(const std::string& cp1251Html);

}  // namespace zc
