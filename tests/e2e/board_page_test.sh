#!/bin/bash
# The board page of the desktop chat: the skin's board button shows it with the stored messages
# under their categories and the first tab in front.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
command -v import >/dev/null || die "import (ImageMagick) is needed for the screenshot"
e2e_start_xvfb

E2E_ROOT=$(e2e_new_root)
R=$E2E_ROOT
D=$E2E_WORK/pages
mkdir -p "$R/board"
# Created a day ahead, so they cannot expire during the run.
mes() {  # file time category author body
    printf '<TimeLife>\n2592000\n</TimeLife>\n<CreateTime>\n%s\n</CreateTime>\n<MessageCategory>\n%s\n<UserName>\n%s\n<IP>\n10.0.0.9\n<MessageDate>\n08-12-2025 10:00\n<MessageBody>\n%s' \
        "$2" "$3" "$4" "$5" >"$R/board/$1"
}
t=$(($(date +%s) + 86400))
mes "$t.mes" "$t" 1 Zed "First category note"
mes "$((t + 1)).mes" "$((t + 1))" 3 Zed "Third category note"

e2e_start_chat --root "$R" --dump-pages "$D"
pid=$E2E_LAST_PID
win=$(e2e_wait_window 15) || die "no visible chat window within 15 s"
e2e_wait_log "$R" ":::InitNetwork:::" 10 || fail "the network did not come up"

# Dumps the pages and waits until board.html is newer than the mark.
dump() {
    local mark=$E2E_WORK/mark.$1
    : >"$mark"
    sleep 1.1  # file times are in seconds on some file systems
    : >"$mark"
    kill -USR1 "$pid"
    # A cold web engine can take a while to hand back every page.
    for _ in $(seq 150); do [ "$D/board.html" -nt "$mark" ] && return 0; sleep 0.1; done
    return 1
}
# The tab the page script shows at load: the last show_s call of the page.
shown_tab() { grep -o 'show_s([1-4]);</script>' "$D/board.html" | tail -1 | tr -dc '1-4'; }

# The board button of the skin: [BUTTON] NAME=BOARD, at LEFT/TOP inside the frameless window.
read -r bl bt < <(awk -F= '{sub(/\r$/, "")} /^\[BUTTON\]/{b=0} $1=="NAME"{b=($2=="BOARD")} b&&$1=="LEFT"{l=$2} b&&$1=="TOP"{t=$2} END{}
    b&&$1=="SHOW"{print l, t; exit}' "$ZC_SRC_DATA/skins/skinthemes/def/skin.cfg")
[ -n "$bl" ] && [ -n "$bt" ] || die "no BOARD button in the skin"
pos=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
read -r wx wy <<<"$pos"
size=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
read -r ww _ <<<"$size"
xdotool mousemove $((wx + bl + 8)) $((wy + bt + 8)) click 1
sleep 2
dump first || dump first || die "SIGUSR1 left no board.html in $D"
grep -q 'First category note' "$D/board.html" || fail "the board page lacks the category 1 message"
grep -q 'Third category note' "$D/board.html" || fail "the board page lacks the category 3 message"
[ "$(shown_tab)" = 1 ] || fail "a fresh board page shows tab $(shown_tab), not 1"
# Each message sits in the block of its category (ids 10 and 30).
awk '/id="10"/{c=1} /id="20"/{c=2} /id="30"/{c=3} /id="40"/{c=4} /First category note/{f=c} /Third category note/{h=c} END{exit !(f==1 && h==3)}' \
    "$D/board.html" || fail "the messages are not under categories 1 and 3"

# Pick the third tab: scan along the tab row until the page marks tab 3 as chosen.
read -r tl tt < <(awk -F= '{sub(/\r$/, "")} $1=="TEXTLEFT"{l=$2} $1=="TEXTTOP"{t=$2} END{print l, t}' \
    "$ZC_SRC_DATA/skins/skinthemes/def/skin.cfg")
focused3() { grep -Eq 'id="3"[^>]*class="catnamefocus"|class="catnamefocus"[^>]*id="3"' "$D/board.html"; }
picked=""
for x in $(seq $((tl + 10)) 12 $((tl + 320))); do
    xdotool mousemove $((wx + x)) $((wy + tt + 16)) click 1
    sleep 0.6
    dump pick >/dev/null 2>&1 || continue
    if focused3; then picked=$x; break; fi
done
[ -n "$picked" ] || fail "no click on the tab row chose tab 3"

# A new message posted now goes into the open tab, and the rebuilt page keeps that tab.
xdotool mousemove $((wx + ww / 2)) $((wy + $(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p') - 20)) click 1
sleep 0.3
xdotool type --delay 20 "Posted into the open tab"
xdotool key Return
# Under load the post and the rebuild take a moment; look again before judging.
for _ in 1 2 3 4 5; do
    sleep 1
    dump rebuilt || continue
    grep -q 'Posted into the open tab' "$D/board.html" && break
done
grep -q 'Posted into the open tab' "$D/board.html" || fail "the posted message is not on the board page"
[ "$(shown_tab)" = 3 ] || fail "after the rebuild the page shows tab $(shown_tab), not the chosen tab 3"
awk '/id="10"/{c=1} /id="20"/{c=2} /id="30"/{c=3} /id="40"/{c=4} /Posted into the open tab/{p=c} END{exit !(p==3)}' \
    "$D/board.html" || fail "the posted message is not in category 3"

sleep 1
import -window root "$E2E_OUT/board_page.png" || fail "no screenshot"

kill -TERM "$pid"
e2e_wait_exit "$pid" 5 || fail "still running 5 s after SIGTERM"
e2e_finish
