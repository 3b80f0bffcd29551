#include "app/options_runner.h"

#include "platform/process_starter.h"
#include "platform/timers.h"

namespace zc {
namespace {

// How option.cmd ends when it finds no zeltooptions (the shell's "not found" and "cannot run").
bool EditorNotFound(int exitCode) { return exitCode == 127 || exitCode == 126; }

}  // namespace

void COptionsRunner::Run(const std::string& programDir) {
    finished_ = false;
    std::weak_ptr<COptionsRunner> self = weak_from_this();
    const std::string launcher = programDir + kOptionsEditor;
    const bool started = processes_.StartWatched(launcher, {kOptionsAccess}, programDir, [self](int exitCode) {
        if (auto runner = self.lock()) runner->Finished(exitCode);
    });
    // From now on: the editor writes its change list on Save, not only when it closes. A list
    // written by other means counts too, even when no editor started.
    timers_.SetTimer(pollTimer_, kOptionsFirstPollMs);
    if (!started) {
        finished_ = true;
        if (onCannotStart_) onCannotStart_(launcher + " cannot be started");
    }
}

void COptionsRunner::Finished(int exitCode) {
    finished_ = true;
    timers_.SetTimer(pollTimer_, kOptionsFirstPollMs);
    if (EditorNotFound(exitCode) && onCannotStart_)
        onCannotStart_(std::string(kOptionsEditor) + " found no zeltooptions (exit status " + std::to_string(exitCode) + ")");
}

}  // namespace zc
