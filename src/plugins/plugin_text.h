#pragma once
// Texts between the chat and its Qt plug-ins: the chat hands over windows-1251 bytes.
#include <QString>
#include <QStringDecoder>

#include "zeltochat/plugin_api.h"

namespace zcplugin {

inline QString FromCp1251(const char* bytes) {
    if (!bytes) return {};
    QStringDecoder decoder("windows-1251");
    // Qt without ICU knows no legacy code pages; Latin-1 at least keeps every byte visible.
    if (!decoder.isValid()) return QString::fromLatin1(bytes);
    return decoder.decode(QByteArrayView(bytes));
}

inline QString BlockText(const PluginCallBlock* block, int index) {
    return FromCp1251(zc_text_get(zc_block_text(block, index)));
}

// Seconds from the block; below 1 the plug-in's own default, and never more than a day so the
// milliseconds fit an int.
inline int DisplaySeconds(const PluginCallBlock* block, int fallback) {
    const auto seconds = static_cast<intptr_t>(block->field[ZC_BLOCK_SECONDS]);
    if (seconds < 1) return fallback;
    return seconds > 86400 ? 86400 : static_cast<int>(seconds);
}

}  // namespace zcplugin
