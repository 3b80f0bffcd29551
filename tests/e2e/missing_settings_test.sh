#!/bin/bash
# Without system/zeltochat.ini the chat ends by itself, quietly and with status 0.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb

E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
rm -f "$R/system/zeltochat.ini"

e2e_start_chat --root "$R"
pid=$E2E_LAST_PID
if e2e_wait_exit "$pid" 5; then
    [ "$E2E_EXIT" = 0 ] || fail "exit status $E2E_EXIT"
else
    fail "still running 5 s after start"
fi
e2e_log_in_order "$R" ":::Check zeltochat.ini..." ":::Check zeltochat.ini...FAILED" || fail "the check in the log"
e2e_log "$R" | grep -qF ":::ReadParams:::" && fail "went on after the failed check"
[ "$(e2e_visible_windows)" = 0 ] || fail "a window was shown"
[ -f "$R/system/main.ini" ] && fail "a window that was never shown stored its rectangle"

e2e_finish
