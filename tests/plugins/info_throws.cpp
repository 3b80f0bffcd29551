// A plug-in that throws out of its description.
#include <stdexcept>

#include "record.h"

extern "C" ZC_EXPORT void GetPluginInfo(PluginInfo*, int32_t*) { throw std::runtime_error("no description"); }
