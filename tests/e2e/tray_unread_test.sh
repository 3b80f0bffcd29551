#!/bin/bash
# Unread messages in the tray's tool tip: the window hidden to the tray, three messages from a
# terminal client, and the tip says "(3)" after the title; a click on the icon brings the window
# back and the tip is the title alone again. The window's own title never changes. A fake panel
# on a session bus of the test's own is the notification area the icon lives in.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
e2e_init "$0" "$@"
CLI="$ZC_BUILD/zeltochat-cli"
[ -x "$CLI" ] || die "no terminal client at $CLI"
e2e_start_xvfb

tray_start_panel

E2E_ROOT=$(e2e_new_root)
A=$E2E_ROOT
ini_set "$A/profiles/default.cfg" INFO CHATNAME Alice
e2e_start_chat --root "$A"
desk=$E2E_LAST_PID
win=$(e2e_wait_window 20) || die "no window"
title=$(xdotool getwindowname "$win")

tray_wait_item
[ "$(tray_tip)" = "$title" ] || fail "the tip at start is \"$(tray_tip)\", not the title \"$title\""

# A click on the icon of a shown window hides it to the tray.
tray_click
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

tray_wait_tip "$title (3)" 20 || fail "three messages to the hidden window: the tip says \"$(tray_tip)\", not \"$title (3)\""
[ "$(xdotool getwindowname "$win")" = "$title" ] || fail "the window's title changed"

# Back from the tray: the messages are in view, the count goes.
tray_click
e2e_wait_window 10 >/dev/null || fail "a click on the tray icon did not bring the window back"
tray_wait_tip "$title" 10 || fail "the window is shown and the tip still says \"$(tray_tip)\""

exec 5>&-
kill -TERM "$desk"
e2e_wait_exit "$desk" 10 || fail "the chat did not end on SIGTERM"
e2e_finish
