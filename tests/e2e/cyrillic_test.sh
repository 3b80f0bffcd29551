#!/bin/bash
# Cyrillic folders and names on two desktop chats of a private LAN: Иван's program folder is
# .../Иван/zeltochat and his avatar "www.ёжик [1].png" (an address-like name with brackets).
# His pages keep their style sheets and smiles, his avatar shows in both lists (Ольга's chat
# fetched it), a picture from ~/Изображения shows on both sides (a click on it in Ольга's chat
# opens the picture itself), and a Cyrillic link from Ольга opens in Иван's desktop (a fake
# xdg-open) as written. Each page's ".loaded" dump says what of it loaded.
# Usage: cyrillic_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" Xvfb xdotool setxkbmap import convert python3 iconv ip unshare
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT
OUT=$BUILD/e2e
mkdir -p "$OUT"

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1
desk_start_xvfb || exit 1
# Cyrillic keys on the keyboard: xdotool types them without remapping a key for each letter,
# which a busy client can read late and drop.
setxkbmap -layout us,ru 2>/dev/null

desk_make_root 1 Иван 20 20 620 560
desk_make_root 2 Ольга 660 20 1260 560
ivan=$LAN_WORK/h1/Иван/zeltochat
mkdir -p "$LAN_WORK/h1/Иван"
mv "$LAN_WORK/h1/root" "$ivan"
mkdir -p "$ivan/avatars"
convert -size 40x30 "xc:rgb(200,40,40)" "$ivan/avatars/www.ёжик [1].png"
lan_ini_set "$ivan/profiles/default.cfg" INFO AVATAR "www.ёжик [1].png"
pictures=$LAN_WORK/h1/home/Изображения
mkdir -p "$pictures"
convert -size 40x30 "xc:rgb(40,160,40)" "$pictures/кот.png"

# What Иван's desktop would open is written down by an xdg-open of the test's own.
mkdir -p "$LAN_WORK/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$LAN_WORK/xdg-opened.txt" >"$LAN_WORK/bin/xdg-open"
chmod +x "$LAN_WORK/bin/xdg-open"
PATH=$LAN_WORK/bin:$PATH DESK_OPEN_LOG="" desk_start 1 "$ivan"
winA=$(desk_window 1 30) || { lan_fail "Иван's window did not show within 30 s"; desk_report 1; exit 1; }
desk_start 2
winB=$(desk_window 2 30) || { lan_fail "Ольга's window did not show within 30 s"; desk_report 2; exit 1; }

report() {
  desk_report 2
  echo "===== h1: debug log (last 40 lines)"
  cat "$ivan"/logs/*/*.txt 2>/dev/null | tr -d '\r' | tail -n 40
  for n in 1 2; do for f in "$LAN_WORK/h$n/pages"/*.loaded; do echo "== h$n $(basename "$f")"; cat "$f"; done; done
}

# Nothing a page refers to is missing: every style sheet loaded, every picture shown.
page_whole() {  # N page
  local state=$LAN_WORK/h$1/pages/$2.loaded
  grep -qE '^style sheets ([1-9][0-9]*) of \1$' "$state" && ! grep -q '^not shown' "$state"
}
# Pictures the page shows, at least this many.
pictures_shown() {  # N page count
  [ "$(sed -n 's/^pictures shown //p' "$LAN_WORK/h$1/pages/$2.loaded")" -ge "$3" ]
}

# 1. Avatars: Иван's own, and Ольга's copy fetched under the same Cyrillic name.
lan_check "Иван's list shows his avatar" desk_wait_page 1 userlist 'class="myimage"[^>]*src="[^"]*/avatars/www\.%D1%91%D0%B6%D0%B8%D0%BA%20%5B1%5D\.png"' 30
lan_check "Ольга's list shows Иван's avatar" \
  desk_wait_page 2 userlist 'class="?userimage"?[^>]*src="[^"]*/avatars/www\.%D1%91%D0%B6%D0%B8%D0%BA%20%5B1%5D\.png"' 60
lan_check "Ольга fetched the avatar as it is" cmp "$ivan/avatars/www.ёжик [1].png" "$LAN_WORK/h2/root/avatars/www.ёжик [1].png"
lan_check "Иван's list page is whole (styled, avatar shown)" page_whole 1 userlist
desk_dump 2
lan_check "Ольга's list page is whole" page_whole 2 userlist

# 2. A picture from ~/Изображения and a smile, typed by Иван; Ольга's window before it came.
xdotool mousemove 1279 799
xdotool windowfocus --sync "$winA"
sleep 1
for i in 0 1 2; do desk_shot "$winB" "$LAN_WORK/olga$i.ppm"; sleep 0.4; done
xdotool type --delay 50 "[IMG]$pictures/кот.png[/IMG] :)"
xdotool key Return
img='<img class="image" src="file://[^"]*/%D0%98%D0%B7%D0%BE%D0%B1%D1%80%D0%B0%D0%B6%D0%B5%D0%BD%D0%B8%D1%8F/%D0%BA%D0%BE%D1%82\.png"'
lan_check "Иван's chat shows the picture" desk_wait_page 1 chat "$img" 15
lan_check "Ольга's chat shows the picture" desk_wait_page 2 chat "$img" 15
sleep 1
desk_dump 1 && desk_dump 2
lan_check "Иван's chat page is whole: style sheet, picture and smile" page_whole 1 chat
lan_check "Иван's chat shows two pictures (the cat and the smile)" pictures_shown 1 chat 2
lan_check "Ольга's chat page is whole" page_whole 2 chat
lan_check "Ольга's chat shows two pictures" pictures_shown 2 chat 2

# Where the picture is in Ольга's window: the word before the smile (clicked at the end).
desk_shot "$winB" "$LAN_WORK/olga-after.ppm"
picture_at=$(desk_new_words "$LAN_WORK/olga-after.ppm" "$LAN_WORK"/olga?.ppm | tail -2 | head -1)

# 3. A Cyrillic link from Ольга, clicked in Иван's chat: where it is comes from shots before
# and after it arrived; it is the last word of its line.
xdotool windowfocus --sync "$winB"
sleep 1
for i in 0 1 2; do desk_shot "$winA" "$LAN_WORK/before$i.ppm"; sleep 0.4; done
link="www.пример.рф/статья?тема=ёжик"
xdotool type --delay 50 "смотри $link"
xdotool key Return
lan_check "Иван's chat shows the link" desk_wait_page 1 chat 'class="urllink" href="http://www\.пример\.рф/' 15
sleep 1
desk_shot "$winA" "$LAN_WORK/after.ppm"
if at=$(desk_new_words "$LAN_WORK/after.ppm" "$LAN_WORK"/before?.ppm | tail -1); then
  xdotool windowfocus --sync "$winA"
  # shellcheck disable=SC2086
  xdotool mousemove --window "$winA" $at click 1
  for _ in $(seq 50); do [ -s "$LAN_WORK/xdg-opened.txt" ] && break; sleep 0.1; done
  opened=$(python3 -c '
import sys, urllib.parse
u = urllib.parse.urlsplit(open(sys.argv[1]).readline().strip())
host = ".".join(p.encode().decode("idna") for p in u.hostname.split("."))
print("%s://%s%s?%s" % (u.scheme, host, urllib.parse.unquote(u.path), urllib.parse.unquote(u.query)))
' "$LAN_WORK/xdg-opened.txt" 2>&1)
  lan_check "the desktop was asked to open http://$link (it got: $(cat "$LAN_WORK/xdg-opened.txt" 2>/dev/null); read: $opened)" \
    test "$opened" = "http://$link"
else
  lan_fail "the link's line was not found in Иван's window"
fi

# A click on the picture in Ольга's chat opens the picture itself, not its folder.
if [ -n "$picture_at" ]; then
  xdotool windowfocus --sync "$winB"
  # shellcheck disable=SC2086
  xdotool mousemove --window "$winB" $picture_at click 1
  lan_check "Ольга's click on the picture opens the picture, not its folder" \
    bash -c "for _ in \$(seq 30); do grep -qx 'file://$pictures/кот.png' '$LAN_WORK/h2/opened.txt' 2>/dev/null && exit 0; sleep 0.1; done; cat '$LAN_WORK/h2/opened.txt'; exit 1"
else
  lan_fail "the picture's line was not found in Ольга's window"
fi

xdotool mousemove 1279 799
sleep 1
import -window "$winA" "$OUT/cyrillic_ivan.png" || lan_fail "no screenshot of Иван's window"
import -window "$winB" "$OUT/cyrillic_olga.png" || lan_fail "no screenshot of Ольга's window"

for n in 1 2; do desk_stop "$n"; done
if [ "$LAN_FAILURES" -ne 0 ]; then
  report
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: cyrillic_test"
