#!/usr/bin/env bash
# Installs what is missing, builds tavio and starts the player with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
here=$(pwd)

scripts/setup
export CCACHE_BASEDIR="$here"
export CCACHE_NOHASHDIR=1
build=${TAVIO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tavio
cd "$OLDPWD" 2>/dev/null || true
exec "$here/$build/app/tavio" "$@"
