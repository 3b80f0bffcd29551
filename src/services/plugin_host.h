#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zc {

class DebugLog;
class LanguageTable;

// One loaded plug-in library.
struct PluginRecord {
    void* module = nullptr;
    int id = 0;  // 1-based, its place in the list plus one
    std::string fileName;
    int enabled = 0;
    int type = 0;
    std::string name, version, maker;
    bool hasRun = false;
    bool toggleItem = true;
    bool hasSetup = false;
    bool faulted = false;  // a fault inside it switched it off for the rest of the run
};

// The texts a notification or a message handler gets: the sender, our nickname, the message.
struct PluginRequest {
    std::string sender, ownNickname, text;
};

// One plug-in's sub-menu, built fresh each time a menu opens.
struct PluginMenuItem {
    int command = 0;  // 0: a separator
    std::string caption;
};
struct PluginMenu {
    std::string name;
    bool checked = false;
    std::vector<PluginMenuItem> items;
};

// Menu command ranges: id is the plug-in's id.
inline constexpr int kPluginToggleCommand = 42368;
inline constexpr int kPluginRunCommand = 42468;
inline constexpr int kPluginSetupCommand = 42568;
inline constexpr int kPluginCommandEnd = 42668;

inline constexpr char kPluginTypeCallback[] = "PLUGTYPE_CALLBACK";

// What the host needs of the chat around it.
struct PluginHostServices {
    // The main window's identity on the desktop (0 when none).
    std::uint64_t mainWindow = 0;
    // A type-1 plug-in's answer: put into the input and sent as if the user pressed Send.
    std::function<void(const std::string& text)> sendAsTyped;
    // A plug-in asks for a notification (event kind, title, text). Queued: handled after the
    // plug-in's call returns.
    std::function<void(int kind, const std::string& title, const std::string& text)> postNotifyRequest;
    std::function<void()> bringMainWindowToFront;
};

// Finds the plug-ins in the plugins folder, keeps them and calls into them. Every call into a
// plug-in is guarded: a C++ exception or a SIGSEGV, SIGBUS, SIGFPE or SIGILL raised inside it is
// caught and logged, and the plug-in is switched off for the rest of the run.
class PluginHost {
public:
    // folder: the plugins folder ("plugins"); profilePath: the active profile file.
    PluginHost(const DebugLog& log, std::string folder, std::string profilePath, PluginHostServices services);
    // Several folders, looked through in order; a file name already loaded is not loaded again.
    PluginHost(const DebugLog& log, std::vector<std::string> folders, std::string profilePath,
               PluginHostServices services);
    ~PluginHost();  // unloads
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    void LoadPlugins();
    void InitPlugins();
    bool CallPluginProc(const std::string& procedureName, int id, const std::string& nickname);
    bool CallNotifyPlugins(const std::string& procedureName, const PluginRequest& request);
    // The text after the filters of this type; kPluginTypeCallback when a type-1 plug-in answered.
    std::string RunPluginHandler(int type, const PluginRequest& request);
    void TogglePlugin(int id, const std::string& nickname);
    std::vector<PluginMenu> BuildPluginMenu(const LanguageTable& language) const;
    // A command of the plug-in ranges; false when it is none of them.
    bool OnCommand(int command, const std::string& nickname);
    void UnloadPlugins();

    const std::vector<PluginRecord>& Plugins() const { return plugins_; }
    void SetProfilePath(std::string profilePath) { profilePath_ = std::move(profilePath); }

private:
    // tried: the file names seen in earlier folders, which are skipped here.
    void LoadFolder(const std::string& folder, std::vector<std::string>& tried);
    struct Impl;
    const DebugLog& log_;
    std::vector<std::string> folders_;
    std::string profilePath_;
    PluginHostServices services_;
    std::vector<PluginRecord> plugins_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zc
