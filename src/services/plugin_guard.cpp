#include "services/plugin_guard.h"

#include <csetjmp>
#include <csignal>
#include <unistd.h>
#include <cstdlib>
#include <vector>

namespace zc {
namespace {

// SIGABRT: abort() from a failed assertion or std::terminate inside a plug-in.
constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof(kGuardedSignals) / sizeof(kGuardedSignals[0]);

// Read inside the signal handler, so initial-exec: no lazy allocation there.
__attribute__((tls_model("initial-exec"))) thread_local sigjmp_buf* tJump = nullptr;
__attribute__((tls_model("initial-exec"))) thread_local volatile sig_atomic_t tSignal = 0;
thread_local int tDepth = 0;
thread_local int tLastSignal = 0;

struct sigaction gPrevious[kSignalCount];

int SlotOf(int sig) {
    for (int i = 0; i < kSignalCount; ++i)
        if (kGuardedSignals[i] == sig) return i;
    return -1;
}

// Someone else's fault: hand it on as if we had never been installed.
void ForwardToPrevious(int sig, siginfo_t* info, void* context) {
    const int slot = SlotOf(sig);
    const struct sigaction& prev = gPrevious[slot < 0 ? 0 : slot];
    if ((prev.sa_flags & SA_SIGINFO) && prev.sa_sigaction) {
        prev.sa_sigaction(sig, info, context);
        return;
    }
    if (prev.sa_handler != SIG_DFL && prev.sa_handler != SIG_IGN) {
        prev.sa_handler(sig);
        return;
    }
    // Default action: reset and let it happen. A fault from the kernel repeats on return;
    // a sent one is raised again.
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    if (info == nullptr || info->si_code <= 0) raise(sig);
}

void OnFault(int sig, siginfo_t* info, void* context) {
    // Ours: a fault of this thread inside a guarded call, or a raise() there.
    const bool fromKernel = info != nullptr && info->si_code > 0;
    const bool raisedHere = info != nullptr && info->si_code == SI_TKILL && info->si_pid == getpid();
    if (tJump != nullptr && (fromKernel || raisedHere)) {
        tSignal = sig;
        siglongjmp(*tJump, 1);
    }
    ForwardToPrevious(sig, info, context);
}

constexpr size_t kAltStackSize = 64 * 1024;

struct Installed {
    stack_t previousStack = {};
    bool ownStack = false;
};

void Install(Installed& state) {
    // A stack of our own, so a plug-in that overflows its stack is caught too.
    static thread_local std::vector<char> altStack(kAltStackSize);
    stack_t current = {};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        stack_t mine = {};
        mine.ss_sp = altStack.data();
        mine.ss_size = altStack.size();
        if (sigaltstack(&mine, &state.previousStack) == 0) state.ownStack = true;
    }
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) sigaction(kGuardedSignals[i], &action, &gPrevious[i]);
}

void Restore(const Installed& state) {
    for (int i = 0; i < kSignalCount; ++i) sigaction(kGuardedSignals[i], &gPrevious[i], nullptr);
    if (state.ownStack) {
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
}

}  // namespace

GuardOutcome RunGuarded(const std::function<void()>& call) {
    Installed installed;
    const bool outermost = tDepth == 0;
    if (outermost) Install(installed);
    ++tDepth;

    sigjmp_buf jump;
    sigjmp_buf* const outer = tJump;
    volatile GuardOutcome outcome = GuardOutcome::Returned;
    tSignal = 0;
    // Saving the mask lets the jump unblock the signal again.
    if (sigsetjmp(jump, 1) == 0) {
        tJump = &jump;
        try {
            call();
        } catch (...) {
            outcome = GuardOutcome::Threw;
        }
    } else {
        outcome = GuardOutcome::Signalled;
        tLastSignal = tSignal;
    }
    tJump = outer;

    --tDepth;
    if (outermost) Restore(installed);
    return outcome;
}

int LastGuardSignal() { return tLastSignal; }

}  // namespace zc
