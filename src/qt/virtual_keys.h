#pragma once

namespace zc {

// The hot key table holds Windows virtual-key codes (F1 = 112); Qt reports its own key codes.
// 0 for a key that has no code here.
int VirtualKeyFromQt(int qtKey, bool keypad);

}  // namespace zc
