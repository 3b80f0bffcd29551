#!/bin/bash
# Two desktop chats on a private LAN of network namespaces, both windows on one Xvfb: Alice
# sends Bob a file through the user menu and the file dialog, Bob accepts the question, both
# progress windows come and go, Bob's chat says the file arrived and the file is the same byte
# for byte; a file dragged from another program onto Bob's entry in Alice's list goes the same
# way; then Alice asks for Bob's desktop (which Bob allows), the picture shows inline in her
# chat and Bob's snapshot is a bitmap of the whole screen.
# Usage: desktop_transfer_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" "$BUILD/tests/zc_drag_source" Xvfb xdotool import identify python3 iconv ip unshare cmp
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT
OUT=$BUILD/e2e
mkdir -p "$OUT"

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1
desk_start_xvfb || exit 1
screen=$(xdotool getdisplaygeometry | tr ' ' x)

desk_make_root 1 Alice 20 20 620 520
desk_make_root 2 Bob 660 20 1260 520
lan_ini_set "$LAN_WORK/h2/root/profiles/default.cfg" GLOBAL ALLOWSENDDESKTOP 1

# Alice first, so that Bob's arrival is what changes in her window: where his entry in her
# user list is comes from shots before and after.
desk_start 1
winA=$(desk_window 1 30) || { lan_fail "Alice's window did not show within 30 s"; desk_report 1; exit 1; }
lan_check "Alice's list shows herself" desk_wait_page 1 userlist 'class="?myname' 20
xdotool mousemove 1279 799
sleep 1.5
for i in 0 1 2; do
  desk_shot "$winA" "$LAN_WORK/before$i.ppm" || lan_fail "no screenshot of Alice's window"
  sleep 0.4
done
desk_start 2
winB=$(desk_window 2 30) || { lan_fail "Bob's window did not show within 30 s"; desk_report 2; exit 1; }
lan_check "Alice's list shows Bob" desk_wait_page 1 userlist 'class="?username"?[^>]*>Bob<' 30
lan_check "Bob's list shows Alice" desk_wait_page 2 userlist 'class="?username"?[^>]*>Alice<' 15
# Bob's window was placed beside Alice's; a shot of hers shows only her window.
sleep 1
for i in 1 2 3 4 5; do
  desk_shot "$winA" "$LAN_WORK/after.ppm"
  sleep 0.4
  desk_shot "$winA" "$LAN_WORK/after2.ppm"
  cmp -s "$LAN_WORK/after.ppm" "$LAN_WORK/after2.ppm" && break
done

# Bob's entry: what changed at the right of Alice's window (the list; his arrival line in the
# chat is further left), its first band of rows, the rightmost word in it (his name).
bob_at=$(python3 - "$LAN_WORK/after.ppm" "$LAN_WORK"/before?.ppm <<'PY'
import sys
from ppm_rows import load, runs



w, h, a = load(sys.argv[1])
befores = [load(p)[2] for p in sys.argv[2:]]
changed = []
for y in range(h):
    for x in range(w):
        k = (y * w + x) * 3
        px = befores[0][k:k + 3]
        if a[k:k + 3] != px and all(b[k:k + 3] == px for b in befores[1:]):
            changed.append((x, y))
if not changed:
    sys.exit("nothing changed")
left, right = runs({x for x, _ in changed}, 12)[-1]
rows = runs({y for x, y in changed if left <= x <= right}, 2)
top, bottom = rows[0]
word = runs({x for x, y in changed if left <= x <= right and top <= y <= bottom}, 4)[-1]
print(sum(word) // 2, (top + bottom) // 2)
print("list change x %d-%d, first band y %d-%d" % (left, right, top, bottom), file=sys.stderr)
PY
) || { lan_fail "Bob's entry was not found in Alice's window"; desk_report 1 2; exit 1; }
echo "Bob's entry in Alice's list at $bob_at"

# Right click on Bob in Alice's list, then the menu item n (counted from the top) by keys:
# private message, alert, sound; invitation; own sounds, own colours, process list, information;
# avatar, desktop, file.
user_menu() {  # n
  local n=$1
  xdotool windowfocus --sync "$winA"
  # shellcheck disable=SC2086
  xdotool mousemove --window "$winA" $bob_at click 3
  sleep 0.8
  for _ in $(seq "$n"); do xdotool key Down; sleep 0.1; done
  xdotool key Return
}


# 1. Sent from the user menu and the file dialog: a file of 64 MB with every byte value, so that the progress windows stay a moment.
payload=$LAN_WORK/h1/home/payload.bin
python3 -c "
import os, sys
block = bytes(range(256)) * 16 + os.urandom(4096)
with open(sys.argv[1], 'wb') as f:
    for _ in range(64 * 1024 * 1024 // len(block)): f.write(block)
    f.write(b'\r\n\x00tail')
" "$payload"

user_menu 11
dialog=$(desk_wait_window 1 "Send file" 10) || { lan_fail "the file dialog did not open in Alice's window"; desk_report 1; exit 1; }
xdotool windowfocus --sync "$dialog"
sleep 0.5
xdotool type --delay 30 "$payload"
sleep 0.3
xdotool key Return
lan_check "Alice's chat shows the offer" desk_wait_page 1 chat 'Send file .*Bob.*payload\.bin' 10

question=$(desk_wait_window 2 "\[[0-9]+\] File transfer request from Alice" 10) ||
  { lan_fail "Bob was not asked about the file"; desk_report 1 2; exit 1; }
# Both progress windows, looked for while the bytes move.
( for _ in $(seq 300); do
    id=$(desk_windows_named 2 "Incoming: File" | head -1)
    if [ -n "$id" ]; then
      echo "$id" >"$LAN_WORK/incoming.id"
      import -window "$id" "$OUT/desktop_transfer_progress.png" 2>/dev/null
    fi
    [ -n "$(desk_windows_named 1 "Outgoing: File")" ] && touch "$LAN_WORK/outgoing.seen"
    [ -s "$LAN_WORK/incoming.id" ] && [ -e "$LAN_WORK/outgoing.seen" ] && break
    sleep 0.05
  done ) &
watcher=$!
xdotool windowfocus --sync "$question"
sleep 0.3
xdotool key Return
received=$LAN_WORK/h2/root/download/payload.bin
lan_check "Bob's chat shows the file received, with a link to it" \
  desk_wait_page 2 chat 'File received: <a class="urllink" href="file://[^"]*/download/payload\.bin"' 60
wait "$watcher"
lan_check "Bob's progress window showed" test -s "$LAN_WORK/incoming.id"
lan_check "Alice's progress window showed" test -e "$LAN_WORK/outgoing.seen"
progress_closed() {
  for _ in $(seq 50); do
    [ -z "$(desk_windows_named 2 "Incoming: File"; desk_windows_named 1 "Outgoing: File")" ] && return 0
    sleep 0.1
  done
  return 1
}
lan_check "both progress windows closed" progress_closed
lan_check "Alice's chat says the file was sent" desk_wait_page 1 chat 'File sent successfully' 10
lan_check "the file Bob received is Alice's, byte for byte" cmp "$payload" "$received"
lan_check "no partial file is left beside it" test ! -e "$received.part"

# 2. A file dragged from another program and dropped onto Bob in Alice's list goes to him.
dropped="$LAN_WORK/h1/home/dropped notes.txt"
printf 'dropped\r\nonto Bob\x00\xff\n' >"$dropped"
mkdir -m 700 "$LAN_WORK/drag-run"
XDG_RUNTIME_DIR=$LAN_WORK/drag-run "$BUILD/tests/zc_drag_source" "$dropped" 60 640 >"$LAN_WORK/drag.out" 2>&1 &
drag=$!
lan_track $drag
sleep 1.5
xdotool mousemove 100 680 mousedown 1
sleep 0.4
read -r bx by <<<"$bob_at"
for step in 1 2 3 4 5 6; do
  xdotool mousemove --window "$winA" $((bx * step / 6)) $((by + (600 - by) * (6 - step) / 6))
  sleep 0.15
done
xdotool mousemove --window "$winA" "$bx" "$by"
sleep 0.4
xdotool mouseup 1
for _ in $(seq 50); do kill -0 $drag 2>/dev/null || break; sleep 0.1; done
lan_check "the drop was taken (drag source: $(tr '\n' ' ' <"$LAN_WORK/drag.out"))" grep -qx copied "$LAN_WORK/drag.out"
lan_check "Alice's chat shows the offer of the dropped file" desk_wait_page 1 chat 'Send file .*Bob.*dropped notes\.txt' 10
if question=$(desk_wait_window 2 "\[[0-9]+\] File transfer request from Alice" 10); then
  xdotool windowfocus --sync "$question"
  sleep 0.3
  xdotool key Return
  lan_check "Bob's chat shows the dropped file received" \
    desk_wait_page 2 chat 'File received: <a class="urllink" href="file://[^"]*/download/dropped%20notes\.txt"' 30
  lan_check "the dropped file Bob received is the same" cmp "$dropped" "$LAN_WORK/h2/root/download/dropped notes.txt"
else
  lan_fail "Bob was not asked about the dropped file"
fi

# 3. Bob's desktop, asked for from Alice's menu.
user_menu 10
lan_check "Alice's chat shows Bob's desktop picture inline" \
  desk_wait_page 1 chat 'Desktop snapshot.*<img[^>]*remotedesktop\.bmp' 30
xdotool mousemove 1279 799
sleep 1.5
import -window "$winA" "$OUT/desktop_transfer_alice.png" || lan_fail "no screenshot of Alice's window"
snapshot=$LAN_WORK/h2/root/download/mydesktop.bmp
lan_check "Bob's snapshot is a bitmap of the whole $screen screen (identify: $(identify "$snapshot" 2>&1 | head -1))" \
  bash -c "identify '$snapshot' | grep -qE ' BMP3? $screen '"
lan_check "Alice received Bob's snapshot as it was written" cmp "$snapshot" "$LAN_WORK/h1/root/download/remotedesktop.bmp"

for n in 1 2; do desk_stop "$n"; done
if [ "$LAN_FAILURES" -ne 0 ]; then
  desk_report 1 2
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: desktop_transfer_test"
