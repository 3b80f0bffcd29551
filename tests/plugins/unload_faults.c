/* A plug-in whose clean-up faults when the library is freed. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_NOTIFY, "Faults on unload");
}

__attribute__((destructor)) static void Cleanup(void) {
    volatile int* nowhere = NULL;
    *nowhere = 2;
}
