/* A plug-in with a setup procedure but no run procedure, and an init that records the host. */
#include "record.h"

ZC_EXPORT void GetPluginInfo(PluginInfo* info, int32_t* flag) {
    (void)flag;
    FillInfo(info, 7, "Setup only");
}

ZC_EXPORT void GetPluginInit(const uintptr_t* host, int32_t* reserved) {
    const ZcHost* api = (const ZcHost*)*host;
    const char* path = getenv("ZC_TEST_PLUGIN_LOG");
    FILE* f = path ? fopen(path, "ab") : NULL;
    *reserved = 5;
    if (!f) return;
    fprintf(f, "setup_only GetPluginInit version=%u window=%llu\n", (unsigned)api->version,
            (unsigned long long)api->mainWindow);
    fclose(f);
    if (Named("ZC_TEST_INIT_FAULTS", "setup_only")) {
        volatile int zero = 0;
        *reserved = (int32_t)api->version / zero;
    }
}

ZC_EXPORT void GetPluginSetupProc(int32_t code, PluginCallBlock* block, int32_t* result) {
    (void)code;
    RecordCall("setup_only", "GetPluginSetupProc", block);
    *result = 1;
}
