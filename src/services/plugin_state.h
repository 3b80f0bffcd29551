#pragma once
#include <string>

namespace zc {

// Whether a plug-in is switched on is kept per profile in [PLUGINS], keyed by its file name
// without blanks.
std::string PluginStateKey(const std::string& fileName);

// Keys under three characters are never written, nor keys that would not read back as
// themselves ('=', brackets, ';' or control characters).
bool IsStorablePluginKey(const std::string& key);

// On when the value is not empty, whatever it says. A plug-in that is on by default (the
// desktop notifications, which stay quiet without a notification server) is also on while the
// user never switched it off.
bool ReadPluginState(const std::string& profilePath, const std::string& fileName);

// On writes "1", off deletes the key; nothing is written for a key that cannot be stored.
// Switching off is also noted in [PLUGINSOFF], since a missing key means "never chosen" for a
// plug-in that is on by default. False when nothing could be written.
bool WritePluginState(const std::string& profilePath, const std::string& fileName, bool on);

}  // namespace zc
