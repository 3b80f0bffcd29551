#pragma once
#include <QImage>
#include <QString>

namespace zc {

// A picture of the screen through the desktop portal (org.freedesktop.portal.Screenshot), the
// one way a Wayland desktop lets a program see other windows. The desktop may ask the user;
// the call waits for the answer, at most timeoutMs, on a thread of its own so that nothing of
// the chat runs in between. A null image, with the reason, when there is none.
QImage PortalScreenshot(QString* why, int timeoutMs = 30000);

}  // namespace zc
