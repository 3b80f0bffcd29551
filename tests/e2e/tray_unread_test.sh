#!/bin/bash
# Unread messages in the tray's tool tip: the window hidden to the tray, three messages from a
# terminal client, and the tip says "(3)" after the title; a click on the icon brings the window
# back and the tip is the title alone again. The window's own title never changes. A fake panel
# on a session bus of the test's own is the notification area the icon lives in.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
CLI="$ZC_BUILD/zeltochat-cli"
HOST="$ZC_BUILD/tests/zc_fake_tray_host"
[ -x "$CLI" ] || die "no terminal client at $CLI"
[ -x "$HOST" ] || die "no fake tray host at $HOST"
e2e_start_xvfb

dbus-daemon --config-file="$E2E_LIB_DIR/../plugins_qt/session_bus.conf" --fork \
    --print-address=3 --print-pid=4 3>"$E2E_WORK/bus.address" 4>"$E2E_WORK/bus.pid" ||
    die "no session bus"
E2E_PIDS+=("$(cat "$E2E_WORK/bus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_WORK/bus.address")
export DBUS_SESSION_BUS_ADDRESS
"$HOST" >"$E2E_WORK/host.out" 2>&1 &
E2E_PIDS+=("$!")
for _ in $(seq 50); do grep -q '^ready' "$E2E_WORK/host.out" && break; sleep 0.1; done
grep -q '^ready' "$E2E_WORK/host.out" || die "the fake panel did not start: $(cat "$E2E_WORK/host.out")"

E2E_ROOT=$(e2e_new_root)
A=$E2E_ROOT
ini_set "$A/profiles/default.cfg" INFO CHATNAME Alice
e2e_start_chat --root "$A"
desk=$E2E_LAST_PID
win=$(e2e_wait_window 20) || die "no window"
title=$(xdotool getwindowname "$win")

item=
for _ in $(seq 100); do
    item=$(sed -n 's/^item //p' "$E2E_WORK/host.out" | head -1)
    [ -n "$item" ] && break
    sleep 0.1
done
[ -n "$item" ] || die "the tray icon never registered with the panel"

tip() {  # the tool tip's title, as the panel reads it
    gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip 2>/dev/null |
        grep -o "'Zelto Chat v[^']*'" | head -1 | tr -d "'"
}
click() {
    gdbus call --session --dest "$item" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
}
wait_tip() {  # TEXT SECONDS
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(tip)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}

[ "$(tip)" = "$title" ] || fail "the tip at start is \"$(tip)\", not the title \"$title\""

# A click on the icon of a shown window hides it to the tray.
click
for _ in $(seq 50); do [ "$(e2e_visible_windows)" = 0 ] && break; sleep 0.1; done
[ "$(e2e_visible_windows)" = 0 ] || die "a click on the tray icon did not hide the window"

B=$(e2e_new_root)
ini_set "$B/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
ini_set "$B/profiles/default.cfg" INFO CHATNAME Bob
mkfifo "$E2E_WORK/bob.in"
"$CLI" --root "$B" <"$E2E_WORK/bob.in" >"$E2E_WORK/bob.out" 2>&1 &
E2E_PIDS+=("$!")
exec 5>"$E2E_WORK/bob.in"
printf 'one\ntwo\nthree\n' >&5

wait_tip "$title (3)" 20 || fail "three messages to the hidden window: the tip says \"$(tip)\", not \"$title (3)\""
[ "$(xdotool getwindowname "$win")" = "$title" ] || fail "the window's title changed"

# Back from the tray: the messages are in view, the count goes.
click
e2e_wait_window 10 >/dev/null || fail "a click on the tray icon did not bring the window back"
wait_tip "$title" 10 || fail "the window is shown and the tip still says \"$(tip)\""

exec 5>&-
kill -TERM "$desk"
e2e_wait_exit "$desk" 10 || fail "the chat did not end on SIGTERM"
e2e_finish
