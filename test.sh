#!/usr/bin/env bash
# Installs what is missing, builds tavio and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
here=$(pwd)

scripts/setup
export CCACHE_BASEDIR="$here"
export CCACHE_NOHASHDIR=1
build=${TAVIO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVIO_BUILD_TESTS=ON -DTAVIO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# A private X server for the tests that need real video output.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    # Only a server that is up is handed to the tests; without one they skip.
    for _ in $(seq 50); do
      [ -S "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if [ -S "/tmp/.X11-unix/X$n" ]; then
      export TAVIO_XVFB_DISPLAY=":$n"
    else
      echo "test.sh: Xvfb did not start; the tests that need a display will skip" >&2
    fi
    break
  fi
done

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
