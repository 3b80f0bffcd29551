// Shows the chat's notifications through the desktop's own notification server.
#include <QCoreApplication>

#include "plugins/desktopnotify/desktop_notifier.h"
#include "plugins/plugin_text.h"
#include "zeltochat/plugin_api.h"

#define ZC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

desktopnotify::DesktopNotifier* g_notifier = nullptr;

desktopnotify::DesktopNotifier* Notifier() {
    if (!g_notifier && QCoreApplication::instance()) g_notifier = new desktopnotify::DesktopNotifier;
    return g_notifier;
}

// The object's code goes away with the library, so the object must go first.
struct UnloadGuard {
    ~UnloadGuard() {
        if (QCoreApplication::instance()) delete g_notifier;
        g_notifier = nullptr;
    }
} g_unloadGuard;

}  // namespace

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    if (info) {
        info->type = ZC_PLUGIN_NOTIFY;
        info->name = "Desktop notifications";
        info->version = "0.1";
        info->maker = "ZeltoChat team, zeltochat@localhost";
    }
    if (flag) *flag = 1;
}

ZC_EXPORT void GetPluginInit(const uintptr_t* host, int32_t* /*reserved*/) {
    if (host && Notifier()) Notifier()->SetHost(reinterpret_cast<const ZcHost*>(*host));
}

ZC_EXPORT void ShowTipBubble(int32_t /*code*/, PluginCallBlock* block, int32_t* result) {
    if (result) *result = 0;
    desktopnotify::DesktopNotifier* notifier = Notifier();
    if (!block || !notifier) return;
    if (zc_block_host(block)) notifier->SetHost(zc_block_host(block));
    const int seconds = zcplugin::DisplaySeconds(block, 0);
    const bool shown = notifier->Notify(zcplugin::BlockText(block, ZC_BLOCK_SENDER),
                                        zcplugin::BlockText(block, ZC_BLOCK_TEXT), seconds > 0 ? seconds * 1000 : -1);
    if (result && shown) *result = 1;
}
