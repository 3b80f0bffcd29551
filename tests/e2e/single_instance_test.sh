#!/bin/bash
# One copy per user unless ALLOWMULTIAPP says otherwise; a second copy brings the first back.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb

# (a) The guard is on: the second copy ends and the first one shows itself again.
E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
ini_set "$R/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ""
e2e_start_chat --root "$R"
first=$E2E_LAST_PID
win=$(e2e_wait_window 15) || die "copy 1 showed no window"
xdotool windowunmap --sync "$win"
[ "$(e2e_visible_windows)" = 0 ] || fail "copy 1 still visible after unmapping it"

e2e_start_chat --root "$R"
second=$E2E_LAST_PID
if e2e_wait_exit "$second" 5; then
    [ "$E2E_EXIT" = 0 ] || fail "copy 2 ended with status $E2E_EXIT"
else
    fail "copy 2 still running 5 s after start"
fi
e2e_wait_window 3 >/dev/null || fail "copy 1's window did not come back"
kill -0 "$first" 2>/dev/null || fail "copy 1 ended"
[ "$(e2e_log "$R" | grep -c ':::ReadParams:::')" = 2 ] || fail "copy 2 did not reach the guard"
[ "$(e2e_log "$R" | grep -c ':::ReadLanguage from')" = 1 ] || fail "copy 2 went past the guard"

kill -TERM "$first"
e2e_wait_exit "$first" 5 || fail "copy 1 still running 5 s after SIGTERM"

# A copy that died without cleaning up leaves its lock socket; the next copy must not mind it.
e2e_start_chat --root "$R"
crashed=$E2E_LAST_PID
e2e_wait_window 15 >/dev/null || fail "copy 3 showed no window"
kill -9 "$crashed"
wait "$crashed" 2>/dev/null
e2e_start_chat --root "$R"
after=$E2E_LAST_PID
e2e_wait_window 15 >/dev/null || fail "a copy started after a crash showed no window"
sleep 1
kill -0 "$after" 2>/dev/null || fail "a copy started after a crash ended: the stale lock was taken as held"
kill -TERM "$after"
e2e_wait_exit "$after" 5 || fail "copy 4 still running 5 s after SIGTERM"

# (b) ALLOWMULTIAPP of two or more characters lets both copies run.
E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
ini_set "$R/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
e2e_start_chat --root "$R"
one=$E2E_LAST_PID
e2e_wait_window 15 >/dev/null || fail "ALLOWMULTIAPP=ON: copy 1 showed no window"
e2e_start_chat --root "$R"
two=$E2E_LAST_PID
sleep 4
kill -0 "$one" 2>/dev/null || fail "ALLOWMULTIAPP=ON: copy 1 ended"
kill -0 "$two" 2>/dev/null || fail "ALLOWMULTIAPP=ON: copy 2 ended"
[ "$(e2e_visible_windows)" = 2 ] || fail "ALLOWMULTIAPP=ON: $(e2e_visible_windows) windows visible, not 2"
kill -TERM "$one" "$two"
e2e_wait_exit "$one" 5 || fail "ALLOWMULTIAPP=ON: copy 1 still running after SIGTERM"
e2e_wait_exit "$two" 5 || fail "ALLOWMULTIAPP=ON: copy 2 still running after SIGTERM"

# A one-character value does not switch the guard off.
ini_set "$R/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP 1
e2e_start_chat --root "$R"
one=$E2E_LAST_PID
e2e_wait_window 15 >/dev/null || fail "ALLOWMULTIAPP=1: copy 1 showed no window"
e2e_start_chat --root "$R"
two=$E2E_LAST_PID
e2e_wait_exit "$two" 5 || fail "ALLOWMULTIAPP=1: copy 2 still running 5 s after start"
kill -TERM "$one"
e2e_wait_exit "$one" 5 || fail "ALLOWMULTIAPP=1: copy 1 still running after SIGTERM"

e2e_finish
