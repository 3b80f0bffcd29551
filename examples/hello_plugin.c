/* hello: the smallest useful ZeltoChat plug-in, a starting point for your own.
 *
 * It is a notification plug-in: when the chat has an event to show, it prints
 * "hello: <sender>: <text>" on the chat's standard error and reports the event handled, so no
 * later notification plug-in shows it again. Its run item (the plug-ins menu) asks the chat to
 * show a notification of its own.
 *
 *   cc -shared -fPIC -I include -o plugins/hello.so examples/hello_plugin.c
 */
#include <stdio.h>

#include "zeltochat/plugin_api.h"

#define EXPORT __attribute__((visibility("default")))

/* Required: what the plug-ins menu shows and which calls the chat makes. */
EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    info->type = ZC_PLUGIN_NOTIFY;
    info->name = "Hello";
    info->version = "1.0";
    info->maker = "ZeltoChat example";
    (void)flag;
}

/* Called for every notification while the plug-in is switched on. */
EXPORT void ShowTipBubble(int32_t code, PluginCallBlock* block, int32_t* result) {
    const char* sender = zc_text_get(zc_block_text(block, ZC_BLOCK_SENDER));
    const char* text = zc_text_get(zc_block_text(block, ZC_BLOCK_TEXT));
    (void)code;
    fprintf(stderr, "hello: %s: %s\n", sender, text);
    fflush(stderr);
    *result = 1;
}

/* The "Run" item of its sub-menu. */
EXPORT void GetPluginRunProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    const ZcHost* host = zc_block_host(block);
    ZcNotifyRequest request;
    (void)code;
    request.eventKind = 0;
    request.unused = 0;
    request.title = "Hello";
    request.text = "Hello from the example plug-in";
    host->postNotifyRequest(host->context, &request);
    *result = 1;
}
