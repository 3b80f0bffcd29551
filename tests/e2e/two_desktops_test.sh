#!/bin/bash
# Two desktop chats on a private LAN of network namespaces, both windows on one Xvfb, Alice in
# the light theme and Bob in the dark one: text typed into one window reaches the other, both
# user lists show both users with their modes, a click on a name in a chat line addresses that
# user in the input box and a double click does it once, and a link with a query string is
# handed to the desktop exactly as it was written.
# Usage: two_desktops_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" Xvfb xdotool import python3 iconv ip unshare
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT
OUT=$BUILD/e2e
mkdir -p "$OUT"

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1
desk_start_xvfb || exit 1

# Side by side, 600 x 500 each.
desk_make_root 1 Alice 20 20 620 520
desk_make_root 2 Bob 660 20 1260 520
lan_ini_set "$LAN_WORK/h2/root/profiles/default.cfg" GLOBAL SKINSTHEME dark
appeal=$(tr -d '\r' <"$LAN_WORK/h2/root/system/zeltochat.ini" | sed -n 's/^APPEAL=//p' | head -1)
[ ${#appeal} = 1 ] || appeal=:
desk_start 1
desk_start 2
winA=$(desk_window 1 30) || { lan_fail "Alice's window did not show within 30 s"; desk_report 1; exit 1; }
winB=$(desk_window 2 30) || { lan_fail "Bob's window did not show within 30 s"; desk_report 2; exit 1; }
[ "$winA" != "$winB" ] || { lan_fail "both programs have the same window $winA"; exit 1; }

# The user lists: each name with its mode text, in the order the page shows them.
modes_of() {  # N: "name=mode" per user
  desk_page "$1" userlist | tr -d '\n' |
    grep -oE 'class="(username|myname)"[^>]*>[^<]+<|class="chatmode[a-z]*">[^<]+<' |
    awk '{ text = $0; sub(/^.*>/, "", text); sub(/<$/, "", text); gsub(/&nbsp;/, " ", text); sub(/ +$/, "", text) }
         /^class="chatmode/ { if (name != "") printf "%s=%s\n", name, text; name = ""; next }
         { name = text }'
}
lists_both() {  # N
  local m
  m=$(modes_of "$1")
  grep -qx "Alice=Available" <<<"$m" && grep -qx "Bob=Available" <<<"$m"
}
wait_lists() {  # N seconds
  local deadline=$((SECONDS + $2))
  until desk_dump "$1" && lists_both "$1"; do
    [ $SECONDS -ge "$deadline" ] && { echo "h$1's list: $(modes_of "$1" | paste -sd' ')"; return 1; }
    sleep 0.5
  done
}
lan_check "Alice's user list shows Alice and Bob, both Available" wait_lists 1 30
lan_check "Bob's user list shows Alice and Bob, both Available" wait_lists 2 15

# Shots of Bob's window before Alice's line comes, with Alice's window focused as it will be
# when she types; the pointer is away from both windows.
xdotool mousemove 1279 799
xdotool windowfocus --sync "$winA"
sleep 1
for i in 0 1 2; do
  desk_shot "$winB" "$LAN_WORK/before$i.ppm" || lan_fail "no screenshot of Bob's window"
  sleep 0.4
done

# 1. Typed into Alice's input box, shown in Bob's chat view.
text="hello from Alice $RANDOM"
xdotool windowfocus --sync "$winA"
xdotool type --delay 40 "$text"
xdotool key Return
lan_check "Bob's chat shows the text typed in Alice's window" \
  desk_wait_page 2 chat "&lt;Alice&gt;</span>:&nbsp;<span>$text</span>" 15
lan_check "Alice's chat shows it as her own line" desk_wait_page 1 chat "Alice.*</span> $text</span>" 5

# 3. A click on Alice's name in that line puts "Alice: " into Bob's input box; Return sends it.
# The input box is in no dump, so Return is what shows the click worked. Where the line is on
# the screen comes from the screenshots: the band of rows that changed is the new line, and
# each word of it is tried from the left, with Return after each click. A click that misses
# the name leaves the input box empty, and an empty input sends nothing.
sleep 1
for i in 1 2 3 4 5; do
  desk_shot "$winB" "$LAN_WORK/after.ppm"
  sleep 0.4
  desk_shot "$winB" "$LAN_WORK/after2.ppm"
  cmp -s "$LAN_WORK/after.ppm" "$LAN_WORK/after2.ppm" && break
done
points=$(desk_new_words "$LAN_WORK/after.ppm" "$LAN_WORK"/before?.ppm 2>"$LAN_WORK/words.txt")
cat "$LAN_WORK/words.txt"
said() { desk_page 2 chat | grep -o "Alice$appeal" | wc -l; }
desk_dump 2
before=$(said)
hit="" tries=0
xdotool windowfocus --sync "$winB"
while read -r x y; do
  [ -n "$x" ] || continue
  tries=$((tries + 1))
  xdotool mousemove --window "$winB" "$x" "$y" click 1
  sleep 0.3
  xdotool key Return
  for _ in 1 2 3 4; do
    sleep 0.3
    desk_dump 2 && [ "$(said)" -gt "$before" ] && { hit="$x $y"; break 2; }
  done
done <<<"$points"
if [ -n "$hit" ]; then
  echo "ok: click $tries, at $hit in Bob's window, addressed Alice"
else
  lan_fail "none of $tries clicks on the words of Alice's line in Bob's window put her name into the input box"
fi
lan_check "Alice's chat shows Bob's line \"Alice$appeal \"" \
  desk_wait_page 1 chat "&lt;Bob&gt;</span>:&nbsp;<span>Alice$appeal( |&nbsp;)?</span>" 10

# 4. A double click on the name is one action: the browser reports click, click and double
# click, and the name goes into the input box once.
if [ -n "$hit" ]; then
  mark="twice$RANDOM"
  xdotool windowfocus --sync "$winB"
  # shellcheck disable=SC2086
  xdotool mousemove --window "$winB" $hit click --repeat 2 --delay 60 1
  sleep 0.6
  xdotool type --delay 40 "$mark"
  xdotool key Return
  lan_check "a double click on Alice's name put \"Alice$appeal \" into Bob's input once" \
    desk_wait_page 1 chat "&lt;Bob&gt;</span>:&nbsp;<span>Alice$appeal( |&nbsp;)$mark</span>" 10
fi

# 5. A link whose address has a query, written by Alice, clicked in Bob's chat page: the
# desktop is asked to open exactly that address ("&" and all), not the page's "&amp;".
url_rest='example.invalid/a?x=1&y=2'
url="http://$url_rest"
opened=$LAN_WORK/h2/opened.txt
opened_is() { [ "$(cat "$opened" 2>/dev/null)" = "$1" ]; }
xdotool mousemove 1279 799
sleep 1
for i in 0 1 2; do
  desk_shot "$winB" "$LAN_WORK/lbefore$i.ppm" || lan_fail "no screenshot of Bob's window"
  sleep 0.4
done
xdotool windowfocus --sync "$winA"
xdotool type --delay 40 "[URL]$url_rest[/URL]"
xdotool key Return
lan_check "Bob's chat shows Alice's link" \
  desk_wait_page 2 chat 'class="urllink" href="http://example\.invalid/a\?x=1&amp;y=2"' 15
sleep 1
for i in 1 2 3 4 5; do
  desk_shot "$winB" "$LAN_WORK/lafter.ppm"
  sleep 0.4
  desk_shot "$winB" "$LAN_WORK/lafter2.ppm"
  cmp -s "$LAN_WORK/lafter.ppm" "$LAN_WORK/lafter2.ppm" && break
done
points=$(desk_new_words "$LAN_WORK/lafter.ppm" "$LAN_WORK"/lbefore?.ppm 2>"$LAN_WORK/lwords.txt")
cat "$LAN_WORK/lwords.txt"
rm -f "$opened"
xdotool windowfocus --sync "$winB"
# The link ends the line: its words are tried from the right.
while read -r x y; do
  [ -n "$x" ] || continue
  xdotool mousemove --window "$winB" "$x" "$y" click 1
  for _ in 1 2 3 4 5; do
    sleep 0.3
    [ -s "$opened" ] && break 2
  done
done < <(tac <<<"$points")
lan_check "Bob's click on the link asked the desktop to open exactly $url (got: $(cat "$opened" 2>/dev/null))" \
  opened_is "$url"

# 6. What the windows show now.
xdotool mousemove 1279 799
sleep 0.5
import -window "$winA" "$OUT/two_desktops_alice.png" || lan_fail "no screenshot of Alice's window"
import -window "$winB" "$OUT/two_desktops_bob.png" || lan_fail "no screenshot of Bob's window"

# SIGTERM ends both through their shutdown, which writes the pages once more.
for n in 1 2; do
  rm -f "$LAN_WORK/h$n/pages"/*.html
  desk_stop "$n"
  if ! [ -s "$LAN_WORK/h$n/pages/chat.html" ] || ! [ -s "$LAN_WORK/h$n/pages/userlist.html" ]; then
    lan_fail "h$n wrote no pages at exit"
  fi
done
lan_check "Bob's last chat page holds Alice's line" bash -c \
  "iconv -f CP1251 -t UTF-8 '$LAN_WORK/h2/pages/chat.html' | grep -qF '$text'"

if [ "$LAN_FAILURES" -ne 0 ]; then
  desk_report 1 2
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: two_desktops_test"
