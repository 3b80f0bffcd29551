/* A plug-in whose run procedure fails an assertion the way C code does: abort(). */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, 7, "Run aborts");
}

ZC_EXPORT void GetPluginRunProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code, (void)result;
    RecordCall("run_aborts", "GetPluginRunProc", block);
    abort();
}
