#!/usr/bin/env bash
# Builds the fuzz targets with clang as libFuzzer programs (AddressSanitizer,
# UBSan) into build-fuzz/ and runs them.
#   fuzz/run.sh [seconds] [target]
# Runs every fuzz/fuzz_*.cpp target (or only the named one, e.g. fuzz_bmp)
# for the given number of seconds each (default 60). New inputs go to
# build-fuzz/corpus/<target>/, crashes to build-fuzz/artifacts/<target>/;
# the seeds in fuzz/corpus/<target>/ are read, never written. Every target
# runs with a memory limit of 512 MB: no input may make a reader take more.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
only="${2:-}"
build_dir=build-fuzz

# clang and its libFuzzer runtime (Debian: clang, libclang-rt-14-dev).
if ! command -v clang++ >/dev/null ||
    ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi
bash scripts/setup.sh

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPIXMILL_FUZZ=ON \
    -DBUILD_TESTING=OFF -DPIXMILL_BUILD_GUI=OFF -DPIXMILL_BUILD_BENCH=OFF >/dev/null

targets=()
for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    if [ -z "$only" ] || [ "$only" = "$name" ]; then targets+=("$name"); fi
done
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz target named '$only'" >&2
    exit 2
fi

cmake --build "$build_dir" -j2 --target "${targets[@]}"

# ASan holds up to 256 MB of freed memory back by default; that is the
# sanitizer's, not a reader's, so it is kept small under the 512 MB limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=32}"
# Known leaks inside the libraries (see the file) do not stop a run.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp}"

status=0
for name in "${targets[@]}"; do
    corpus="$build_dir/corpus/$name"
    artifacts="$build_dir/artifacts/$name"
    mkdir -p "$corpus" "$artifacts"
    seeds=()
    if [ -d "fuzz/corpus/$name" ]; then seeds+=("fuzz/corpus/$name"); fi
    echo "== $name: $seconds s"
    if ! "$build_dir/bin/$name" -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}"; then
        status=1
    fi
done
exit $status
