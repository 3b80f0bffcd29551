#!/bin/bash
# The options editor as a user drives it: F11 in Alice's chat window opens it (option.cmd finds
# zeltooptions beside the chat program, not in her program folder), she types a new nickname and
# saves; Bob's terminal chat on another host of the namespace LAN shows the name change line
# within two seconds, while her editor, the first of the session, is still open. Then she closes
# it, and her profile file differs in that one line.
# Usage: options_nickname_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
BUILD_DIR=$BUILD
SOURCE_DIR=$(cd "$HERE/../.." && pwd)
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" "$BUILD/zeltooptions" "$BUILD/zeltochat-cli" Xvfb xdotool python3 cmake ip unshare
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1
desk_start_xvfb || exit 1

desk_make_root 1 Alice 20 20 620 520
lan_make_root 2 Bob
profile=$LAN_WORK/h1/root/profiles/default.cfg

desk_start 1
lan_start_client 2
winA=$(desk_window 1 30) || { lan_fail "Alice's window did not show within 30 s"; desk_report 1; exit 1; }
lan_check "Bob lists Alice and himself" lan_wait_users 2 2 30

# Bob's output, each line stamped with the time it appeared. The stamper must not hold Bob's
# input open, or his client would never see its end.
(lan_close_inputs; exec python3 - "$LAN_WORK/h2/out") >"$LAN_WORK/stamped.txt" <<'PY' &
import sys, time
path, pos = sys.argv[1], 0
while True:
    with open(path, "rb") as f:
        f.seek(pos)
        data = f.read()
    while b"\n" in data:
        line, data = data.split(b"\n", 1)
        pos += len(line) + 1
        print("%.3f %s" % (time.time(), line.decode("utf-8", "replace")), flush=True)
    time.sleep(0.01)
PY
lan_track $!

settings=$LAN_WORK/h1/root/system/zeltochat.ini
cp "$profile" "$LAN_WORK/profile.before"
cp "$settings" "$LAN_WORK/settings.before"
newname="Alicia$RANDOM"

# F11 in the chat window starts option.cmd, which starts the editor.
xdotool windowfocus --sync "$winA"
xdotool key F11
editor=""
for _ in $(seq 100); do
  editor=$(xdotool search --onlyvisible --name '^ZeltoChat$' 2>/dev/null | head -1)
  [ -n "$editor" ] && break
  sleep 0.2
done
[ -n "$editor" ] || { lan_fail "F11 opened no editor window within 20 s"; desk_report 1; exit 1; }
echo "ok: F11 opened the editor (window $editor)"
sleep 1

# The first stop of the focus chain is the page tabs; the nickname field follows.
xdotool windowfocus --sync "$editor"
sleep 0.3
xdotool key Tab ctrl+a
xdotool type --delay 30 "$newname"
# Back past the tabs the chain wraps to its end: Close, then Save before it.
xdotool key shift+Tab shift+Tab shift+Tab space
saved=""
for _ in $(seq 50); do
  if tr -d '\r' <"$profile" | grep -qx "CHATNAME=$newname"; then
    saved=$(date +%s.%N)
    break
  fi
  sleep 0.02
done
[ -n "$saved" ] || { lan_fail "Save did not write CHATNAME=$newname"; diff "$LAN_WORK/profile.before" "$profile"; exit 1; }
written=$(stat -c %.3Y "$profile")
cp "$profile" "$LAN_WORK/profile.saved"

line_pattern=" Alice: Nickname changed to <$newname>\$"
arrived=""
for _ in $(seq 100); do
  arrived=$(grep -E -- "$line_pattern" "$LAN_WORK/stamped.txt" | head -1 | cut -d' ' -f1)
  [ -n "$arrived" ] && break
  sleep 0.05
done
if [ -z "$arrived" ]; then
  lan_fail "Bob's chat showed no \"Alice: Nickname changed to <$newname>\" line within 5 s of the save"
  tail -n 5 "$LAN_WORK/stamped.txt"
else
  delay=$(python3 -c "print('%.3f' % ($arrived - $written))")
  echo "profile written at $written, Bob's line at $arrived: ${delay} s after the save"
  lan_check "the name change line came within 2 s of the save (${delay} s)" \
    python3 -c "import sys; sys.exit(0 if 0 <= $delay <= 2 else 1)"
fi
lan_check "the editor was still open when the change arrived" \
  bash -c "xdotool search --onlyvisible --name '^ZeltoChat\$' >/dev/null 2>&1"

xdotool key Tab space
closed=""
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^ZeltoChat$' >/dev/null 2>&1 || { closed=$(date +%s.%N); break; }
  sleep 0.02
done
[ -n "$closed" ] || lan_fail "the editor did not close on Close"

# Nothing but the nickname line may have changed, now and after the chat re-read the file.
profile_diff() {
  diff <(tr -d '\r' <"$LAN_WORK/profile.before") <(tr -d '\r' <"$profile") | grep '^[<>]'
}
only_name_changed() {
  local d
  d=$(profile_diff)
  [ "$d" = "< CHATNAME=Alice
> CHATNAME=$newname" ] || { echo "profile lines changed:"; echo "$d"; return 1; }
  # Byte for byte: every other line keeps its CRLF end, and the line count is the same.
  cmp -s <(grep -av '^CHATNAME=' "$LAN_WORK/profile.before") <(grep -av '^CHATNAME=' "$profile")
}
lan_check "the profile differs from before only in its CHATNAME line" only_name_changed
lan_check "the chat left the profile as the editor saved it" cmp -s "$LAN_WORK/profile.saved" "$profile"
# The editor's change list was taken out again: the settings file is as it was.
lan_check "the chat took the change list out of the settings, leaving the file as before" \
  cmp "$LAN_WORK/settings.before" "$settings"
lan_check "Alice's debug log shows the nickname re-applied" \
  bash -c "cat '$LAN_WORK/h1/root'/logs/*/*.txt | grep -qF ':::Change username...'"

desk_stop 1
lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  desk_report 1
  lan_report 2
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: options_nickname_test"
