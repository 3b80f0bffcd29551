#!/bin/bash
# The settings in effect after defaults and limits, as --print-settings reports them.
# Needs no display: the settings are printed before any window system is touched.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

G=zeltochat.ini/GLOBAL
P=profile/GLOBAL
N=profile/NETWORK
M=main.ini/PARAM

# fresh: a new root for the next case
fresh() {
    E2E_ROOT=$(e2e_new_root)
    R=$E2E_ROOT
    INI="$R/system/zeltochat.ini"
    CFG="$R/profiles/default.cfg"
    MAIN="$R/system/main.ini"
}

# expect WHAT LINE...: every line is in the printed settings of the current root.
expect() {
    local what=$1 out rc line
    shift
    out=$("$ZC_EXE" --print-settings --root "$R" 2>"$E2E_WORK/stderr")
    rc=$?
    [ $rc = 0 ] || { fail "$what: exit status $rc: $(cat "$E2E_WORK/stderr")"; return; }
    for line in "$@"; do
        grep -qxF -- "$line" <<<"$out" ||
            fail "$what: expected \"$line\", got \"$(grep -F -- "${line%%=*}=" <<<"$out" | head -1)\""
    done
}

fresh
ini_set "$INI" GLOBAL PROFILE " "
expect 'PROFILE " "' "$G/PROFILE=default"

fresh
ini_set "$INI" GLOBAL REFRESHLIST 4
ini_set "$INI" GLOBAL FLASHICON 2
ini_set "$INI" GLOBAL APPEAL ";"
ini_set "$INI" GLOBAL ECHO "T#(("
expect "below the limits" "$G/REFRESHLIST=5" "$G/FLASHICON=10" "$G/APPEAL=;" "$G/ECHO=1"

fresh
ini_set "$INI" GLOBAL REFRESHLIST 121
ini_set "$INI" GLOBAL FLASHICON 121
ini_set "$INI" GLOBAL APPEAL "::"
ini_set "$INI" GLOBAL ECHO "T#(( "
expect "above the limits" "$G/REFRESHLIST=5" "$G/FLASHICON=10" "$G/APPEAL=:" "$G/ECHO=0"

fresh
ini_set "$INI" GLOBAL REFRESHLIST 120
ini_set "$INI" GLOBAL FLASHICON 3
ini_set "$INI" GLOBAL DEBUGCOMMAND 'KV%&('
ini_set "$INI" GLOBAL DEBUGIP 'RB$*( '
expect "on the limits" "$G/REFRESHLIST=120" "$G/FLASHICON=3" "$G/DEBUGCOMMAND=1" "$G/DEBUGIP=0"

fresh
ini_set "$INI" GLOBAL REFRESHLIST 12abc
ini_set "$CFG" GLOBAL LOOKMODE abc
ini_set "$CFG" GLOBAL BOARDMESSAGETIMELIFE -12a
ini_set "$CFG" GLOBAL MODE -3
expect "numbers with trailing text" "$G/REFRESHLIST=12" "$P/LOOKMODE=0" "$P/BOARDMESSAGETIMELIFE=12" "$P/MODE=1"

fresh
ini_set "$CFG" GLOBAL BOARDMESSAGETIMELIFE -12
ini_set "$CFG" GLOBAL LIMITMAXMESSAGE 1001
ini_set "$CFG" GLOBAL MAXAVATARSIZE 97
ini_set "$CFG" GLOBAL TIMESTAMP " "
expect "profile limits" "$P/BOARDMESSAGETIMELIFE=30" "$P/LIMITMAXMESSAGE=750" "$P/MAXAVATARSIZE=32" \
    "$P/TIMESTAMP=[%H:%M:%S] "

fresh
ini_set "$CFG" GLOBAL LIMITMAXMESSAGE 1000
ini_set "$CFG" GLOBAL MAXAVATARSIZE 0
expect "profile limits kept" "$P/LIMITMAXMESSAGE=1000" "$P/MAXAVATARSIZE=32"

fresh
ini_del "$CFG" GLOBAL MAXAVATARSIZE
ini_set "$CFG" GLOBAL MAXAVATARSIZE 96
expect "MAXAVATARSIZE 96" "$P/MAXAVATARSIZE=96"
ini_del "$CFG" GLOBAL MAXAVATARSIZE
expect "MAXAVATARSIZE absent" "$P/MAXAVATARSIZE=48"

fresh
long=$(printf '%0300d' 0 | tr 0 x)
ini_set "$CFG" GLOBAL TIMESTAMP "$long"
expect "a value of 300 characters" "$P/TIMESTAMP=${long:0:254}"

fresh
ini_set "$CFG" NETWORK PORT 1024
ini_set "$CFG" NETWORK FTPORT 9010
ini_set "$CFG" NETWORK TTL 0
ini_set "$CFG" NETWORK NAME x
ini_set "$CFG" NETWORK SERVERUSE 0
expect "network fallbacks" "$N/PORT=9010" "$N/FTPORT=9011" "$N/TTL=8" "$N/NAME=225.0.0.1"

fresh
ini_set "$CFG" NETWORK PORT 65531
ini_set "$CFG" NETWORK TTL -3
ini_set "$CFG" NETWORK NAME xy
ini_set "$CFG" NETWORK SERVERUSE 0
expect "network fallbacks 2" "$N/PORT=9010" "$N/TTL=8" "$N/NAME=xy"

fresh
ini_set "$CFG" NETWORK PORT 1025
ini_set "$CFG" NETWORK FTPORT 1025
expect "FTPORT equal to PORT" "$N/PORT=1025" "$N/FTPORT=1026"
ini_set "$CFG" NETWORK PORT 65530
ini_set "$CFG" NETWORK FTPORT 2000
expect "ports on the limits" "$N/PORT=65530" "$N/FTPORT=2000"

fresh
printf '[PARAM]\r\nT=5\r\nL=800\r\nB=700\r\nR=500\r\n' >"$MAIN"
expect "window rectangle limits" "$M/T=10" "$M/L=10" "$M/B=700" "$M/R=500"
printf '[PARAM]\nT=1024\nL=768\n' >"$MAIN"
expect "window rectangle on the limits" "$M/T=1024" "$M/L=768" "$M/B=600" "$M/R=400"

# A profile that has no file: every profile key takes its default.
fresh
ini_set "$INI" GLOBAL PROFILE work
expect "PROFILE work without a file" "$G/PROFILE=work" "$P/MODE=1" "$P/LOOKMODE=1" "$P/DONOTSORTBYNAME=1" \
    "$P/LIMITMAXMESSAGE=750" "$P/MAXAVATARSIZE=48" "$P/TIMESTAMP=[%H:%M:%S] " "$P/SKINSTHEME=def" \
    "$N/PORT=9010" "$N/FTPORT=9011" "$N/TTL=8" "$N/MULTICASTGROUP=225.0.0.1" \
    "profile/INFO/CHATNAME=$(id -un) ($(hostname))"

# An LF-only settings file and one that is nothing but the profile line.
fresh
printf '[GLOBAL]\nPROFILE=default\nAPPEAL=#\n' >"$INI"
expect "LF line ends" "$G/PROFILE=default" "$G/APPEAL=#" "$G/LANGUAGE=english" "$G/HK_MODE1=112"

e2e_finish
