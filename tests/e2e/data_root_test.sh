#!/bin/bash
# Which folder the program works in: --root, $ZELTOCHAT_ROOT, its own folder, or the per-user
# folder seeded from the installed data. Runs --print-settings only: no display needed.
source "$(dirname "$0")/e2e_lib.sh"
e2e_init "$0" "$@"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# root_with_profile NAME: a new root whose settings name that profile.
root_with_profile() {
    local r
    r=$(e2e_new_root)
    ini_set "$r/system/zeltochat.ini" GLOBAL PROFILE "$1"
    echo "$r"
}

# profile_of EXE [ARGS]: the profile name the program reads, or "exit N".
profile_of() {
    local exe=$1 out rc
    shift
    out=$("$exe" --print-settings "$@" 2>"$E2E_WORK/stderr")
    rc=$?
    [ $rc = 0 ] || { echo "exit $rc"; return; }
    sed -n 's|^zeltochat.ini/GLOBAL/PROFILE=||p' <<<"$out"
}

A=$(root_with_profile from_argument)
B=$(root_with_profile from_variable)
[ "$(profile_of "$ZC_EXE" --root "$A")" = from_argument ] || fail "--root not used"
[ "$(profile_of "$ZC_EXE" --root="$A")" = from_argument ] || fail "--root=DIR not used"
[ "$(ZELTOCHAT_ROOT=$B profile_of "$ZC_EXE")" = from_variable ] || fail "\$ZELTOCHAT_ROOT not used"
[ "$(ZELTOCHAT_ROOT=$B profile_of "$ZC_EXE" --root "$A")" = from_argument ] || fail "--root does not win over the variable"
[ "$(profile_of "$ZC_EXE" --root "$E2E_WORK/nowhere")" = "exit 1" ] || fail "a missing --root folder did not fail"

# A portable folder: the program beside its data.
PORT=$(root_with_profile portable)
cp "$ZC_EXE" "$PORT/zeltochat"
[ "$(profile_of "$PORT/zeltochat")" = portable ] || fail "the program's own folder not used"

# An installed tree: bin/zeltochat and share/zeltochat/data; the user's folder is seeded once.
INST="$E2E_WORK/inst"
mkdir -p "$INST/bin" "$INST/share/zeltochat"
cp "$ZC_EXE" "$INST/bin/zeltochat"
cp -r "$(root_with_profile installed)" "$INST/share/zeltochat/data"
export XDG_DATA_HOME="$E2E_WORK/xdg-data"
[ "$(profile_of "$INST/bin/zeltochat")" = installed ] || fail "the installed data did not seed the user's folder"
[ -f "$XDG_DATA_HOME/zeltochat/system/zeltochat.ini" ] || fail "nothing copied to $XDG_DATA_HOME/zeltochat"
[ -f "$XDG_DATA_HOME/zeltochat/language/lang_english.cfg" ] || fail "the language files were not copied"
ini_set "$XDG_DATA_HOME/zeltochat/system/zeltochat.ini" GLOBAL PROFILE mine
[ "$(profile_of "$INST/bin/zeltochat")" = mine ] || fail "the user's own settings were overwritten"

# Without XDG_DATA_HOME the per-user folder is under ~/.local/share.
unset XDG_DATA_HOME
[ "$(profile_of "$INST/bin/zeltochat")" = installed ] || fail "~/.local/share/zeltochat not seeded"
[ -f "$HOME/.local/share/zeltochat/system/zeltochat.ini" ] || fail "nothing copied to ~/.local/share/zeltochat"

# No data anywhere: an error, not a half-made folder.
LONE="$E2E_WORK/lone/bin"
mkdir -p "$LONE"
cp "$ZC_EXE" "$LONE/zeltochat"
export XDG_DATA_HOME="$E2E_WORK/empty-data"
if [ ! -d /usr/local/share/zeltochat/data ] && [ ! -d /usr/share/zeltochat/data ]; then
    [ "$(profile_of "$LONE/zeltochat")" = "exit 1" ] || fail "no data folder anywhere did not fail"
    grep -q "zeltochat" "$E2E_WORK/stderr" || fail "no message on stderr when there is no data folder"
fi

# The plain options.
out=$("$ZC_EXE" --help) && grep -q -- "--root" <<<"$out" || fail "--help"
out=$("$ZC_EXE" --version) && grep -qE '^zeltochat [0-9]+(\.[0-9]+)+$' <<<"$out" || fail "--version printed \"$out\""
"$ZC_EXE" --no-such-option >/dev/null 2>&1
[ $? = 2 ] || fail "an unknown option was accepted"
"$ZC_EXE" --root >/dev/null 2>&1
[ $? = 2 ] || fail "--root without a folder was accepted"

e2e_finish
