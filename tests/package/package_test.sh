#!/usr/bin/env bash
# Checks the Debian package; run by hand, since building the package takes far longer than a
# test run should (a Release build of everything).
#   tests/package/package_test.sh [DEB]   checks DEB, else build-package/zeltochat_*.deb, else
#                                         builds one with ./run --package
# As root with ZC_PACKAGE_INSTALL_TEST=1 it also installs the package, starts the installed
# program once (in a private network namespace, under a temporary HOME), removes and purges the
# package and checks that every installed file has gone.
set -uo pipefail
cd "$(dirname "$0")/../.."
ZC_SOURCE=$(pwd)
ZC_TMP=$(mktemp -d)
trap 'rm -rf "$ZC_TMP"' EXIT
ZC_FAILED=0
source tests/package/expected_files.sh
source scripts/deps.sh

deb=${1:-}
if [ -z "$deb" ]; then
  deb=$(ls build-package/zeltochat_*.deb 2>/dev/null | head -1)
  [ -n "$deb" ] || deb=$(bash packaging/build_deb.sh | tail -1)
fi
[ -f "$deb" ] || { echo "FAIL: no package at '$deb'" >&2; exit 1; }
echo "package: $deb"

dpkg-deb -c "$deb" | awk '{print $6}' | sed -n 's|^\./usr/||p' | grep -v '/$' | sort >"$ZC_TMP/listing.txt"
zc_check_listing "$ZC_TMP/listing.txt"
dpkg-deb -x "$deb" "$ZC_TMP/root"
zc_check_tree "$ZC_TMP/root/usr"

[ "$(dpkg-deb -f "$deb" Package)" = zeltochat ] || zc_fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = net ] || zc_fail "section"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || zc_fail "Depends does not name the Qt libraries"
dpkg-deb -f "$deb" Depends | grep -q 'libmosquitto1' || zc_fail "Depends does not name libmosquitto1 (the relay's broker link)"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || zc_fail "no maintainer"
# The installed programs look for the shipped data under /usr, not under the build's prefix.
grep -qa '/usr/share/zeltochat/data' "$ZC_TMP/root/usr/bin/zeltochat" || zc_fail "zeltochat looks for its data elsewhere"
grep -qa '/usr/share/zeltochat/data' "$ZC_TMP/root/usr/bin/zeltochat-cli" || zc_fail "zeltochat-cli looks for its data elsewhere"

# The relay's configuration is a conffile, and nothing enables its service.
zc_check_relay_conf "$ZC_TMP/root/usr/bin/zeltorelay" "$ZC_TMP/root/etc/zeltochat/relay.conf"
dpkg-deb -e "$deb" "$ZC_TMP/control"
grep -qxF /etc/zeltochat/relay.conf "$ZC_TMP/control/conffiles" || zc_fail "relay.conf is not a conffile"
grep -qE '(helper|systemctl) .*enable' "$ZC_TMP/control/postinst" && zc_fail "postinst enables the relay service"

if command -v lintian >/dev/null; then
  lintian --allow-root "$deb" >"$ZC_TMP/lintian.txt" 2>&1
  cat "$ZC_TMP/lintian.txt"
  grep -q '^E:' "$ZC_TMP/lintian.txt" && zc_fail "lintian reports errors"
fi

if [ "${ZC_PACKAGE_INSTALL_TEST:-0}" = 1 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    zc_fail "the install check needs root"
  elif dpkg-query -W -f='${Status}' zeltochat 2>/dev/null | grep -q installed; then
    zc_fail "zeltochat is installed already; not touching that installation"
  else
    dpkg -i "$deb" >"$ZC_TMP/dpkg.txt" 2>&1 || { cat "$ZC_TMP/dpkg.txt" >&2; zc_fail "dpkg -i"; }
    dpkg -L zeltochat | while read -r f; do [ -d "$f" ] || echo "$f"; done >"$ZC_TMP/installed.txt"
    home=$ZC_TMP/home
    mkdir -p "$home"
    # Not root's own HOME: the first start seeds the per-user folder in the temporary one.
    zc_in_netns env -u ZELTOCHAT_ROOT -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
      /usr/bin/zeltochat --print-settings >"$ZC_TMP/settings.txt" 2>"$ZC_TMP/settings.err" \
      || { cat "$ZC_TMP/settings.err" >&2; zc_fail "installed zeltochat --print-settings"; }
    grep -q '^zeltochat.ini/GLOBAL/PROFILE=' "$ZC_TMP/settings.txt" || zc_fail "no settings printed"
    user=$home/.local/share/zeltochat
    for f in system/zeltochat.ini profiles/default.cfg language/lang_english.cfg \
             plugins/tipbubble.so plugins/desktopnotify.so; do
      [ -f "$user/$f" ] || zc_fail "per-user folder lacks $f"
    done
    cmp -s "$user/system/zeltochat.ini" /usr/share/zeltochat/data/system/zeltochat.ini \
      || zc_fail "seeded zeltochat.ini differs from the shipped one"
    # The terminal client seeds its own per-user folder the same way; end of input ends it.
    home2=$ZC_TMP/home-cli
    mkdir -p "$home2"
    zc_in_netns env -u ZELTOCHAT_ROOT -u XDG_DATA_HOME HOME="$home2" NO_COLOR=1 \
      timeout 60 /usr/bin/zeltochat-cli </dev/null >"$ZC_TMP/cli.txt" 2>&1 \
      || { cat "$ZC_TMP/cli.txt" >&2; zc_fail "installed zeltochat-cli"; }
    [ -f "$home2/.local/share/zeltochat/system/zeltochat.ini" ] || zc_fail "zeltochat-cli did not seed its folder"
    [ -e /etc/systemd/system/multi-user.target.wants/zeltorelay.service ] && zc_fail "relay service enabled on install"
    if command -v systemctl >/dev/null; then
      [ "$(systemctl is-enabled zeltorelay.service 2>&1)" = disabled ] || zc_fail "relay service is not disabled"
    fi
    zc_in_netns /usr/bin/zeltorelay --check >"$ZC_TMP/relay-default.txt" 2>&1 \
      || { cat "$ZC_TMP/relay-default.txt" >&2; zc_fail "installed zeltorelay --check"; }
    dpkg -r zeltochat >"$ZC_TMP/dpkg-r.txt" 2>&1 || { cat "$ZC_TMP/dpkg-r.txt" >&2; zc_fail "dpkg -r"; }
    # Removal keeps the administrator's configuration; purging takes it.
    [ -f /etc/zeltochat/relay.conf ] || zc_fail "dpkg -r removed the relay configuration"
    dpkg -P zeltochat >"$ZC_TMP/dpkg-p.txt" 2>&1 || { cat "$ZC_TMP/dpkg-p.txt" >&2; zc_fail "dpkg -P"; }
    while read -r f; do
      [ -e "$f" ] || [ -L "$f" ] && zc_fail "left behind after removal: $f"
    done <"$ZC_TMP/installed.txt"
    [ -s "$ZC_TMP/installed.txt" ] || zc_fail "dpkg listed no installed files"
    echo "install check: $(wc -l <"$ZC_TMP/installed.txt") files installed and purged"
  fi
fi

[ "$ZC_FAILED" = 0 ] && echo "package: ok"
exit "$ZC_FAILED"
