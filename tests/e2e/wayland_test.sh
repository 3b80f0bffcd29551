#!/bin/bash
# The desktop chat as a Wayland client of a headless sway, run by an unprivileged user (sway
# refuses root): its window shows, a line typed into it reaches a terminal client on the LAN and
# one from there reaches it, the log says once why no bubble shows, and the screen is shot.
# Usage: wayland_test.sh ZELTOCHAT_EXE DATA_DIR BUILD_DIR
HERE=$(cd "$(dirname "$0")" && pwd)
DESK_EXE=$(realpath "${1:?program}")
DESK_DATA=$(realpath "${2:?data folder}")
BUILD=$(realpath "${3:?build folder}")
BUILD_DIR=$BUILD
SOURCE_DIR=$(dirname "$DESK_DATA")
QT_WAYLAND=$(find /usr/lib/*/qt6/plugins/platforms -name 'libqwayland-*.so' 2>/dev/null | head -1)
for p in sway grim wtype setpriv; do
  command -v "$p" >/dev/null && continue
  echo "SKIPPED: wayland_test needs $p (Debian: sway grim wtype qt6-wayland), none installed here"
  exit 0
done
[ -n "$QT_WAYLAND" ] || { echo "SKIPPED: wayland_test needs Qt's Wayland platform (qt6-wayland)"; exit 0; }
source "$HERE/../net/cli_lan_lib.sh"
source "$HERE/desktop_lan_lib.sh"
lan_require "$DESK_EXE" "$BUILD/zeltochat-cli" python3 iconv ip unshare convert
lan_enter "$HERE/$(basename "$0")" "$DESK_EXE" "$DESK_DATA" "$BUILD"
trap desk_cleanup EXIT
OUT=$BUILD/e2e
mkdir -p "$OUT"
USER_ID=65534  # nobody: no account to make or remove

lan_add_host 1
lan_add_host 2
lan_wait_links 1 2 || exit 1

# The compositor's and the chat's files belong to the unprivileged user.
chmod 755 "$LAN_WORK"
desk_make_root 1 Alice 20 20 620 520
lan_ini_set "$LAN_WORK/h1/root/profiles/default.cfg" GLOBAL ALLOWSENDDESKTOP 1
WL=$LAN_WORK/wl
mkdir -p "$WL/run"
chmod 700 "$WL/run"
printf 'output HEADLESS-1 resolution 1280x800\nxwayland disable\ndefault_border none\n' >"$WL/config"
chown -R "$USER_ID:$USER_ID" "$WL" "$LAN_WORK/h1"
# An array, not a function: "as_user ... &" then starts setpriv itself (which becomes the
# program), so $! is the program and cleanup stops it instead of only a subshell around it.
as_user=(setpriv --reuid=$USER_ID --regid=$USER_ID --clear-groups)
wl_env=(env -i PATH=/usr/bin:/bin HOME="$WL" XDG_RUNTIME_DIR="$WL/run" WAYLAND_DISPLAY=wayland-1)

"${as_user[@]}" "${wl_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$WL/config" >"$WL/sway.log" 2>&1 &
lan_track $!
for _ in $(seq 50); do [ -S "$WL/run/wayland-1" ] && break; sleep 0.1; done
[ -S "$WL/run/wayland-1" ] || { cat "$WL/sway.log"; lan_fail "sway did not start"; exit 1; }

dir=$LAN_WORK/h1
# The chat's own session bus, where the desktop portal is started on demand.
"${as_user[@]}" "${wl_env[@]}" XDG_CURRENT_DESKTOP=sway dbus-daemon --session --nofork --address="unix:path=$WL/bus" \
  >"$WL/dbus.log" 2>&1 &
lan_track $!
for _ in $(seq 50); do [ -S "$WL/bus" ] && break; sleep 0.1; done
# The wlroots portal will not start without PipeWire, which it needs for screen casts.
if command -v pipewire >/dev/null; then
  "${as_user[@]}" "${wl_env[@]}" DBUS_SESSION_BUS_ADDRESS="unix:path=$WL/bus" pipewire >"$WL/pipewire.log" 2>&1 &
  lan_track $!
fi
ip netns exec h1 setpriv --reuid=$USER_ID --regid=$USER_ID --clear-groups "${wl_env[@]}" \
  HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" TMPDIR="$dir/tmp" \
  XDG_CURRENT_DESKTOP=sway QT_QPA_PLATFORM=wayland ZELTOCHAT_OPEN_LOG="$dir/opened.txt" QTWEBENGINE_DISABLE_SANDBOX=1 \
  QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox --renderer-process-limit=1 --disable-background-networking" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$WL/bus" "$DESK_EXE" --root "$dir/root" --dump-pages "$dir/pages" >"$dir/out" 2>&1 &
DESK_PID[1]=$!
lan_track $!
# Started last, so no process of Alice's side holds its input open.
lan_make_root 2 Bob
lan_start_client 2

sway_tree() { "${as_user[@]}" "${wl_env[@]}" SWAYSOCK="$(echo "$WL"/run/sway-ipc.*.sock)" swaymsg -t get_tree 2>&1; }
window_shown() { sway_tree | grep -q '"name": "Zelto Chat v'; }
deadline=$((SECONDS + 40))
until window_shown; do
  [ $SECONDS -lt $deadline ] && kill -0 "${DESK_PID[1]}" 2>/dev/null || break
  sleep 0.3
done
window_shown || { sway_tree | grep -E '"(name|app_id)"'; lan_fail "the chat's window did not show on sway"; desk_report 1; exit 1; }
lan_check "Alice and Bob see each other" lan_wait_users 2 2 30

# 1. Typed on the compositor's keyboard into the focused window.
text="hello from Wayland $RANDOM"
sleep 1
# The first key after wtype's keymap may be lost in the client: End, which changes nothing.
"${as_user[@]}" "${wl_env[@]}" wtype -d 30 -k End "$text" -k Return
lan_check "Bob's terminal shows the line typed in Alice's window" lan_wait_output 2 "<Alice>: $text\$" 15

# 2. And back.
lan_type 2 "hello back"
lan_check "Alice's chat shows Bob's line" desk_wait_page 1 chat "&lt;Bob&gt;</span>:&nbsp;<span>hello back</span>" 15

# 3. The log says once that notifications go to the desktop, not into a bubble.
bubble_lines=$(cat "$dir/root"/logs/*/*.txt 2>/dev/null | grep -c "Wayland: the notification bubble cannot place itself")
lan_check "the log says once that no bubble shows on Wayland (said $bubble_lines times)" test "$bubble_lines" = 1

# 4. Bob asks for Alice's desktop: the portal takes it where one is installed, else a refusal
# that says why.
lan_type 2 "/desktop Alice"
snapshot=$LAN_WORK/h2/root/download/remotedesktop.bmp
if [ -x /usr/libexec/xdg-desktop-portal-wlr ]; then
  for _ in $(seq 100); do [ -s "$snapshot" ] && break; sleep 0.2; done
  size=$(identify -format '%wx%h' "$snapshot" 2>/dev/null)
  lan_check "Bob gets Alice's desktop through the portal, 1280x800 (got '$size')" test "$size" = 1280x800
  convert "$snapshot" "$OUT/wayland_portal_snapshot.png" 2>/dev/null
else
  sleep 3
  lan_check "without a portal the log says why no snapshot is sent" \
    grep -rq "Desktop snapshot refused: the desktop portal" "$dir/root/logs"
fi

# 5. The screen as the compositor shows it: the window is there, not an empty output.
sleep 0.5
"${as_user[@]}" "${wl_env[@]}" grim "$WL/shot.png" && cp "$WL/shot.png" "$OUT/wayland_desktop.png" ||
  lan_fail "grim took no screenshot"
colours=$(convert "$OUT/wayland_desktop.png" -format '%k' info: 2>/dev/null)
lan_check "the screenshot shows more than a blank output ($colours colours)" test "${colours:-0}" -gt 50

desk_stop 1
lan_stop_client 2
if [ "$LAN_FAILURES" -ne 0 ]; then
  desk_report 1
  lan_report 2
  tail -n 20 "$WL/sway.log"
  echo "FAILED: $LAN_FAILURES check(s)"
  exit 1
fi
echo "PASS: wayland_test"
