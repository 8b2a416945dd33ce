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
    cd "$build_dir"
    ctest --output-on-failure -j "$jobs"
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
