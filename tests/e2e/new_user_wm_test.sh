#!/bin/bash
# What a new user meets on a desktop with a window manager (openbox) and a panel tray: Alice's
# and Bob's desktop chats on a private LAN of network namespaces, on one Xvfb. A file dropped
# onto Bob's name in Alice's list before her window ever moved is offered to him; a drop beside
# the names is refused and says "drop the file onto a name"; Bob's rename is usable in
# MSG-> at once; the menu of a group whose name is in lower case opens from its heading.
# Usage: new_user_wm_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" "$BUILD/tests/zc_drag_source" "$BUILD/tests/zc_fake_tray_host" Xvfb openbox xdotool import \
  python3 iconv ip unshare dbus-daemon gdbus
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT
OUT=$BUILD/e2e
mkdir -p "$OUT"

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1
desk_start_xvfb || exit 1
openbox --sm-disable >"$LAN_WORK/openbox.log" 2>&1 &
lan_track $!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { lan_fail "openbox did not start"; exit 1; }

# Alice's panel: a session bus and a notification area of her own, in her namespace (the bus
# socket is an abstract one, which belongs to the namespace that made it).
ip netns exec h1 dbus-daemon --config-file="$HERE/../plugins_qt/session_bus.conf" --fork \
  --print-address=3 --print-pid=4 3>"$LAN_WORK/bus.address" 4>"$LAN_WORK/bus.pid" || { lan_fail "no session bus"; exit 1; }
lan_track "$(cat "$LAN_WORK/bus.pid")"
BUS=$(head -1 "$LAN_WORK/bus.address")
ip netns exec h1 env DBUS_SESSION_BUS_ADDRESS="$BUS" "$BUILD/tests/zc_fake_tray_host" >"$LAN_WORK/panel.out" 2>&1 &
lan_track $!
for _ in $(seq 50); do grep -q '^ready' "$LAN_WORK/panel.out" && break; sleep 0.1; done
grep -q '^ready' "$LAN_WORK/panel.out" || { lan_fail "the panel did not start: $(cat "$LAN_WORK/panel.out")"; exit 1; }

desk_make_root 1 Alice 20 20 620 520
desk_make_root 2 Bob 660 20 1260 520
# One user group, its name in lower case (the theme shows headings in capitals).
lan_ini_set "$LAN_WORK/h1/root/profiles/default.cfg" GROUPS GROUPON 1
lan_ini_set "$LAN_WORK/h1/root/profiles/default.cfg" GROUPS GROUP0 team
# Bob's options editor: renames him to Robert, as Save in the real one does.
cat >"$LAN_WORK/h2/root/zeltooptions" <<'EOF'
#!/bin/sh
root=$(dirname "$0")
sed -i 's/^CHATNAME=.*/CHATNAME=Robert\r/' "$root/profiles/default.cfg"
sed -i '/^RELOAD=/d; s/^\[GLOBAL\]\r$/[GLOBAL]\r\nRELOAD=IUSER;\r/' "$root/system/zeltochat.ini"
EOF
chmod +x "$LAN_WORK/h2/root/zeltooptions"

# Alice's program sees her panel's bus.
desk_start_alice() {
  local dir=$LAN_WORK/h1
  ip netns exec h1 env -u SESSION_MANAGER -u ZELTOCHAT_ROOT DBUS_SESSION_BUS_ADDRESS="$BUS" \
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_RUNTIME_DIR="$dir/run" TMPDIR="$dir/tmp" DISPLAY="$DISPLAY" ZELTOCHAT_OPEN_LOG="$dir/opened.txt" \
    QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox --renderer-process-limit=1 --disable-background-networking" \
    "$DESK_EXE" --root "$dir/root" --dump-pages "$dir/pages" >"$dir/out" 2>&1 &
  DESK_PID[1]=$!
  lan_track $!
}

desk_start_alice
winA=$(desk_window 1 30) || { lan_fail "Alice's window did not show within 30 s"; desk_report 1; exit 1; }
lan_check "Alice's list shows herself" desk_wait_page 1 userlist 'class="?myname' 20
lan_check "Alice's tray icon is in the panel" grep -q '^item ' "$LAN_WORK/panel.out"
xdotool mousemove 1279 799
sleep 1.5
for i in 0 1 2; do
  desk_shot "$winA" "$LAN_WORK/before$i.ppm" || lan_fail "no screenshot of Alice's window"
  sleep 0.4
done
desk_start 2
winB=$(desk_window 2 30) || { lan_fail "Bob's window did not show within 30 s"; desk_report 2; exit 1; }
lan_check "Alice's list shows Bob" desk_wait_page 1 userlist 'class="?username"?[^>]*>Bob<' 30
sleep 1
for i in 1 2 3 4 5; do
  desk_shot "$winA" "$LAN_WORK/after.ppm"
  sleep 0.4
  desk_shot "$winA" "$LAN_WORK/after2.ppm"
  cmp -s "$LAN_WORK/after.ppm" "$LAN_WORK/after2.ppm" && break
done
import -window root "$OUT/new_user_wm_start.png"

# Where things are in Alice's list: Bob's entry is what changed at the right of her window
# (the rightmost word of its first band of rows); the group heading is the topmost band of
# rows in that column that is not the background.
read -r bob_at head_at < <(python3 - "$LAN_WORK/after.ppm" "$LAN_WORK"/before?.ppm <<'PY'
import sys
from ppm_rows import load, runs
from collections import Counter



w, h, a = load(sys.argv[1])
befores = [load(p)[2] for p in sys.argv[2:]]
px = lambda d, x, y: d[(y * w + x) * 3:(y * w + x) * 3 + 3]
changed = [(x, y) for y in range(h) for x in range(w)
           if px(a, x, y) != px(befores[0], x, y) and all(px(b, x, y) == px(befores[0], x, y) for b in befores[1:])]
if not changed:
    sys.exit("nothing changed")
left, right = runs({x for x, _ in changed}, 12)[-1]
rows = runs({y for x, y in changed if left <= x <= right}, 2)
top, bottom = rows[0]
word = runs({x for x, y in changed if left <= x <= right and top <= y <= bottom}, 4)[-1]
bob = (sum(word) // 2, (top + bottom) // 2)
# The list's background: the commonest colour of the column; the heading is the first text
# above Bob's entry, past the window's own top edge.
column = [px(a, x, y) for y in range(h) for x in range(left, right + 1)]
background = Counter(column).most_common(1)[0][0]
inked = [y for y in range(30, top) if any(px(a, x, y) != background for x in range(left, right + 1))]
# Above Bob: the heading, then Alice's name and mode (she sorts before him).
bands = runs(inked, 2)
head = bands[-3] if len(bands) >= 3 else None
print("list x %d-%d, Bob y %d-%d, bands above him %s" % (left, right, top, bottom, bands), file=sys.stderr)
hx = [x for x in range(left, right + 1) for y in range(head[0], head[1] + 1) if px(a, x, y) != background] if head else []
print("%d %d %d %d" % (bob + ((sum(runs(hx, 6)[0]) // 2, (head[0] + head[1]) // 2) if hx else (-1, -1))))
PY
)
read -r bx by hx hy <<<"$bob_at $head_at"
[ -n "$by" ] || { lan_fail "Bob's entry was not found in Alice's window"; desk_report 1 2; exit 1; }
echo "Bob's entry in Alice's list at $bx $by, the group heading at $hx $hy"

lang() { tr -d '\r' <"$LAN_WORK/h1/root/language/lang_english.cfg" | sed -n "s/^STR$1=//p"; }
gone() {  # N title seconds
  for _ in $(seq $(($3 * 10))); do [ -z "$(desk_windows_named "$1" "$2")" ] && return 0; sleep 0.1; done
  return 1
}
# Drags a file from a program of its own to a point of Alice's window; prints what the source
# was told ("copied" or "refused").
drag_to() {  # file x y
  local run=$LAN_WORK/drag-run.$RANDOM
  mkdir -m 700 "$run"
  XDG_RUNTIME_DIR=$run "$BUILD/tests/zc_drag_source" "$1" 60 640 >"$LAN_WORK/drag.out" 2>&1 &
  local drag=$!
  sleep 1.5
  xdotool mousemove 100 680 mousedown 1
  sleep 0.4
  for step in 1 2 3 4 5 6; do
    xdotool mousemove --window "$winA" $(($2 * step / 6)) $(($3 + (600 - $3) * (6 - step) / 6))
    sleep 0.15
  done
  xdotool mousemove --window "$winA" "$2" "$3"
  sleep 0.3
  xdotool mousemove --window "$winA" "$(($2 + 1))" "$3"
  sleep 0.4
  xdotool mouseup 1
  for _ in $(seq 50); do kill -0 $drag 2>/dev/null || break; sleep 0.1; done
  kill $drag 2>/dev/null
  cat "$LAN_WORK/drag.out"
}

# 1. Dropped onto Bob before Alice's window ever moved: offered to him.
dropped="$LAN_WORK/h1/home/first notes.txt"
printf 'dropped right after start\n' >"$dropped"
told=$(drag_to "$dropped" "$bx" "$by")
lan_check "the drop onto Bob was taken (source: $told)" test "$told" = copied
lan_check "Alice's chat shows the offer of the dropped file" desk_wait_page 1 chat 'Send file .*Bob.*first notes\.txt' 10
if question=$(desk_wait_window 2 "\[[0-9]+\] File transfer request from Alice" 10); then
  import -window root "$OUT/new_user_wm_question.png"
  xdotool windowfocus --sync "$question"
  sleep 0.3
  xdotool key Escape
  echo "ok: Bob was asked about the dropped file"
else
  lan_fail "Bob was not asked about the dropped file"
fi
sleep 1

# 2. Beside the names (the empty list below them): refused, and a line says where to drop.
told=$(drag_to "$dropped" "$bx" $((by + 150)))
lan_check "the drop beside the names was refused (source: $told)" test "$told" = refused
lan_check "Alice's chat says \"drop the file onto a name\"" desk_wait_page 1 chat 'drop the file onto a name' 10
import -window root "$OUT/new_user_wm_refused.png"

# 3. Bob renames himself in his options editor; Alice's MSG-> to the new name reaches him at once.
xdotool windowfocus --sync "$winB"
sleep 0.3
xdotool key F11
lan_check "Alice's chat shows Bob's new name" desk_wait_page 1 chat 'Nickname changed to .*Robert' 15
renamed=$SECONDS
xdotool windowfocus --sync "$winA"
xdotool type --delay 10 "MSG->Robert: quick hello"
xdotool key Return
typed=$((SECONDS - renamed))
lan_check "the message to Robert was sent within 2 s of the rename showing ($typed s)" test "$typed" -le 2
lan_check "Robert got the private message" desk_wait_page 2 chat 'quick hello' 10
nobody_told() { desk_dump 1 && ! desk_page 1 chat | grep -q 'Nobody called Robert'; }
lan_check "Alice was not told nobody is called Robert" nobody_told

# 4. The group heading's menu, for a group named in lower case: its first item addresses the group.
if [ "$hx" -ge 0 ]; then
  xdotool windowfocus --sync "$winA"
  xdotool mousemove --window "$winA" "$hx" "$hy" click 3
  sleep 0.8
  import -window root "$OUT/new_user_wm_group_menu.png"
  xdotool key Down Return
  sleep 0.3
  xdotool type --delay 10 "hello team"
  xdotool key Return
  lan_check "Alice's chat says the message went to the group team" desk_wait_page 1 chat "$(lang 74) $(lang 61) team" 10
  lan_check "Robert got the group message" desk_wait_page 2 chat 'hello team' 10
else
  lan_fail "the group heading was not found in Alice's list"
fi

# 5. The smiles window goes with the chat when Escape puts it in the tray; the tray brings the
# chat back.
smiles_title=$(lang 65)
xdotool windowfocus --sync "$winA"
xdotool mousemove --window "$winA" 512 51 click 1
if smiles=$(desk_wait_window 1 "$smiles_title" 10); then
  sleep 1
  import -window root "$OUT/new_user_wm_smiles.png"
  # Its own close button (the window manager's Alt+F4) puts it away; one press of the smiles
  # button brings it back.
  xdotool windowactivate --sync "$smiles"
  xdotool key alt+F4
  lan_check "the smiles window's own close put it away" gone 1 "$smiles_title" 5
  xdotool windowfocus --sync "$winA"
  xdotool mousemove --window "$winA" 512 51 click 1
  lan_check "one press of the smiles button brought it back" desk_wait_window 1 "$smiles_title" 5
else
  lan_fail "the smiles button did not open the smiles window"
fi
xdotool windowfocus --sync "$winA"
xdotool key Escape
lan_check "Escape hid the chat" gone 1 "Zelto Chat v.*" 5
lan_check "and the smiles window with it" gone 1 "$smiles_title" 5
item=$(sed -n 's/^item //p' "$LAN_WORK/panel.out" | head -1)
ip netns exec h1 env DBUS_SESSION_BUS_ADDRESS="$BUS" gdbus call --session --dest "$item" \
  --object-path /StatusNotifierItem --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
lan_check "a click on the tray icon brought the chat back" desk_window 1 10

# 6. Put away again; Robert writes to Alice: a bubble comes up, naming him, and a click on it
# brings her chat back.
xdotool windowfocus --sync "$winA"
xdotool key Escape
lan_check "Escape hid the chat again" gone 1 "Zelto Chat v.*" 5
xdotool windowfocus --sync "$winB"
xdotool type --delay 10 "MSG->Alice: are you there"
xdotool key Return
bubble_of() {  # a visible window of Alice's program that is none of her named windows
  local id
  for id in $(xdotool search --all --onlyvisible --pid "${DESK_PID[1]}" --name '' 2>/dev/null); do
    [ -z "$(xdotool getwindowname "$id" 2>/dev/null | grep -E 'Zelto Chat v|Alert|request')" ] && { echo "$id"; return 0; }
  done
  return 1
}
bubble=
for _ in $(seq 50); do bubble=$(bubble_of) && break; sleep 0.2; done
if [ -n "$bubble" ]; then
  sleep 0.5
  import -window root "$OUT/new_user_wm_bubble.png"
  echo "bubble: window $bubble, $(xdotool getwindowgeometry "$bubble" | tr '\n' ' ')"
  xdotool mousemove --window "$bubble" 30 20 click 1
  lan_check "a click on the bubble brought Alice's chat back" desk_window 1 10
else
  lan_fail "no bubble came up in Alice's session for Robert's message"
fi

for n in 1 2; do desk_stop "$n"; done
if [ "$LAN_FAILURES" -ne 0 ]; then
  desk_report 1 2
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: new_user_wm_test"
