#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillmark on PATH (a font file
# or a folder; without one, where it was left).
set -euo pipefail
target=""
if [ $# -gt 0 ]; then
    target=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")"
scripts/install-deps.sh run
# The program alone: tests and benchmarks are test.sh's.
cmake -S . -B build-app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_TESTS=OFF \
    -DQUILLMARK_BENCHMARKS=OFF >/dev/null
cmake --build build-app -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show Quillmark on: here is what it reads from ${target:-the current folder}." >&2
    target="${target:-$OLDPWD}"
    if [ -d "$target" ]; then
        exec build-app/cli/quillmark-cli scan "$target"
    fi
    exec build-app/cli/quillmark-cli info "$target"
fi
if [ -n "$target" ]; then
    exec build-app/app/quillmark "$target"
fi
exec build-app/app/quillmark
