# Debian packages the build, the program and the tests need; installed only when missing.
ZC_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev qt6-webengine-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb openbox xdotool imagemagick x11-utils iproute2 util-linux tmux procps python3 dbus nftables
  sway grim wtype qt6-wayland xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk pipewire
  dpkg-dev lintian appstream
  libmosquitto-dev mosquitto
)

zc_install_missing() {
  local missing=()
  for p in "${ZC_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

zc_build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZC_BUILD_GUI=ON -DZC_BUILD_TESTS=ON >/dev/null
  cmake --build build -j"$(nproc)"
}

# Runs a command inside a private network namespace: lo up with multicast, 224.0.0.0/4 on lo,
# so no chat traffic can leave the machine.
zc_in_netns() {
  local flags=-n
  [ "$(id -u)" -ne 0 ] && flags=-rn
  unshare $flags bash -c '
    set -e
    ip link set lo up
    ip link set lo multicast on
    ip route add 224.0.0.0/4 dev lo
    exec "$@"' zc-netns "$@"
}
