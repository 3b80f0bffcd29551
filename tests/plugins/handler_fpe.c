/* A filter that divides by zero in its handler. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_FILTER, "Divides by zero");
}

ZC_EXPORT void PluginHandler(int32_t code, PluginCallBlock* block, int32_t* result) {
    volatile int zero = 0;
    RecordCall("handler_fpe", "PluginHandler", block);
    zc_text_set(zc_block_text(block, ZC_BLOCK_TEXT), "half-changed");
    *result = code / zero;
}
