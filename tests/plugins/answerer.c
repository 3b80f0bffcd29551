/* An answering plug-in: it replies to whoever wrote, and says it handled the message. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_ANSWER, "Answerer");
}

ZC_EXPORT void PluginHandler(int32_t code, PluginCallBlock* block, int32_t* result) {
    char answer[512];
    (void)code;
    RecordCall("answerer", "PluginHandler", block);
    snprintf(answer, sizeof answer, "%s: %s is away", zc_text_get(zc_block_text(block, ZC_BLOCK_SENDER)),
             zc_text_get(zc_block_text(block, ZC_BLOCK_OWN)));
    zc_text_set(zc_block_text(block, ZC_BLOCK_TEXT), answer);
    *result = 1;
}
