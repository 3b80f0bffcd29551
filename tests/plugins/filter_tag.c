/* A filter that adds a mark to the text and leaves it to the next one. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_FILTER, "Tagging filter");
}

ZC_EXPORT void PluginHandler(int32_t code, PluginCallBlock* block, int32_t* result) {
    ZcText* text = zc_block_text(block, ZC_BLOCK_TEXT);
    char changed[512];
    (void)code;
    RecordCall("filter_tag", "PluginHandler", block);
    snprintf(changed, sizeof changed, "[%s] %s", zc_text_get(zc_block_text(block, ZC_BLOCK_SENDER)), zc_text_get(text));
    zc_text_set(text, changed);
    *result = 0;
}
