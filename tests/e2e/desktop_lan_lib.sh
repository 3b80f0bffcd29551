# shellcheck shell=bash
# Desktop chats on the namespace LAN of tests/net/cli_lan_lib.sh, all on one Xvfb of the
# outer namespace. Source it after cli_lan_lib.sh; call lan_enter first, then desk_start_xvfb.
#
# A host's program reaches the X server through its path socket in /tmp/.X11-unix: the
# abstract socket Xlib tries first belongs to the outer network namespace only.

DESK_XVFB=
declare -A DESK_PID
# The screenshot readers' shared module (ppm_rows.py) for the Python parts of the runs.
export PYTHONPATH="$(dirname "${BASH_SOURCE[0]}")${PYTHONPATH:+:$PYTHONPATH}"

# Runs before lan_cleanup: a program that ignores SIGTERM must not hold the test up.
desk_cleanup() {
  local n pid
  for n in "${!DESK_PID[@]}"; do
    pid=${DESK_PID[$n]}
    kill -0 "$pid" 2>/dev/null || continue
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  lan_cleanup
}

desk_start_xvfb() {
  local n tries=0
  while :; do
    n=$((100 + RANDOM % 800))
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    tries=$((tries + 1))
    [ $tries -lt 50 ] || { lan_fail "no free X display"; return 1; }
  done
  # -noreset: a server that resets when its last client leaves refuses the next one for a while.
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$LAN_WORK/xvfb.log" 2>&1 &
  DESK_XVFB=$!
  lan_track "$DESK_XVFB"
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -S "/tmp/.X11-unix/X$n" ] && xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    kill -0 "$DESK_XVFB" 2>/dev/null || break
    sleep 0.1
  done
  cat "$LAN_WORK/xvfb.log"
  lan_fail "Xvfb $DISPLAY did not start"
  return 1
}

# Host N's program folder: a copy of the shipped data, the nickname, the host's address, and
# the window's rectangle (left top right bottom).
desk_make_root() {  # N nickname left top right bottom
  local n=$1 dir=$LAN_WORK/h$1
  local root=$dir/root
  mkdir -p "$root" "$dir/home/.config" "$dir/home/.local/share" "$dir/tmp"
  mkdir -m 700 "$dir/run"
  cp -r "$DESK_DATA"/. "$root"/
  [ -f "$root/system/zeltochat.ini" ] || printf '[GLOBAL]\r\nPROFILE=default\r\n' >"$root/system/zeltochat.ini"
  lan_ini_set "$root/profiles/default.cfg" INFO CHATNAME "$2"
  lan_ini_set "$root/profiles/default.cfg" NETWORK INTERFACE "10.77.0.$n"
  printf '[PARAM]\r\nT=%s\r\nL=%s\r\nB=%s\r\nR=%s\r\n' "$4" "$3" "$6" "$5" >"$root/system/main.ini"
}

# Starts host N's desktop program in its namespace; its own HOME, settings, runtime folder
# and TMPDIR (the single-instance lock) keep the two copies apart. What it would open with the
# desktop's programs (links, pictures) is written to h<N>/opened.txt instead, unless
# DESK_OPEN_LOG names another file ("" hands it to the desktop, i.e. xdg-open on PATH).
desk_start() {  # N [program folder, default h<N>/root]
  local n=$1 dir=$LAN_WORK/h$1 root=${2:-$LAN_WORK/h$1/root}
  ip netns exec "h$n" env -u SESSION_MANAGER -u DBUS_SESSION_BUS_ADDRESS -u ZELTOCHAT_ROOT \
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
    XDG_RUNTIME_DIR="$dir/run" TMPDIR="$dir/tmp" DISPLAY="$DISPLAY" ZELTOCHAT_OPEN_LOG="${DESK_OPEN_LOG-$dir/opened.txt}" \
    QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox --renderer-process-limit=1 --disable-background-networking" \
    "$DESK_EXE" --root "$root" --dump-pages "$dir/pages" >"$dir/out" 2>&1 &
  DESK_PID[$n]=$!
  lan_track $!
}

# The visible window of host N's program; ip netns exec and env keep the process id.
desk_window() {  # N seconds
  local deadline=$((SECONDS + $2)) id
  while [ $SECONDS -lt "$deadline" ]; do
    id=$(xdotool search --all --onlyvisible --pid "${DESK_PID[$1]}" --name "Zelto Chat v" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "${DESK_PID[$1]}" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Asks host N for fresh page dumps (SIGUSR1) and waits for them.
desk_dump() {  # N
  local pages=$LAN_WORK/h$1/pages
  rm -f "$pages/chat.html" "$pages/userlist.html"
  kill -USR1 "${DESK_PID[$1]}" 2>/dev/null || return 1
  for _ in $(seq 50); do
    [ -f "$pages/chat.html" ] && [ -f "$pages/userlist.html" ] && return 0
    sleep 0.1
  done
  return 1
}

# One page of host N's last dump in UTF-8 (the pages are windows-1251).
desk_page() {  # N page
  iconv -f CP1251 -t UTF-8 "$LAN_WORK/h$1/pages/$2.html" 2>/dev/null
}

# Dumps host N's pages until the page matches the pattern (grep -E).
desk_wait_page() {  # N page pattern seconds
  local deadline=$((SECONDS + $4))
  while :; do
    desk_dump "$1" && desk_page "$1" "$2" | grep -qE -- "$3" && return 0
    [ $SECONDS -ge "$deadline" ] && return 1
    sleep 0.3
  done
}

# Sends SIGTERM to host N's program; it must end within 10 s with status 0.
desk_stop() {  # N
  local pid=${DESK_PID[$1]} status waited=0
  kill -TERM "$pid" 2>/dev/null
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    lan_fail "h$1 still running 10 s after SIGTERM"
    kill -9 "$pid"
  fi
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || lan_fail "h$1 ended with status $status after SIGTERM"
}

desk_report() {  # N...
  local n
  for n in "$@"; do
    echo "===== h$n: output (last 30 lines)"
    tail -n 30 "$LAN_WORK/h$n/out" 2>/dev/null
    echo "===== h$n: debug log (last 40 lines)"
    cat "$LAN_WORK/h$n/root"/logs/*/*.txt 2>/dev/null | tr -d '\r' | tail -n 40
  done
}

# Screenshot of a window as 8-bit PPM.
desk_shot() {  # window file
  import -window "$1" -depth 8 "ppm:$2"
}

# Where a line that was added to a window shows: compares a shot taken after it came with
# shots taken before (a pixel that changed between those is noise, e.g. a blinking cursor),
# takes the band of rows that changed most, and prints one "x y" point (window coordinates)
# per word of that band, left to right, on its middle row.
desk_new_words() {  # after.ppm before.ppm...
  python3 - "$@" <<'PY'
import sys
from ppm_rows import load, runs


after, befores = load(sys.argv[1]), [load(p) for p in sys.argv[2:]]
w, h, a = after
if any((bw, bh) != (w, h) for bw, bh, _ in befores):
    sys.exit("the window changed its size")
base = befores[0][2]
rows = {}
for y in range(h):
    for x in range(w):
        k = (y * w + x) * 3
        px = base[k:k + 3]
        if a[k:k + 3] == px or any(b[k:k + 3] != px for _, _, b in befores[1:]):
            continue
        rows.setdefault(y, []).append(x)
if not rows:
    sys.exit("nothing changed")


bands = runs(rows.keys(), 2)
top, bottom = max(bands, key=lambda b: sum(len(rows[y]) for y in range(b[0], b[1] + 1) if y in rows))
columns = {x for y in range(top, bottom + 1) for x in rows.get(y, [])}
words = runs(columns, 2)
print("band y %d-%d, x %d-%d, %d words" % (top, bottom, words[0][0], words[-1][1], len(words)), file=sys.stderr)
for left, right in words:
    print((left + right) // 2, (top + bottom) // 2)
PY
}

# Visible windows of host N titled exactly so (the title is a grep -E pattern).
desk_windows_named() {  # N title
  xdotool search --all --onlyvisible --pid "${DESK_PID[$1]}" --name "^$2\$" 2>/dev/null
}
desk_wait_window() {  # N title seconds
  local deadline=$((SECONDS + $3)) id
  while [ $SECONDS -lt "$deadline" ]; do
    id=$(desk_windows_named "$1" "$2" | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
