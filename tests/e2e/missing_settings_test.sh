#!/bin/bash
# Without system/zeltochat.ini the chat cannot start: it says so, naming the file, on standard
# error and in a message that closes by itself, and ends with a failure status.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb

E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
rm -f "$R/system/zeltochat.ini"

"$ZC_EXE" --root "$R" >"$E2E_WORK/out" 2>"$E2E_WORK/err" &
pid=$!
E2E_PIDS+=("$pid")
box=
for i in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Zelto Chat$' 2>/dev/null | head -1)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no message on the screen"
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the message did not stay to be read"
# Nobody answers it: it goes by itself, and the program ends.
if e2e_wait_exit "$pid" 15; then
    [ "$E2E_EXIT" != 0 ] || fail "exit status 0 after a failed start"
else
    fail "still running 15 s after start"
fi
grep -qF "$R/system/zeltochat.ini" "$E2E_WORK/err" || fail "standard error does not name the file: $(cat "$E2E_WORK/err")"
e2e_log_in_order "$R" ":::Check zeltochat.ini..." ":::Check zeltochat.ini...FAILED" || fail "the check in the log"
e2e_log "$R" | grep -qF ":::ReadParams:::" && fail "went on after the failed check"
[ "$(e2e_visible_windows)" = 0 ] || fail "a chat window was shown"
[ -f "$R/system/main.ini" ] && fail "a window that was never shown stored its rectangle"

e2e_finish
