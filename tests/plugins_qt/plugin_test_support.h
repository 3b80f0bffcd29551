#pragma once
// A stand-in for the chat on the other side of the plug-in interface: its text objects, its
// host functions and the loaded library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "zeltochat/plugin_api.h"

namespace plugintest {

struct FakeText : ZcText {
    std::string value;
    explicit FakeText(std::string v = {}) : value(std::move(v)) { ops = &kOps; }
    static inline const ZcTextOps kOps = {
        [](const ZcText* t) { return static_cast<const FakeText*>(t)->value.c_str(); },
        [](ZcText* t, const char* v) { static_cast<FakeText*>(t)->value = v; },
    };
};

struct FakeHost {
    int broughtToFront = 0;
    ZcHost host{ZC_PLUGIN_API_VERSION, 0x4200001, this, nullptr,
                [](void* context) { ++static_cast<FakeHost*>(context)->broughtToFront; }};
};

// One notification as the chat hands it over.
struct Notification {
    FakeText sender, own{"me"}, text;
    PluginCallBlock block{};
    Notification(const FakeHost& host, std::string from, std::string message, int seconds)
        : sender(std::move(from)), text(std::move(message)) {
        block.field[ZC_BLOCK_HOST] = reinterpret_cast<uintptr_t>(&host.host);
        block.field[ZC_BLOCK_SENDER] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&sender));
        block.field[ZC_BLOCK_OWN] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&own));
        block.field[ZC_BLOCK_TEXT] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&text));
        block.field[ZC_BLOCK_SECONDS] = static_cast<uintptr_t>(seconds);
    }
};

class Plugin {
public:
    explicit Plugin(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        EXPECT_NE(handle_, nullptr) << dlerror();
    }
    ~Plugin() {
        if (handle_) dlclose(handle_);
    }
    template <typename Fn>
    Fn Get(const char* name) const {
        return handle_ ? reinterpret_cast<Fn>(dlsym(handle_, name)) : nullptr;
    }
    bool Has(const char* name) const { return Get<void*>(name) != nullptr; }

    // Calls ShowTipBubble as the host does: result cleared first.
    int32_t Show(Notification& n) const {
        auto show = Get<PluginProcFn>("ShowTipBubble");
        EXPECT_NE(show, nullptr);
        int32_t result = 0;
        if (show) show(1, &n.block, &result);
        return result;
    }

private:
    void* handle_;
};

}  // namespace plugintest
