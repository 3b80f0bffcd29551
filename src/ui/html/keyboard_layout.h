#pragma once
#include <string>

namespace zc {

// Retypes text typed in the wrong keyboard layout (Russian <-> US). With a selection
// [start, end) only that part changes.
std::string TranslateKeyboardLayout(const std::string& text);
std::string TranslateKeyboardLayout(const std::string& text, size_t selectionStart, size_t selectionEnd);

}  // namespace zc
