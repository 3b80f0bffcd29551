#pragma once
#include <string>
#include <vector>

namespace zc {

// The whole primary screen: rows top-down, 3 bytes (R, G, B) per pixel, packed.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // False, with the reason, where no picture can be taken (no screen, a Wayland session).
    virtual bool Capture(ScreenPicture* picture, std::string* why) = 0;
};

}  // namespace zc
