/* A notification plug-in, built twice under two names. It reports handled when
 * ZC_TEST_NOTIFY_HANDLES names it; it can post a request and bring the window up through the
 * host it is handed. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_NOTIFY, PLUGIN_NAME);
}

ZC_EXPORT void ShowTipBubble(int32_t code, PluginCallBlock* block, int32_t* result) {
    const ZcHost* host = zc_block_host(block);
    (void)code;
    RecordCall(PLUGIN_NAME, "ShowTipBubble", block);
    if (Named("ZC_TEST_NOTIFY_POSTS", PLUGIN_NAME)) {
        char title[64];
        ZcNotifyRequest request;
        snprintf(title, sizeof title, "from %s", PLUGIN_NAME);
        request.eventKind = 7;
        request.unused = 0;
        request.title = title;
        request.text = zc_text_get(zc_block_text(block, ZC_BLOCK_TEXT));
        host->postNotifyRequest(host->context, &request);
        host->bringMainWindowToFront(host->context);
    }
    *result = Named("ZC_TEST_NOTIFY_HANDLES", PLUGIN_NAME) ? 1 : 0;
}

/* Says when the library is freed, so the order of unloading shows. */
__attribute__((destructor)) static void Unloaded(void) {
    const char* path = getenv("ZC_TEST_PLUGIN_LOG");
    FILE* f = path ? fopen(path, "ab") : NULL;
    if (!f) return;
    fprintf(f, "%s unloaded\n", PLUGIN_NAME);
    fclose(f);
}
