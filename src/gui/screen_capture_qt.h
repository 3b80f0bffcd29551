#pragma once
#include "platform/screen_capture.h"

namespace zc {

// The primary screen as the X server shows it. A Wayland session keeps other programs' windows
// from us: there the desktop portal takes the picture, or nothing is sent, never a black or
// partial picture.
class ScreenCaptureQt : public ScreenCapture {
public:
    bool Capture(ScreenPicture* picture, std::string* why) override;
};

// The platform name is QGuiApplication's; waylandDisplay is $WAYLAND_DISPLAY.
// True where the picture is asked of the desktop portal instead of grabbed.
bool UsesDesktopPortal(const std::string& platformName, const std::string& waylandDisplay);
// Why no picture can be grabbed directly on this platform, or empty when a grab may work.
std::string GrabRefusal(const std::string& platformName, const std::string& waylandDisplay);

}  // namespace zc
