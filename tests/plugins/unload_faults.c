/* A plug-in whose clean-up faults when the library is freed. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, ZC_PLUGIN_NOTIFY, "Faults on unload");
}

/* Read at run time, so the compiler cannot see the null pointer coming. */
static int* volatile gNowhere = NULL;

__attribute__((destructor)) static void Cleanup(void) { *gNowhere = 2; }
