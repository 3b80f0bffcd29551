/* What the test plug-ins share: they write every call they get into the file named by
 * ZC_TEST_PLUGIN_LOG, one line each, so a test sees who was called, in which order, with what. */
#ifndef ZC_TEST_PLUGIN_RECORD_H
#define ZC_TEST_PLUGIN_RECORD_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zeltochat/plugin_api.h"

#define ZC_EXPORT __attribute__((visibility("default")))

/* "<plugin> <procedure> <sender>|<own>|<text>" */
static inline void RecordCall(const char* plugin, const char* procedure, const PluginCallBlock* block) {
    const char* path = getenv("ZC_TEST_PLUGIN_LOG");
    FILE* f;
    if (!path) return;
    f = fopen(path, "ab");
    if (!f) return;
    fprintf(f, "%s %s %s|%s|%s\n", plugin, procedure, zc_text_get(zc_block_text(block, ZC_BLOCK_SENDER)),
            zc_text_get(zc_block_text(block, ZC_BLOCK_OWN)), zc_text_get(zc_block_text(block, ZC_BLOCK_TEXT)));
    fclose(f);
}

/* True when the environment variable names this plug-in among its blank-separated words. */
static inline int Named(const char* variable, const char* plugin) {
    const char* list = getenv(variable);
    size_t n = strlen(plugin);
    while (list && *list) {
        while (*list == ' ') ++list;
        if (strncmp(list, plugin, n) == 0 && (list[n] == ' ' || list[n] == '\0')) return 1;
        list = strchr(list, ' ');
    }
    return 0;
}

static inline void FillInfo(PluginInfo* info, int type, const char* name) {
    info->type = type;
    info->name = name;
    info->version = "1.0";
    info->maker = "tests";
}

#endif
