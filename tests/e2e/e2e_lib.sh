# Shared by the *_test.sh scripts: a private network, a private X server, a private program folder.
# Usage in a script:  source "$(dirname "$0")/e2e_lib.sh"; e2e_init "$0" "$@"

E2E_FAILED=0
E2E_PIDS=()

# The chat joins a multicast group: run only where that traffic cannot leave the machine,
# i.e. in a network namespace that has nothing but lo, with multicast routed to it.
e2e_network_is_private() {
    ip route show 224.0.0.0/4 2>/dev/null | grep -q 'dev lo' || return 1
    ! ip -o link show 2>/dev/null | awk -F': ' '{print $2}' | grep -qv '^lo$'
}

e2e_init() {
    local script=$1
    shift
    if ! e2e_network_is_private; then
        if [ -n "${ZC_E2E_IN_NETNS:-}" ]; then
            echo "FAIL: could not set up a private network namespace" >&2
            exit 1
        fi
        local ns=(unshare -n)
        [ "$(id -u)" = 0 ] || ns=(unshare -rn)
        ZC_E2E_IN_NETNS=1 exec "${ns[@]}" bash -c \
            'ip link set lo up && ip link set lo multicast on && ip route add 224.0.0.0/4 dev lo && exec bash "$0" "$@"' \
            "$script" "$@"
    fi
    ZC_EXE=$(realpath "$1")
    ZC_SRC_DATA=$(realpath "$2")
    ZC_BUILD=$(realpath "$3")
    E2E_NAME=$(basename "$script" .sh)
    E2E_OUT="$ZC_BUILD/e2e"
    mkdir -p "$E2E_OUT"
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zc-$E2E_NAME.XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    # Settings, autostart entries and lock sockets of this run stay inside the work folder.
    export HOME="$E2E_WORK/home"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
    export XDG_RUNTIME_DIR="$E2E_WORK/run" TMPDIR="$E2E_WORK/tmp"
    unset ZELTOCHAT_ROOT SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    mkdir -p "$HOME" "$TMPDIR" && mkdir -m 700 "$XDG_RUNTIME_DIR"
}

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
    [ -n "${E2E_XVFB:-}" ] && kill "$E2E_XVFB" 2>/dev/null && wait "$E2E_XVFB" 2>/dev/null
    if [ "$E2E_FAILED" != 0 ] && [ -n "${E2E_ROOT:-}" ]; then
        echo "--- debug log of the last root ($E2E_ROOT):"
        cat "$E2E_ROOT"/logs/*/*.txt 2>/dev/null | tail -40
        echo "--- output of the program:"
        tail -40 "$E2E_WORK/chat.out" 2>/dev/null
    fi
    [ -n "${ZC_E2E_KEEP:-}" ] || rm -rf "$E2E_WORK"
}

fail() {
    echo "FAIL: $*"
    E2E_FAILED=1
}

die() {
    fail "$@"
    exit 1
}

e2e_finish() {
    if [ "$E2E_FAILED" = 0 ]; then echo "PASS: $E2E_NAME"; exit 0; fi
    echo "FAILED: $E2E_NAME"
    exit 1
}

# A fresh copy of the shipped program folder; prints its path.
e2e_new_root() {
    local root
    root=$(mktemp -d "$E2E_WORK/root.XXXX")
    cp -r "$ZC_SRC_DATA"/. "$root"/
    if [ ! -f "$root/system/zeltochat.ini" ]; then
        mkdir -p "$root/system"
        printf '[GLOBAL]\r\nPROFILE=default\r\n' >"$root/system/zeltochat.ini"
    fi
    echo "$root"
}

e2e_start_xvfb() {
    local n tries=0
    while :; do
        n=$((100 + RANDOM % 800))
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
        tries=$((tries + 1))
        [ $tries -lt 50 ] || die "no free X display"
    done
    # -noreset: a server that resets when its last client leaves refuses the next one for a while.
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        [ -e "/tmp/.X11-unix/X$n" ] && xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        kill -0 "$E2E_XVFB" 2>/dev/null || break
        sleep 0.1
    done
    cat "$E2E_WORK/xvfb.log"
    die "Xvfb :$n did not start"
}

# Starts the program in the background; sets E2E_LAST_PID.
e2e_start_chat() {
    "$ZC_EXE" "$@" >>"$E2E_WORK/chat.out" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# e2e_wait_exit PID SECONDS: 0 and the exit status in E2E_EXIT when the process ended in time.
e2e_wait_exit() {
    local pid=$1 deadline=$((SECONDS + $2))
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
    wait "$pid"
    E2E_EXIT=$?
    return 0
}

# e2e_wait_window SECONDS [extra xdotool search options]: the visible chat window's id.
e2e_wait_window() {
    local deadline=$((SECONDS + $1)) id
    shift
    while [ $SECONDS -lt $deadline ]; do
        id=$(xdotool search --onlyvisible "$@" --name "Zelto Chat v" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

e2e_visible_windows() {
    xdotool search --onlyvisible --name "Zelto Chat v" 2>/dev/null | wc -l
}

# Every line of the root's debug logs, without line ends.
e2e_log() {
    cat "$1"/logs/*/*.txt 2>/dev/null | tr -d '\r'
}

# e2e_wait_log ROOT TEXT SECONDS
e2e_wait_log() {
    local deadline=$((SECONDS + $3))
    while [ $SECONDS -lt $deadline ]; do
        e2e_log "$1" | grep -qF -- "$2" && return 0
        sleep 0.1
    done
    return 1
}

# e2e_log_in_order ROOT TEXT...: each text is in a line after the line of the one before.
e2e_log_in_order() {
    local root=$1
    shift
    e2e_log "$root" | awk '
        BEGIN { for (i = 1; i < ARGC; i++) want[i] = ARGV[i]; n = ARGC - 1; ARGC = 1; k = 1 }
        k <= n && index($0, want[k]) { k++ }
        END {
            if (k <= n) { printf "missing or out of order: \"%s\"\n", want[k]; exit 1 }
        }' "$@"
}

# ini_set FILE SECTION KEY VALUE: sets the value, adding key or section as needed.
# Keeps the file's line ends (the shipped files use CRLF).
ini_set() {
    local file=$1
    [ -f "$file" ] || : >"$file"
    INI_SECTION=$2 INI_KEY=$3 INI_VALUE=$4 INI_DELETE= awk -f "$E2E_LIB_DIR/ini_edit.awk" "$file" >"$file.new" &&
        mv "$file.new" "$file"
}

# ini_del FILE SECTION KEY
ini_del() {
    local file=$1
    [ -f "$file" ] || return 0
    INI_SECTION=$2 INI_KEY=$3 INI_VALUE= INI_DELETE=1 awk -f "$E2E_LIB_DIR/ini_edit.awk" "$file" >"$file.new" &&
        mv "$file.new" "$file"
}

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
