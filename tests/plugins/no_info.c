/* A library that is no plug-in: it lacks GetPluginInfo. */
#include "record.h"

ZC_EXPORT void PluginHandler(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("no_info", "PluginHandler", block);
    *result = 1;
}
