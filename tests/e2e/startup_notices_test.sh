#!/bin/bash
# What keeps the chat from working as set up is told, naming the file or folder: a profile
# without its file and folders that cannot be written (the chat runs on), a missing theme (the
# chat ends with a failure status). Each message also closes by itself.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb

# notice_box SECONDS: the visible message box's window id.
notice_box() {
    local deadline=$((SECONDS + $1)) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible --name '^Zelto Chat$' 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# (a) A profile named in the settings without its file; history and board on a read-only mount.
E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
ini_set "$R/system/zeltochat.ini" GLOBAL PROFILE work
mkdir -p "$R/history" "$R/board"
unshare -m bash -c 'mount --bind -o ro "$1/history" "$1/history" && mount --bind -o ro "$1/board" "$1/board" &&
    exec "$2" --root "$1"' ro "$R" "$ZC_EXE" >"$E2E_WORK/out" 2>"$E2E_WORK/err" &
pid=$!
E2E_PIDS+=("$pid")
e2e_wait_window 15 >/dev/null || fail "the chat did not come up with a missing profile"
box=$(notice_box 10) || fail "no message on the screen"
grep -qF "$R/profiles/work.cfg" "$E2E_WORK/err" || fail "standard error does not name the profile's file"
grep -qF "$R/history: the chat history will be lost" "$E2E_WORK/err" || fail "the read-only history folder is not named"
grep -qF "$R/board: board messages will be lost" "$E2E_WORK/err" || fail "the read-only board folder is not named"
grep -qF "$R/logs" "$E2E_WORK/err" && fail "the writable logs folder was named"
if [ -n "$box" ]; then
    for i in $(seq 130); do xdotool search --onlyvisible --name '^Zelto Chat$' >/dev/null 2>&1 || break; sleep 0.1; done
    xdotool search --onlyvisible --name '^Zelto Chat$' >/dev/null 2>&1 && fail "the message did not close by itself"
fi
kill -0 "$pid" 2>/dev/null || fail "the chat ended after the message"
e2e_log "$R" | grep -qF ":::ReadProfileParams from work.cfg" || fail "the log's own line changed"
kill -TERM "$pid"
e2e_wait_exit "$pid" 10 || fail "(a) still running after SIGTERM"
[ "${E2E_EXIT:-1}" = 0 ] || fail "(a) exit status $E2E_EXIT after SIGTERM"

# (b) A theme that does not exist ends the start, and the message names it.
E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
ini_set "$R/profiles/default.cfg" GLOBAL SKINSTHEME nosuchtheme
"$ZC_EXE" --root "$R" >"$E2E_WORK/out" 2>"$E2E_WORK/err" &
pid=$!
E2E_PIDS+=("$pid")
notice_box 15 >/dev/null || fail "no message for the missing theme"
sleep 2
kill -0 "$pid" 2>/dev/null || fail "(b) the message did not stay to be read"
if e2e_wait_exit "$pid" 15; then
    [ "$E2E_EXIT" != 0 ] || fail "(b) exit status 0 after a failed start"
else
    fail "(b) still running 15 s after start"
fi
grep -qF '"nosuchtheme"' "$E2E_WORK/err" || fail "standard error does not name the theme: $(cat "$E2E_WORK/err")"
grep -qF "$R/skins/skinthemes/nosuchtheme/skin.cfg" "$E2E_WORK/err" || fail "standard error does not name the file"
e2e_log "$R" | grep -qF ":::InitMainElement...FALSE" || fail "the log's own line is missing"

e2e_finish
