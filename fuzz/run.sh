#!/usr/bin/env bash
# Runs one fuzzer locally: fuzz/run.sh TARGET SECONDS [libFuzzer options...]
# Builds the libFuzzer programs with clang, ASan and UBSan in build-fuzz/ (installs clang when
# missing). New inputs go to build-fuzz/corpus/TARGET, the seed corpus in fuzz/corpus/TARGET
# stays as it is; a crash is written to build-fuzz/crashes/TARGET/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ $# -lt 1 ]; then
  echo "usage: fuzz/run.sh TARGET [SECONDS] [libFuzzer options...]" >&2
  echo "targets: $(cd "$here/corpus" && echo *)" >&2
  exit 2
fi
target=$1
seconds=${2:-60}
shift $(($# >= 2 ? 2 : 1))
if [ ! -d "$here/corpus/$target" ]; then
  echo "no such target: $target (targets: $(cd "$here/corpus" && echo *))" >&2
  exit 2
fi

fuzzer_runtime() {
  local lib
  lib=$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null) && [ -f "$lib" ]
}
if ! command -v clang++ >/dev/null || ! fuzzer_runtime; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends clang
  if ! fuzzer_runtime; then
    version=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "libclang-rt-$version-dev"
  fi
fi

build=${ZC_FUZZ_BUILD:-$root/build-fuzz}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
mkdir -p "$build"
# Two fuzzers started together must not build the same libraries at once.
exec 9>"$build/.build-lock"
flock 9
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZC_FUZZ=ON -DZC_BUILD_GUI=OFF -DZC_BUILD_BENCH=OFF -DZC_BUILD_TESTS=ON \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --target "fuzz_$target" -j2
flock -u 9
exec 9>&-

work=$build/corpus/$target
crashes=$build/crashes/$target
mkdir -p "$work" "$crashes"
echo "fuzzing $target for $seconds s; new inputs in $work, crashes in $crashes"
# The settings and language readers open their file for every value: without the fill of each
# allocation and with a smaller quarantine they run several times faster, still under ASan.
export ASAN_OPTIONS=${ASAN_OPTIONS:-max_malloc_fill_size=0:quarantine_size_mb=16}
# -timeout: an input that takes two seconds is a fault (every step must be linear).
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$crashes/" "$@" "$work" "$here/corpus/$target"
