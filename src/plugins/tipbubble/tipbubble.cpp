// The notification bubble plug-in: shows the chat's notifications as a small pop-up in the
// bottom right corner, in the alert colours of the user's skin theme.
#include <QApplication>
#include <QPointer>

#include "plugins/plugin_text.h"
#include "plugins/tipbubble/bubble_colours.h"
#include "plugins/tipbubble/tip_bubble_wnd.h"
#include "zeltochat/plugin_api.h"

#define ZC_EXPORT extern "C" __attribute__((visibility("default")))

// ELF has no version resource; the texts live in a section of their own (readelf -p .zc_version).
__attribute__((used, section(".zc_version"))) static const char kVersionInfo[] =
    "FileDescription=Tip Bubble\0ProductName=Tip Bubble\0FileVersion=1.0.0.1\0"
    "InternalName=tipbubble.so\0OriginalFilename=tipbubble.so";

namespace {

constexpr int kDefaultSeconds = 4;

tipbubble::BubbleColours g_colours;
QPointer<tipbubble::TipBubbleWnd> g_bubble;

void DestroyBubble() {
    delete g_bubble.data();
}

// The window's code goes away with the library, so the window must go first.
struct UnloadGuard {
    ~UnloadGuard() {
        if (QCoreApplication::instance()) DestroyBubble();
    }
} g_unloadGuard;

}  // namespace

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    tipbubble::LoadBubbleColours(tipbubble::FindBaseDirectory(), g_colours);
    if (info) {
        info->type = ZC_PLUGIN_NOTIFY;
        info->name = "Tip Bubble";
        info->version = "0.1";
        info->maker = "ZeltoChat team, zeltochat@localhost";
    }
    if (flag) *flag = 1;
}

ZC_EXPORT void ShowTipBubble(int32_t /*code*/, PluginCallBlock* block, int32_t* result) {
    DestroyBubble();
    // A terminal client has no widgets, and a Wayland desktop lets no window place itself in a
    // corner: leave the notification to the desktop's notification server.
    if (!block || !qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (result) *result = 0;
        return;
    }
    const QString text = zcplugin::BlockText(block, ZC_BLOCK_SENDER) + "\n\n" + zcplugin::BlockText(block, ZC_BLOCK_TEXT);
    const int displayMs = zcplugin::DisplaySeconds(block, kDefaultSeconds) * 1000;
    g_bubble = new tipbubble::TipBubbleWnd(text, displayMs, g_colours.background, g_colours.text,
                                           g_colours.highlight, zc_block_host(block));
    if (result) *result = 1;
}
