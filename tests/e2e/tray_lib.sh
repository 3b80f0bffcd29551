# A notification area for desktop tests: a session bus of the test's own with a fake panel on
# it, where the chat's tray icon registers; the icon is then read and clicked over the bus.
# Needs e2e_lib.sh sourced and e2e_init run.

# Starts the bus and the panel; exports DBUS_SESSION_BUS_ADDRESS for the chat started after it.
tray_start_panel() {
    tray_start_bus
    tray_start_host
}

# The session bus alone: a desktop whose panel has not started yet.
tray_start_bus() {
    dbus-daemon --config-file="$E2E_LIB_DIR/../plugins_qt/session_bus.conf" --fork \
        --print-address=3 --print-pid=4 3>"$E2E_WORK/bus.address" 4>"$E2E_WORK/bus.pid" ||
        die "no session bus"
    E2E_PIDS+=("$(cat "$E2E_WORK/bus.pid")")
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_WORK/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
}

tray_start_host() {
    local host="$ZC_BUILD/tests/zc_fake_tray_host"
    [ -x "$host" ] || die "no fake tray host at $host"
    "$host" >"$E2E_WORK/host.out" 2>&1 &
    E2E_PIDS+=("$!")
    for _ in $(seq 50); do grep -q '^ready' "$E2E_WORK/host.out" && break; sleep 0.1; done
    grep -q '^ready' "$E2E_WORK/host.out" || die "the fake panel did not start: $(cat "$E2E_WORK/host.out")"
}

# Waits for the chat's icon to register; sets TRAY_ITEM to its bus name.
tray_wait_item() {
    TRAY_ITEM=
    for _ in $(seq 100); do
        TRAY_ITEM=$(sed -n 's/^item //p' "$E2E_WORK/host.out" | head -1)
        [ -n "$TRAY_ITEM" ] && return 0
        sleep 0.1
    done
    die "the tray icon never registered with the panel"
}

tray_call() {  # METHOD ARGS...: a method of the icon
    gdbus call --session --dest "$TRAY_ITEM" --object-path /StatusNotifierItem \
        --method "org.kde.StatusNotifierItem.$1" "${@:2}" >/dev/null
}

tray_property() {  # NAME: the icon's property as gdbus prints it
    gdbus call --session --dest "$TRAY_ITEM" --object-path /StatusNotifierItem \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1" 2>/dev/null
}

tray_tip() {  # the tool tip's title, as the panel reads it
    tray_property ToolTip | grep -o "'Zelto Chat v[^']*'" | head -1 | tr -d "'"
}

tray_click() { tray_call Activate 0 0; }

tray_wait_tip() {  # TEXT SECONDS
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(tray_tip)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}
