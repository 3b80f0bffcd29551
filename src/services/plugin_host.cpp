#include "services/plugin_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "base/debug_log.h"
#include "base/language.h"
#include "services/plugin_guard.h"
#include "services/plugin_state.h"
#include "zeltochat/plugin_api.h"

namespace zc {
namespace {

constexpr size_t kMaxPluginsBeforeStop = 200;  // more than this and the folder is not read further

// One of the host's texts as a plug-in sees it: a ZcText whose ops reach the std::string.
struct HostText : ZcText {
    std::string value;
    explicit HostText(std::string text = {});
};

const char* HostTextGet(const ZcText* text) { return static_cast<const HostText*>(text)->value.c_str(); }
// Runs inside plug-in code, which an exception must not cross: out of memory keeps the old text.
void HostTextSet(ZcText* text, const char* value) {
    try {
        static_cast<HostText*>(text)->value = value ? value : "";
    } catch (...) {
    }
}
const ZcTextOps kHostTextOps = {HostTextGet, HostTextSet};

HostText::HostText(std::string text) : ZcText{&kHostTextOps}, value(std::move(text)) {}

std::string CopyPluginText(const char* text) { return text ? std::string(text) : std::string(); }

bool EndsWithSo(const std::string& name) { return name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0; }

}  // namespace

struct PluginHost::Impl {
    PluginHost& host;
    ZcHost api{};
    uintptr_t apiAddress = 0;

    explicit Impl(PluginHost& owner) : host(owner) {
        api.version = ZC_PLUGIN_API_VERSION;
        api.mainWindow = owner.services_.mainWindow;
        api.context = this;
        api.postNotifyRequest = &Impl::PostNotifyRequest;
        api.bringMainWindowToFront = &Impl::BringMainWindowToFront;
        apiAddress = reinterpret_cast<uintptr_t>(&api);
    }

    // Called by plug-in code: nothing may be thrown back through it.
    static void PostNotifyRequest(void* context, const ZcNotifyRequest* request) {
        if (context == nullptr || request == nullptr) return;
        auto* self = static_cast<Impl*>(context);
        try {
            const std::string title = CopyPluginText(request->title), text = CopyPluginText(request->text);
            if (self->host.services_.postNotifyRequest) self->host.services_.postNotifyRequest(request->eventKind, title, text);
        } catch (...) {
        }
    }
    static void BringMainWindowToFront(void* context) {
        if (context == nullptr) return;
        auto* self = static_cast<Impl*>(context);
        try {
            if (self->host.services_.bringMainWindowToFront) self->host.services_.bringMainWindowToFront();
        } catch (...) {
        }
    }

    void* Lookup(const PluginRecord& record, const char* name) const {
        return record.module ? dlsym(record.module, name) : nullptr;
    }

    PluginCallBlock Block(HostText& sender, HostText& own, HostText& text) const {
        PluginCallBlock block{};
        block.field[ZC_BLOCK_HOST] = apiAddress;
        block.field[ZC_BLOCK_SENDER] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&sender));
        block.field[ZC_BLOCK_OWN] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&own));
        block.field[ZC_BLOCK_TEXT] = reinterpret_cast<uintptr_t>(static_cast<ZcText*>(&text));
        return block;
    }

    // A fault leaves the plug-in in an unknown state: it is not called again in this run, and
    // the profile keeps what the user chose.
    void MarkFaulted(PluginRecord& record) const {
        record.faulted = true;
        record.enabled = 0;
    }

    // Frees a library; false when it faulted while being freed.
    static bool Free(void* module, bool& reportedFailure) {
        int rc = 0;
        const GuardOutcome outcome = RunGuarded([&] { rc = dlclose(module); });
        reportedFailure = outcome == GuardOutcome::Returned && rc != 0;
        return outcome == GuardOutcome::Returned;
    }
};

PluginHost::PluginHost(const DebugLog& log, std::string folder, std::string profilePath, PluginHostServices services)
    : PluginHost(log, std::vector<std::string>{std::move(folder)}, std::move(profilePath), std::move(services)) {}

PluginHost::PluginHost(const DebugLog& log, std::vector<std::string> folders, std::string profilePath,
                       PluginHostServices services)
    : log_(log),
      folders_(std::move(folders)),
      profilePath_(std::move(profilePath)),
      services_(std::move(services)),
      impl_(std::make_unique<Impl>(*this)) {}

PluginHost::~PluginHost() { UnloadPlugins(); }

void PluginHost::LoadPlugins() {
    UnloadPlugins();
    std::vector<std::string> tried;
    for (const std::string& folder : folders_) LoadFolder(folder, tried);
}

void PluginHost::LoadFolder(const std::string& folder, std::vector<std::string>& tried) {
    std::error_code error;
    std::vector<std::filesystem::directory_entry> entries;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end && entries.size() <= 4 * kMaxPluginsBeforeStop; it.increment(error))
        entries.push_back(*it);
    // By name, so the ids and the notification order are the same on every start: the desktop's
    // notifications (desktopnotify.so) come before the bubble (tipbubble.so), its fallback.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });
    for (const std::filesystem::directory_entry& entry : entries) {
        if (plugins_.size() > kMaxPluginsBeforeStop) break;
        const std::string fileName = entry.path().filename().string();
        std::error_code typeError;
        if (!EndsWithSo(fileName) || !entry.is_regular_file(typeError)) continue;
        // The program folder's own copy hides the build's or the installed one.
        if (std::find(tried.begin(), tried.end(), fileName) != tried.end()) continue;
        tried.push_back(fileName);
        const std::string path = folder + "/" + fileName;

        log_.Write(":::\"LoadLibrary\" for plugin " + path);
        void* module = nullptr;
        if (RunGuarded([&] { module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }) != GuardOutcome::Returned ||
            module == nullptr) {
            log_.Write(":::\"LoadLibrary\" for plugin " + path + " FAILED");
            continue;
        }
        auto getInfo = reinterpret_cast<GetPluginInfoFn>(dlsym(module, "GetPluginInfo"));
        if (getInfo == nullptr) {
            bool failed = false;
            if (!Impl::Free(module, failed))
                log_.Write(":::Call \"FreeLibrary\" in plugin " + fileName + " global FAILED");
            continue;
        }

        PluginRecord record;
        // The texts are copied inside the guard: their pointers are the plug-in's word.
        if (RunGuarded([&] {
                PluginInfo info{};
                int32_t flag = 0;
                getInfo(&info, &flag);
                record.type = info.type;
                record.name = CopyPluginText(info.name);
                record.version = CopyPluginText(info.version);
                record.maker = CopyPluginText(info.maker);
            }) != GuardOutcome::Returned) {
            // Not freed: after a fault its own clean-up cannot be trusted to run.
            log_.Write(":::Call \"GetPluginInfo\" in plugin " + fileName + " FAILED");
            log_.Write(":::incompartible plugin");
            log_.Write(":::please delete this file " + fileName + " from plugins directory");
            continue;
        }
        record.module = module;
        record.id = static_cast<int>(plugins_.size()) + 1;
        record.fileName = fileName;
        record.enabled = ReadPluginState(profilePath_, fileName) ? 1 : 0;
        record.toggleItem = true;
        record.hasRun = dlsym(module, "GetPluginRunProc") != nullptr;
        record.hasSetup = dlsym(module, "GetPluginSetupProc") != nullptr;
        plugins_.push_back(std::move(record));
    }
}

void PluginHost::InitPlugins() {
    for (PluginRecord& record : plugins_) {
        if (record.enabled != 1 || record.faulted) continue;
        auto init = reinterpret_cast<GetPluginInitFn>(impl_->Lookup(record, "GetPluginInit"));
        if (init == nullptr) continue;
        const uintptr_t host = impl_->apiAddress;
        int32_t reserved = 0;
        if (RunGuarded([&] { init(&host, &reserved); }) != GuardOutcome::Returned) {
            log_.Write(":::Call GetPluginInit in plugin " + record.fileName + " FAILED");
            impl_->MarkFaulted(record);
        }
    }
}

bool PluginHost::CallPluginProc(const std::string& procedureName, int id, const std::string& nickname) {
    // Ids start at 1; 0 would name the place before the list.
    if (id < 1 || id > static_cast<int>(plugins_.size())) return false;
    PluginRecord& record = plugins_[id - 1];
    if (record.id != id || !record.hasRun || record.faulted) return false;
    auto procedure = reinterpret_cast<PluginProcFn>(impl_->Lookup(record, procedureName.c_str()));
    if (procedure == nullptr) return false;

    HostText own(nickname), empty;
    PluginCallBlock block = impl_->Block(own, empty, empty);
    int32_t result = 0;
    if (RunGuarded([&] { procedure(1, &block, &result); }) != GuardOutcome::Returned) {
        log_.Write(":::Call \"" + procedureName + "\" in plugin " + record.fileName + " FAILED");
        impl_->MarkFaulted(record);
        return false;
    }
    return result == 1;
}

bool PluginHost::CallNotifyPlugins(const std::string& procedureName, const PluginRequest& request) {
    for (PluginRecord& record : plugins_) {
        if (record.type != ZC_PLUGIN_NOTIFY || record.enabled != 1 || record.faulted) continue;
        auto procedure = reinterpret_cast<PluginProcFn>(impl_->Lookup(record, procedureName.c_str()));
        if (procedure == nullptr) continue;
        HostText sender(request.sender), own(request.ownNickname), text(request.text);
        PluginCallBlock block = impl_->Block(sender, own, text);
        int32_t result = 0;
        if (RunGuarded([&] { procedure(1, &block, &result); }) != GuardOutcome::Returned) {
            log_.Write(":::Call \" " + procedureName + "\" in plugin " + record.fileName + " FAILED");
            impl_->MarkFaulted(record);
            return false;
        }
        if (result == 1) return true;
    }
    return false;
}

std::string PluginHost::RunPluginHandler(int type, const PluginRequest& request) {
    std::string resultText = request.text;
    for (PluginRecord& record : plugins_) {
        if (record.type != type || record.enabled != 1 || record.faulted) continue;
        auto handler = reinterpret_cast<PluginProcFn>(impl_->Lookup(record, "PluginHandler"));
        if (handler == nullptr) continue;
        HostText sender(request.sender), own(request.ownNickname), text(resultText);
        PluginCallBlock block = impl_->Block(sender, own, text);
        int32_t result = 0;
        std::string after;
        // Index 8 is read back inside the guard too: a plug-in may have put a text of its own there.
        const GuardOutcome outcome = RunGuarded([&] {
            handler(1, &block, &result);
            after = zc_text_get(reinterpret_cast<const ZcText*>(block.field[ZC_BLOCK_TEXT]));
        });
        if (outcome != GuardOutcome::Returned) {
            log_.Write(":::Call \"PluginHandler\" in plugin " + record.fileName + " FAILED");
            impl_->MarkFaulted(record);
            return resultText;
        }
        resultText = std::move(after);
        if (result != 1) continue;
        if (type == ZC_PLUGIN_ANSWER) {
            if (services_.sendAsTyped) services_.sendAsTyped(resultText);
            return kPluginTypeCallback;
        }
        return resultText;
    }
    return resultText;
}

void PluginHost::TogglePlugin(int id, const std::string& nickname) {
    auto it = std::find_if(plugins_.begin(), plugins_.end(), [id](const PluginRecord& r) { return r.id == id; });
    if (it == plugins_.end() || it->faulted) return;
    it->enabled = it->enabled == 0 ? 1 : 0;
    WritePluginState(profilePath_, it->fileName, it->enabled == 1);
    CallPluginProc(it->enabled == 1 ? "GetPluginCheckOnProc" : "GetPluginCheckOffProc", id, nickname);
}

std::vector<PluginMenu> PluginHost::BuildPluginMenu(const LanguageTable& language) const {
    std::vector<PluginMenu> menus;
    menus.reserve(plugins_.size());
    for (const PluginRecord& record : plugins_) {
        PluginMenu menu;
        menu.name = record.name;
        // Switched off by a fault for the rest of the run: the entry says so and offers nothing,
        // since switching it on again could not be honoured.
        if (record.faulted) {
            menu.name += " (" + language.Extra(ExtraText::PluginFaulted) + ")";
            menus.push_back(std::move(menu));
            continue;
        }
        if (record.toggleItem) {
            menu.items.push_back({kPluginToggleCommand + record.id, language.LangString(record.enabled == 1 ? 127 : 126)});
            menu.checked = record.enabled == 1;
        }
        if (record.hasRun) menu.items.push_back({kPluginRunCommand + record.id, language.LangString(124)});
        if (record.hasSetup) {
            menu.items.push_back({0, {}});
            menu.items.push_back({kPluginSetupCommand + record.id, language.LangString(125)});
        }
        menus.push_back(std::move(menu));
    }
    return menus;
}

bool PluginHost::OnCommand(int command, const std::string& nickname) {
    // The ranges share their ends; the earlier range takes a shared number.
    if (command >= kPluginToggleCommand && command <= kPluginRunCommand) {
        if (command > kPluginToggleCommand) TogglePlugin(command - kPluginToggleCommand, nickname);
        return true;
    }
    if (command > kPluginRunCommand && command <= kPluginSetupCommand) {
        CallPluginProc("GetPluginRunProc", command - kPluginRunCommand, nickname);
        return true;
    }
    if (command > kPluginSetupCommand && command <= kPluginCommandEnd) {
        CallPluginProc("GetPluginSetupProc", command - kPluginSetupCommand, nickname);
        return true;
    }
    return false;
}

void PluginHost::UnloadPlugins() {
    log_.Write(":::\"FreeLibrary\" proccess");
    while (!plugins_.empty()) {
        const PluginRecord& record = plugins_.back();
        // A plug-in that faulted may have left anything running inside it: it stays mapped.
        if (record.module != nullptr && !record.faulted) {
            bool reportedFailure = false;
            if (!Impl::Free(record.module, reportedFailure))
                log_.Write(":::Call \"FreeLibrary\" in plugin " + record.fileName + " global FAILED");
            else if (reportedFailure)
                log_.Write(":::Call \"FreeLibrary\" in plugin " + record.fileName + " FAILED");
        }
        plugins_.pop_back();
    }
    log_.Write(":::\"FreeLibrary\" proccess...OK");
}

}  // namespace zc
