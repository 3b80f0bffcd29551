#!/bin/bash
# The tray icon on a desktop panel that starts after the chat: the icon appears once it does,
# with its menu attached for panels that show it themselves; the menu offers hiding while the
# window is shown and showing while it is hidden, and both work; a private message to the hidden
# window makes the icon flash for FLASHICON seconds and then rest as it was; a click during the
# flashing stops it at once.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
e2e_init "$0" "$@"
CLI="$ZC_BUILD/zeltochat-cli"
[ -x "$CLI" ] || die "no terminal client at $CLI"
e2e_start_xvfb
tray_start_bus

A=$(e2e_new_root)
ini_set "$A/profiles/default.cfg" INFO CHATNAME Alice
ini_set "$A/system/zeltochat.ini" GLOBAL FLASHICON 3
e2e_start_chat --root "$A"
desk=$E2E_LAST_PID
e2e_wait_window 20 >/dev/null || die "no window"
sleep 2
tray_start_host
tray_wait_item
# The menu is the icon's own, published for the panel to draw.
menu_path=$(tray_property Menu | grep -o "objectpath '[^']*'" | cut -d"'" -f2)
[ -n "$menu_path" ] && [ "$menu_path" != /NO_DBUSMENU ] || fail "the icon carries no menu: $(tray_property Menu)"
gdbus call --session --dest "$TRAY_ITEM" --object-path "$menu_path" --method com.canonical.dbusmenu.GetLayout 0 "int32 -1" "@as []" \
    >"$E2E_WORK/menu.layout" 2>&1 || fail "the icon's menu cannot be read: $(cat "$E2E_WORK/menu.layout")"
grep -q "'Options'" "$E2E_WORK/menu.layout" || fail "the icon's menu lacks its lines: $(head -c 400 "$E2E_WORK/menu.layout")"

# The menu opens at the pointer; the hide/show line is its second item.
tray_menu_pick_second() {  # SCREENSHOT
    tray_call ContextMenu 600 400
    sleep 0.8
    import -window root "$E2E_OUT/$1" 2>/dev/null
    xdotool key Down Down Return
}
wait_visible() {  # COUNT
    for _ in $(seq 50); do [ "$(e2e_visible_windows)" = "$1" ] && return 0; sleep 0.1; done
    return 1
}

tray_menu_pick_second tray_menu_shown.png
wait_visible 0 || fail "the second item of the menu of a shown window did not hide it"
tray_menu_pick_second tray_menu_hidden.png
wait_visible 1 || fail "the second item of the menu of a hidden window did not show it"

# The icon as the panel sees it: its picture, or the picture file Qt hands over instead.
icon() { { tray_property IconPixmap; tray_property IconName; } | md5sum | cut -c1-32; }
# Samples the icon every 0.1 s for SECONDS; prints "changes first-change-at last-change-at final".
watch_icon() {  # SECONDS
    local start=$SECONDS last now t0 first="" lastAt="" changes=0
    t0=$(date +%s.%N)
    last=$(icon)
    while [ $((SECONDS - start)) -lt "$1" ]; do
        sleep 0.1
        now=$(icon)
        if [ "$now" != "$last" ]; then
            changes=$((changes + 1))
            lastAt=$(awk -v a="$(date +%s.%N)" -v b="$t0" 'BEGIN { printf "%.2f", a - b }')
            [ -n "$first" ] || first=$lastAt
            last=$now
        fi
    done
    echo "$changes ${first:-0} ${lastAt:-0} $last"
}

rest=$(icon)
tray_click
wait_visible 0 || die "a click on the icon did not hide the window"

B=$(e2e_new_root)
ini_set "$B/system/zeltochat.ini" GLOBAL ALLOWMULTIAPP ON
ini_set "$B/profiles/default.cfg" INFO CHATNAME Bob
mkfifo "$E2E_WORK/bob.in"
"$CLI" --root "$B" <"$E2E_WORK/bob.in" >"$E2E_WORK/bob.out" 2>&1 &
E2E_PIDS+=("$!")
exec 5>"$E2E_WORK/bob.in"
for _ in $(seq 100); do grep -q "Alice" "$E2E_WORK/bob.out" && break; sleep 0.1; done

printf 'MSG->Alice:psst\n' >&5
read -r changes first last final <<<"$(watch_icon 7)"
echo "flashing: $changes changes, from ${first}s to ${last}s"
[ "$changes" -ge 6 ] || fail "a private message to the hidden window: the icon changed $changes times"
span=$(awk -v a="$last" -v b="$first" 'BEGIN { printf "%.2f", a - b }')
awk -v s="$span" 'BEGIN { exit !(s >= 2.5 && s <= 4.5) }' || fail "the icon flashed for ${span}s, not about 3"
[ "$final" = "$rest" ] || fail "after flashing the icon is not the one it rests with"

# A click during the flashing brings the window back and the icon rests at once.
printf 'MSG->Alice:again\n' >&5
for _ in $(seq 50); do [ "$(icon)" != "$rest" ] && break; sleep 0.1; done
[ "$(icon)" != "$rest" ] || fail "the second message did not make the icon flash"
tray_click
wait_visible 1 || fail "a click during the flashing did not bring the window back"
read -r changes _ _ final <<<"$(watch_icon 2)"
[ "$changes" = 0 ] && [ "$final" = "$rest" ] || fail "after the click the icon changed $changes times"

exec 5>&-
kill -TERM "$desk"
e2e_wait_exit "$desk" 10 || fail "the chat did not end on SIGTERM"
e2e_finish
