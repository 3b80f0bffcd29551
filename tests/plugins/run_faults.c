/* A type-3 plug-in whose run procedure writes through a null pointer; setup and the switch
 * procedures only record their calls. */
#include "record.h"

/* Read at run time, so the compiler cannot see the null pointer coming. */
static int* volatile gNowhere = NULL;

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    FillInfo(info, ZC_PLUGIN_NOTIFY, "Run faults");
    *flag = 1;
}

ZC_EXPORT void GetPluginRunProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("run_faults", "GetPluginRunProc", block);
    *gNowhere = 1;
    *result = 1;
}

ZC_EXPORT void GetPluginSetupProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("run_faults", "GetPluginSetupProc", block);
    *result = 1;
}

ZC_EXPORT void GetPluginCheckOnProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("run_faults", "GetPluginCheckOnProc", block);
    *result = 1;
}

ZC_EXPORT void GetPluginCheckOffProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("run_faults", "GetPluginCheckOffProc", block);
    *result = 1;
}

ZC_EXPORT void ShowTipBubble(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("run_faults", "ShowTipBubble", block);
    if (getenv("ZC_TEST_BUBBLE_FAULTS")) *gNowhere = 3;
    *result = 0;
}
