#!/usr/bin/env bash
# Pixmill developer entry point.
#   ./run.sh example   set up, build and run the bundled example project
#   ./run.sh test      set up, build and run every test
#   ./run.sh build     set up and build only
set -euo pipefail
cd "$(dirname "$0")"
here=$(pwd)
build_dir="${PIXMILL_BUILD_DIR:-$here/build}"
jobs=$(nproc 2>/dev/null || echo 2)

setup() { bash scripts/setup.sh; }

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${PIXMILL_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
    cmake --build "$build_dir" -j "$jobs"
}

case "${1:-}" in
example)
    setup
    build
    bash examples/run-example.sh "$build_dir/bin"
    ;;
test)
    setup
    build
    (cd "$build_dir" && ctest --output-on-failure -j "$jobs")
    # Once more under AddressSanitizer and UBSan: the engine, its tests and the
    # replay of every fuzz target's seed corpus (the desktop program is left out).
    asan_dir="${build_dir}-sanitize"
    cmake -S . -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXMILL_SANITIZE=ON \
        -DPIXMILL_BUILD_GUI=OFF -DPIXMILL_BUILD_BENCH=OFF >/dev/null
    cmake --build "$asan_dir" -j "$jobs"
    (cd "$asan_dir" && ctest --output-on-failure -j "$jobs")
    ;;
build)
    setup
    build
    ;;
*)
    echo "usage: ./run.sh example | test | build" >&2
    exit 2
    ;;
esac
