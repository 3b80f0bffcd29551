#!/bin/bash
# SIGTERM, SIGHUP, SIGINT and the end of the desktop session (the display goes away at logout)
# each end the chat in order: the others see it leave, the window rectangle is stored and the
# log tells the shutdown. A terminal client on the same machine watches; it is a copy beside the
# desktop program and must not be taken for it.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb
CLI="$ZC_BUILD/zeltochat-cli"
[ -x "$CLI" ] || die "no terminal client at $CLI"

# The watcher: started first, it holds the identity this machine describes.
W=$(e2e_new_root)
ini_set "$W/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
ini_set "$W/profiles/default.cfg" INFO CHATNAME Watcher
"$CLI" --root "$W" --no-input >"$E2E_WORK/watcher.out" 2>&1 &
watcher=$!
E2E_PIDS+=("$watcher")
for i in $(seq 100); do grep -q ":::InitUDPMulticast...OK" "$W"/logs/*/*.txt 2>/dev/null && break; sleep 0.1; done

watcher_saw() {  # TEXT SECONDS
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        grep -qF -- "$1" "$E2E_WORK/watcher.out" && return 0
        sleep 0.1
    done
    return 1
}

# end_with NAME HOW: starts a desktop copy called NAME, ends it with HOW (a signal, or "logout").
end_with() {
    local name=$1 how=$2 pid
    E2E_ROOT=$(e2e_new_root)
    local R=$E2E_ROOT
    ini_set "$R/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
    ini_set "$R/profiles/default.cfg" INFO CHATNAME "$name"
    printf '[PARAM]\r\nT=40\r\nL=30\r\nB=640\r\nR=480\r\n' >"$R/system/main.ini"
    e2e_start_chat --root "$R"
    pid=$E2E_LAST_PID
    e2e_wait_window 15 >/dev/null || { fail "$how: no window"; return; }
    watcher_saw "Entered the chat: <$name>" 15 || { fail "$how: the watcher never saw $name (one identity for two copies?)"; return; }
    rm -f "$R/system/main.ini"
    if [ "$how" = logout ]; then
        kill "$E2E_XVFB"
        wait "$E2E_XVFB" 2>/dev/null
        E2E_XVFB=
    else
        kill -"$how" "$pid"
    fi
    if e2e_wait_exit "$pid" 10; then
        [ "$how" = logout ] || [ "$E2E_EXIT" = 0 ] || fail "$how: exit status $E2E_EXIT"
    else
        fail "$how: still running 10 s later"
        return
    fi
    e2e_log "$R" | grep -qF ":::ExitMain:::" || fail "$how: no :::ExitMain::: in the log"
    local rect
    rect=$(tr -d '\r' <"$R/system/main.ini" 2>/dev/null | grep -E '^[TLBR]=' | sort | tr '\n' ' ')
    [ "$rect" = "B=640 L=30 R=480 T=40 " ] || fail "$how: main.ini holds \"$rect\", not the window's rectangle"
    watcher_saw "Left the chat: <$name>" 5 || fail "$how: the others did not see $name leave"
}

end_with Termed TERM
end_with Hupped HUP
end_with Interrupted INT
end_with LoggedOut logout

kill -0 "$watcher" 2>/dev/null || fail "the watcher ended with a desktop copy"
grep -q "Left the chat: <Watcher>" "$E2E_WORK/watcher.out" && fail "a desktop copy's end made the watcher leave"
kill -TERM "$watcher"
wait "$watcher" 2>/dev/null
e2e_finish
