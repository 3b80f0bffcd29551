#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what lands where.
# Usage: install_layout_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
ZC_SOURCE=$2
ZC_TMP=$(mktemp -d)
trap 'rm -rf "$ZC_TMP"' EXIT
ZC_FAILED=0
source "$ZC_SOURCE/tests/package/expected_files.sh"

prefix=$ZC_TMP/prefix
cmake --install "$build" --prefix "$prefix" >"$ZC_TMP/install.txt" 2>&1 \
  || { cat "$ZC_TMP/install.txt" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$ZC_TMP/listing.txt"
zc_check_listing "$ZC_TMP/listing.txt"
zc_check_tree "$prefix"
zc_check_relay_conf "$prefix/bin/zeltorelay" "$prefix/etc/zeltochat/relay.conf"
# Test programs, benchmarks and build helpers stay out of an installation.
grep -E '(^|/)(zc_render_icon|[a-z_]*_test|bench_[a-z_]*)$' "$ZC_TMP/listing.txt" && zc_fail "build-only program installed"

[ "$ZC_FAILED" = 0 ] && echo "install layout: ok"
exit "$ZC_FAILED"
