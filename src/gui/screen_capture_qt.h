#pragma once
#include "platform/screen_capture.h"

namespace zc {

// The primary screen as the X server shows it. A Wayland session keeps other programs' windows
// from us, so there it refuses instead of sending a black or partial picture.
class ScreenCaptureQt : public ScreenCapture {
public:
    bool Capture(ScreenPicture* picture, std::string* why) override;
};

// Why no picture can be taken on this platform, or empty when a grab may work. The platform
// name is QGuiApplication's; waylandDisplay is $WAYLAND_DISPLAY.
std::string GrabRefusal(const std::string& platformName, const std::string& waylandDisplay);

}  // namespace zc
