#include "app/options_runner.h"

#include "platform/process_starter.h"
#include "platform/timers.h"

namespace zc {

void COptionsRunner::Run(const std::string& programDir) {
    finished_ = false;
    std::weak_ptr<COptionsRunner> self = weak_from_this();
    const bool started = processes_.StartWatched(programDir + kOptionsEditor, {kOptionsAccess}, programDir, [self] {
        if (auto runner = self.lock()) runner->Finished();
    });
    // An editor that cannot start says nothing; a change list written by other means still counts.
    if (!started) Finished();
}

void COptionsRunner::Finished() {
    finished_ = true;
    timers_.SetTimer(pollTimer_, kOptionsFirstPollMs);
}

}  // namespace zc
