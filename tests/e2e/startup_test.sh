#!/bin/bash
# A normal start: the window comes up, the log tells the start-up steps in order, and
# SIGTERM ends the chat through its shutdown.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
e2e_start_xvfb

E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
ini_set "$R/system/zeltochat.ini" GLOBAL AUTOSTART 1
printf '[PARAM]\r\nT=50\r\nL=60\r\nB=550\r\nR=460\r\n' >"$R/system/main.ini"

e2e_start_chat --root "$R"
pid=$E2E_LAST_PID
win=$(e2e_wait_window 15) || die "no visible window titled \"Zelto Chat v...\" within 15 s"
title=$(xdotool getwindowname "$win")
[[ "$title" =~ ^Zelto\ Chat\ v[0-9]+(\.[0-9]+)+$ ]] || fail "window title is \"$title\""
version=${title#Zelto Chat v}

# The stored rectangle: left 60, top 50, 400 wide, 500 high.
geometry=$(xdotool getwindowgeometry "$win" | tr -d ' ' | tr '\n' ' ')
[[ "$geometry" == *"Position:60,50"*"Geometry:400x500"* ]] || fail "window placed at $geometry, not 60,50 400x500"

log="$R/logs/$(date +%Y_%m)/$(date +%m-%d-%Y).txt"
[ -f "$log" ] || fail "no log file $log"
e2e_log_in_order "$R" \
    "**********************" "Zelto Chat $version" "**********************" \
    ":::Check zeltochat.ini..." ":::Check zeltochat.ini...OK" ":::ReadParams:::" \
    ":::ReadLanguage from english.cfg" ":::ReadProfileParams from default.cfg" \
    ":::ReadSmilesAlias..." ":::PrepareText...OK" || fail "start-up steps in the log"
e2e_log "$R" | grep -q ":::Missing string" && fail "the shipped language file misses strings"
e2e_log "$R" | grep -q "CRITICAL ERROR" && fail "a start-up step failed"

# The per-user store and the autostart entry went to this run's HOME.
store="$XDG_CONFIG_HOME/Zelto group/ZeltoChat.conf"
grep -qF "Exec=@ByteArray($ZC_EXE)" "$store" 2>/dev/null || fail "the program path is not in $store"
grep -qF "AlertFrom=@ByteArray( )" "$store" 2>/dev/null || fail "AlertFrom was not reset in $store"
entry="$XDG_CONFIG_HOME/autostart/ZeltoChat.desktop"
grep -q "^Exec=.*zeltochat.* --root .*$(basename "$R")" "$entry" 2>/dev/null ||
    fail "AUTOSTART=1 wrote no autostart entry that starts this root"

# Two seconds after start-up the network comes up; the shot shows the page with its lines.
e2e_wait_log "$R" ":::InitNetwork:::" 5 || fail "the network was not started after start-up"
# A hot key reaches the chat whatever widget has the focus: F2 switches to mode 2.
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key F2
for i in $(seq 30); do tr -d '\r' <"$R/profiles/default.cfg" | grep -qx "MODE=2" && break; sleep 0.1; done
tr -d '\r' <"$R/profiles/default.cfg" | grep -qx "MODE=2" || fail "F2 did not switch to mode 2"

sleep 0.5
import -window root "$E2E_OUT/startup.png" || fail "no screenshot"

kill -TERM "$pid"
if e2e_wait_exit "$pid" 5; then
    [ "$E2E_EXIT" = 0 ] || fail "exit status $E2E_EXIT after SIGTERM"
else
    fail "still running 5 s after SIGTERM"
fi
e2e_log "$R" | grep -qF ":::ExitMain:::" || fail "no :::ExitMain::: after SIGTERM"
grep -q '^\[PARAM\]' "$R/system/main.ini" 2>/dev/null || fail "main.ini has no [PARAM] section"
rect=$(tr -d '\r' <"$R/system/main.ini" | grep -E '^[TLBR]=' | sort | tr '\n' ' ')
[ "$rect" = "B=550 L=60 R=460 T=50 " ] || fail "main.ini holds \"$rect\" after a run that did not move the window"
[ -z "$(ls -A "$XDG_RUNTIME_DIR" 2>/dev/null | grep zeltochat)" ] || fail "the instance lock was left behind"

# A language file of random bytes must not take the start down: the chat still comes up.
E2E_ROOT=$(e2e_new_root)
R2=$E2E_ROOT
head -c 4096 /dev/urandom >"$R2/language/lang_english.cfg"
e2e_start_chat --root "$R2"
pid=$E2E_LAST_PID
e2e_wait_log "$R2" ":::PrepareText...OK" 15 || fail "no start with a garbage language file"
kill -0 "$pid" 2>/dev/null || fail "the chat died with a garbage language file"
kill -TERM "$pid"
e2e_wait_exit "$pid" 5 || fail "garbage language: still running 5 s after SIGTERM"
[ "${E2E_EXIT:-1}" = 0 ] || fail "garbage language: exit status $E2E_EXIT"

e2e_finish
