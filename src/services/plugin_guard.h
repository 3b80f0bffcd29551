#pragma once
#include <functional>

namespace zc {

// How a guarded call into foreign code ended.
enum class GuardOutcome { Returned, Threw, Signalled };

// Runs call on this thread and survives what it raises: a C++ exception of any type, or
// SIGSEGV, SIGBUS, SIGFPE, SIGILL or SIGABRT (abort()) raised on this thread while the call
// runs (stack overflow included: the handler runs on a stack of its own). The handlers are
// installed for the call only and the previous ones restored afterwards; a fault from another
// thread, or from outside a guarded call, goes to the previous handler. A faulted call is
// abandoned where it stood: whatever it held (locks, memory) stays held, so the caller must not
// call that code again.
GuardOutcome RunGuarded(const std::function<void()>& call);

// The signal that ended the last Signalled call on this thread (0 when none).
int LastGuardSignal();

}  // namespace zc
