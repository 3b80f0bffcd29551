# Sourced by the package tests: what an installed ZeltoChat must hold, relative to its prefix,
# and the checks shared by the install tree and the Debian package.

ZC_ICON_SIZES=(16 22 24 32 48 64 128 256)
ZC_EXPECTED_FILES=(
  bin/zeltochat
  bin/zeltochat-cli
  bin/zeltorelay
  bin/zeltooptions
  include/zeltochat/plugin_api.h
  share/zeltochat/data/plugins/tipbubble.so
  share/zeltochat/data/plugins/desktopnotify.so
  share/zeltochat/data/system/zeltochat.ini
  share/zeltochat/data/profiles/default.cfg
  share/zeltochat/data/language/lang_english.cfg
  share/applications/zeltochat.desktop
  share/icons/hicolor/scalable/apps/zeltochat.svg
  share/metainfo/io.github.zeltochat.ZeltoChat.metainfo.xml
  share/doc/zeltochat/copyright
  share/doc/zeltochat/changelog.gz
  share/man/man1/zeltochat.1.gz
  share/man/man1/zeltochat-cli.1.gz
  share/man/man1/zeltorelay.1.gz
  share/man/man1/zeltooptions.1.gz
  lib/systemd/system/zeltorelay.service
)
for s in "${ZC_ICON_SIZES[@]}"; do ZC_EXPECTED_FILES+=("share/icons/hicolor/${s}x${s}/apps/zeltochat.png"); done

zc_fail() { echo "FAIL: $*" >&2; ZC_FAILED=1; }

# Every expected file appears in LISTING (one path a line, relative to the prefix).
zc_check_listing() {
  local listing=$1 f
  for f in "${ZC_EXPECTED_FILES[@]}"; do
    grep -qxF "$f" "$listing" || zc_fail "missing $f"
  done
  # Every file of the source data folder ships, so a first start seeds a complete folder.
  while IFS= read -r f; do
    grep -qxF "share/zeltochat/data/$f" "$listing" || zc_fail "data file not shipped: $f"
  done < <(cd "$ZC_SOURCE/data" && find . -type f | sed 's|^\./||')
}

# The shipped relay configuration, all comments, passes zeltorelay's own check.
zc_check_relay_conf() {
  local relay=$1 conf=$2 run=()
  # Programs start only inside a private network namespace (already so under ctest).
  declare -F zc_in_netns >/dev/null && run=(zc_in_netns)
  grep -vqE '^[[:space:]]*(#|$)' "$conf" && zc_fail "relay.conf sets options; it should only show them"
  "${run[@]}" "$relay" --check --config "$conf" >"$ZC_TMP/relay-check.txt" 2>&1 \
    || { cat "$ZC_TMP/relay-check.txt" >&2; zc_fail "zeltorelay --check on the shipped relay.conf"; }
  grep -qxF 'port = 9011' "$ZC_TMP/relay-check.txt" || zc_fail "zeltorelay --check did not print the options"
}

# Checks the contents of an unpacked or installed tree under PREFIX.
zc_check_tree() {
  local prefix=$1 s size key
  for s in "${ZC_ICON_SIZES[@]}"; do
    [ -f "$prefix/share/icons/hicolor/${s}x${s}/apps/zeltochat.png" ] || continue  # reported as missing
    size=$(python3 - "$prefix/share/icons/hicolor/${s}x${s}/apps/zeltochat.png" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
if data[:8] != b'\x89PNG\r\n\x1a\n':
    print('not-png'); sys.exit()
w, h = struct.unpack('>II', data[16:24])
print(f'{w}x{h}')
PY
    )
    [ "$size" = "${s}x${s}" ] || zc_fail "icon ${s}x${s} is $size"
  done
  local desktop=$prefix/share/applications/zeltochat.desktop
  for key in 'Name=Zelto Chat' 'Exec=zeltochat' 'Icon=zeltochat' 'Terminal=false' \
             'Categories=Network;Chat;InstantMessaging;' 'Type=Application'; do
    grep -qxF "$key" "$desktop" || zc_fail "desktop entry lacks $key"
  done
  grep -q '^Comment=.' "$desktop" || zc_fail "desktop entry lacks a Comment"
  # The chat runs the options launcher from its seeded folder, which keeps the file's mode.
  [ -x "$prefix/share/zeltochat/data/option.cmd" ] || zc_fail "option.cmd is not executable"
  local meta=$prefix/share/metainfo/io.github.zeltochat.ZeltoChat.metainfo.xml
  grep -q '@[A-Z_]*@' "$meta" "$prefix/share/doc/zeltochat/copyright" && zc_fail "unfilled placeholder"
  grep -q '<launchable type="desktop-id">zeltochat.desktop</launchable>' "$meta" || zc_fail "metainfo not launchable"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$meta" >"$ZC_TMP/appstream.txt" 2>&1 \
      || { cat "$ZC_TMP/appstream.txt" >&2; zc_fail "appstreamcli validate"; }
  fi
  # gzip -n: no file name and no time stamp in the header, as lintian wants.
  local log=$prefix/share/doc/zeltochat/changelog.gz gz
  for gz in "$log" "$prefix"/share/man/man1/zelto*.1.gz; do
    gzip -t "$gz" || zc_fail "$gz is not gzip"
    python3 - "$gz" <<'PY' || zc_fail "$gz keeps a name or a time"
import struct, sys
h = open(sys.argv[1], 'rb').read(10)
sys.exit(0 if (h[3] & 0x08) == 0 and struct.unpack('<I', h[4:8])[0] == 0 else 1)
PY
  done
  # The relay service runs as a user of its own, hardened, and reads the shipped configuration.
  local unit=$prefix/lib/systemd/system/zeltorelay.service
  for key in 'ExecStart=/usr/bin/zeltorelay --config /etc/zeltochat/relay.conf' DynamicUser=yes \
             NoNewPrivileges=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes \
             'RestrictAddressFamilies=AF_INET AF_INET6 AF_UNIX AF_NETLINK' WantedBy=multi-user.target; do
    grep -qxF "$key" "$unit" || zc_fail "relay service lacks $key"
  done
  zcat "$log" | head -1 | grep -qE '^zeltochat \([0-9.]+\) [a-z]+; urgency=' || zc_fail "changelog is not in Debian form"
}
