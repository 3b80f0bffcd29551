#include "gui/screen_capture_qt.h"

#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "gui/portal_screenshot.h"

namespace zc {

std::string GrabRefusal(const std::string& platformName, const std::string& waylandDisplay) {
    const char* wayland = "the desktop runs Wayland, which lets no program take a picture of the screen";
    if (platformName.rfind("wayland", 0) == 0) return wayland;
    // Not on X either: whatever we grabbed would show our own windows at best.
    if (!waylandDisplay.empty() && platformName != "xcb") return wayland;
    if (platformName == "offscreen" || platformName == "minimal")
        return "the program shows no screen (platform " + platformName + ")";
    return {};
}

bool UsesDesktopPortal(const std::string& platformName, const std::string& waylandDisplay) {
    return platformName.rfind("wayland", 0) == 0 || (!waylandDisplay.empty() && platformName != "xcb");
}

bool ScreenCaptureQt::Capture(ScreenPicture* picture, std::string* why) {
    auto fail = [why](std::string reason) {
        if (why) *why = std::move(reason);
        return false;
    };
    if (!picture) return fail("nowhere to put the picture");
    *picture = {};
    if (!qGuiApp) return fail("the program has no screen");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const std::string platform = QGuiApplication::platformName().toStdString();
    QImage image;
    if (UsesDesktopPortal(platform, wayland ? wayland : "")) {
        QString reason;
        image = PortalScreenshot(&reason);
        if (image.isNull()) return fail(reason.toStdString());
    } else {
        const std::string refusal = GrabRefusal(platform, wayland ? wayland : "");
        if (!refusal.empty()) return fail(refusal);
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return fail("the program has no screen");
        // The whole screen in device pixels, as a screen device context would give it.
        image = screen->grabWindow(0).toImage();
    }
    image = image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return fail("the screen grab came back empty");
    const size_t row = static_cast<size_t>(image.width()) * 3;
    picture->width = image.width();
    picture->height = image.height();
    picture->rgb.resize(row * static_cast<size_t>(image.height()));
    // QImage rows are padded to 4 bytes; the picture's are packed.
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture->rgb.data() + row * static_cast<size_t>(y), image.constScanLine(y), row);
    return true;
}

}  // namespace zc
