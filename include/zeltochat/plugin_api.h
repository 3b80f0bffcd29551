/* ZeltoChat plug-in interface.
 *
 * A plug-in is a shared library in the program's "plugins" folder. The chat looks up the
 * functions below by name; only GetPluginInfo is required. Every call comes on the chat's
 * user-interface thread. Texts are zero-terminated windows-1251 bytes.
 */
#ifndef ZELTOCHAT_PLUGIN_API_H
#define ZELTOCHAT_PLUGIN_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZC_PLUGIN_API_VERSION 1

/* Plug-in types. */
#define ZC_PLUGIN_ANSWER 1 /* PluginHandler after an incoming public message is shown */
#define ZC_PLUGIN_NOTIFY 3 /* ShowTipBubble when an event is to be notified */
#define ZC_PLUGIN_FILTER 5 /* PluginHandler before an incoming public message is shown */

/* What GetPluginInfo fills in. The host copies the texts at once. */
typedef struct PluginInfo {
    int32_t type;
    const char* name;
    const char* version;
    const char* maker;
} PluginInfo;

/* One of the host's own text objects. Read and replace it with zc_text_get / zc_text_set. */
typedef struct ZcText ZcText;
typedef struct ZcTextOps {
    const char* (*get)(const ZcText* text);
    void (*set)(ZcText* text, const char* value);
} ZcTextOps;
struct ZcText {
    const ZcTextOps* ops;
};

static inline const char* zc_text_get(const ZcText* text) { return text ? text->ops->get(text) : ""; }
static inline void zc_text_set(ZcText* text, const char* value) {
    if (text) text->ops->set(text, value ? value : "");
}

/* A notification request, as a plug-in may post one to the chat: the chat shows it through the
 * notification plug-ins when the event's bubble is switched on in the current mode. */
typedef struct ZcNotifyRequest {
    int32_t eventKind;
    int32_t unused;
    const char* title;
    const char* text;
} ZcNotifyRequest;

/* The host: what index 0 of every call block points to, and what GetPluginInit receives. */
typedef struct ZcHost {
    uint32_t version;    /* ZC_PLUGIN_API_VERSION */
    uint64_t mainWindow; /* the main window's identity on the desktop (an X11 window id); 0 when none */
    void* context;       /* pass it back to the functions below */
    /* Queues the request; the chat handles it after the current call returns. Texts are copied. */
    void (*postNotifyRequest)(void* context, const ZcNotifyRequest* request);
    /* Brings the chat's main window to the front when it is shown. */
    void (*bringMainWindowToFront)(void* context);
} ZcHost;

/* Indexes of PluginCallBlock.field. */
#define ZC_BLOCK_HOST 0   /* const ZcHost* */
#define ZC_BLOCK_SENDER 4 /* ZcText*: the event's sender (menu calls: the own nickname) */
#define ZC_BLOCK_OWN 7    /* ZcText*: the own nickname (menu calls: an empty text) */
#define ZC_BLOCK_TEXT 8   /* ZcText*: the message; a plug-in may replace it (menu calls: the same empty text) */
#define ZC_BLOCK_SECONDS 9 /* display time of a notification in seconds; 0: the plug-in's own default */

typedef struct PluginCallBlock {
    uintptr_t field[10];
} PluginCallBlock;

/* The exports, by name. A procedure sets *result to 1 for "handled". */
typedef void (*GetPluginInfoFn)(PluginInfo* info, int32_t* flag);
typedef void (*GetPluginInitFn)(const uintptr_t* host /* points to a const ZcHost* */, int32_t* reserved);
typedef void (*PluginProcFn)(int32_t code, PluginCallBlock* block, int32_t* result);
/* GetPluginRunProc, GetPluginSetupProc, GetPluginCheckOnProc, GetPluginCheckOffProc,
 * PluginHandler and ShowTipBubble all have the form PluginProcFn. */

static inline const ZcHost* zc_block_host(const PluginCallBlock* block) {
    return (const ZcHost*)block->field[ZC_BLOCK_HOST];
}
static inline ZcText* zc_block_text(const PluginCallBlock* block, int index) {
    return (ZcText*)block->field[index];
}

#ifdef __cplusplus
}
#endif

#endif /* ZELTOCHAT_PLUGIN_API_H */
