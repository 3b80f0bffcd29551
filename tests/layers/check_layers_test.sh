#!/bin/bash
# The layering checker on a small fake tree of its own, then once on a copy of the
# real tree with one planted upward include (the real tree need not be clean).
# Usage: check_layers_test.sh [REPO_ROOT]
set -euo pipefail

ROOT=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
CHECKER="$ROOT/scripts/check_layers.py"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0

# put FILE LINE...: write FILE (relative to the current repo copy) line by line.
put() {
    local file=$REPO/$1
    shift
    mkdir -p "$(dirname "$file")"
    printf '%s\n' "$@" >"$file"
}

# The clean fake repo; system headers that look like layers and commented-out
# Qt includes must not count.
REPO=$T/clean
mkdir -p "$REPO/scripts"
cp "$CHECKER" "$REPO/scripts/"
put src/platform/clock.h '#pragma once' '#include <cstdint>'
put src/base/text.h '#pragma once' '#include "platform/clock.h"' '// #include <QString>'
put src/base/text.cpp '#include "text.h"' '#include "base/version.h"' '#include <net/if.h>'
put src/net/dispatch.h '#pragma once' '#  include "base/text.h"' '#include "gtest/gtest.h"'
put src/net/dispatch.cpp '#include "dispatch.h"' '#include "../base/text.h"'
put src/ui/html/page.h '#pragma once' '#include "net/dispatch.h"'
put src/app/chat_main_dlg.h '#pragma once' '#include "net/dispatch.h"' '#include "ui/html/page.h"'
put src/qt/qt_clock.cpp '#include <QDateTime>' '#include "platform/clock.h"' '#include "base/text.h"'
put src/gui/main_window.cpp '#include <QMainWindow>' '#include "app/chat_main_dlg.h"' '#include "qt/qt_clock.h"'

# check NAME WANT_RC [REGEX...]: run the checker (default src/) on a copy of the clean
# repo after SETUP has added files; expect exit WANT_RC and a line matching each REGEX.
check() {
    local name=$1 want=$2 rc=0 out re ok=1
    shift 2
    REPO=$T/case
    rm -rf "$REPO" && cp -r "$T/clean" "$REPO"
    $SETUP
    out=$(python3 "$REPO/scripts/check_layers.py" 2>&1) || rc=$?
    [ "$rc" = "$want" ] || ok=0
    for re in "$@"; do grep -qE -- "$re" <<<"$out" || ok=0; done
    if [ $ok = 1 ]; then
        echo "PASS $name"
    else
        echo "FAIL $name (exit $rc, want $want):"; sed 's/^/    /' <<<"$out"
        failures=$((failures + 1))
    fi
}

SETUP=: check "clean tree passes" 0

upward() { put src/net/upward.cpp '#include "dispatch.h"' '' '#include "app/chat_main_dlg.h"'; }
SETUP=upward check "net including app is upward" 1 '^src/net/upward\.cpp:3: .*upward'

qt_in_base() { put src/base/qt_leak.cpp '#include <string>' '#include <QString>' '#include <QtCore/qglobal.h>'; }
SETUP=qt_in_base check "Qt header in base" 1 \
    '^src/base/qt_leak\.cpp:2: .*QString' '^src/base/qt_leak\.cpp:3: .*Qt'

sideways() { put src/cli/main.cpp '#include "app/chat_main_dlg.h"' '#include "gui/main_window.h"'; }
SETUP=sideways check "cli including gui is sideways" 1 '^src/cli/main\.cpp:2: .*sideways'

# The connection check sits beside app: it may use net, not app, and no Qt; gui may use it.
doctor() {
    put src/doctor/check.cpp '#include "net/dispatch.h"' '#include "app/chat_main_dlg.h"' '#include <QUdpSocket>'
    put src/gui/check_dialog.cpp '#include "doctor/check.h"'
}
SETUP=doctor check "the connection check's layer" 1 \
    '^src/doctor/check\.cpp:2: .*sideways' '^src/doctor/check\.cpp:3: .*QUdpSocket'

unknown() { put src/ui/chrome/x.cpp '#include "net/dispatch.h"'; put src/stray.cpp ''; }
SETUP=unknown check "files outside the layer folders" 1 '^src/ui/chrome/x\.cpp:' '^src/stray\.cpp:'

# The real tree, with the checker given the folder explicitly.
REPO=$T/real
mkdir -p "$REPO"
cp -RL "$ROOT/src" "$REPO/src"  # -L: a symlinked src must not get the probe
put src/net/zz_upward_probe.cpp '#include "app/chat_main_dlg.h"'
rc=0
out=$(python3 "$CHECKER" "$REPO/src" 2>&1) || rc=$?
if [ $rc = 1 ] && grep -qE '^src/net/zz_upward_probe\.cpp:1: .*upward' <<<"$out"; then
    echo "PASS real tree: planted upward include reported"
else
    echo "FAIL real tree: planted upward include not reported (exit $rc)"
    failures=$((failures + 1))
fi

[ $failures = 0 ] || { echo "$failures case(s) failed"; exit 1; }
