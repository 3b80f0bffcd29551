#!/usr/bin/env bash
# Builds the Debian package in build-package/ (a Release build for /usr, without tests or
# benchmarks) and prints the path of the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-package
# Debian's usual compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DZC_BUILD_GUI=ON -DZC_BUILD_TESTS=OFF -DZC_BUILD_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
      -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
      -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$out" -j"$(nproc)"
rm -f "$out"/zeltochat_*.deb
(cd "$out" && cpack -G DEB >/dev/null)
deb=$(ls "$out"/zeltochat_*.deb)
echo "$(pwd)/$deb"
