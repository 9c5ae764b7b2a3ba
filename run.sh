#!/usr/bin/env bash
# Installs what is missing, builds, and shows the fonts of PATH (a font file
# or a folder; default: the current folder).
set -euo pipefail
target=$(realpath -m -- "${1:-.}")
cd "$(dirname "$0")"
scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [ -d "$target" ]; then
    mapfile -d '' fonts < <(find "$target" -maxdepth 1 -type f \( -iname '*.ttf' -o -iname '*.otf' \) -print0 | sort -z)
    if [ ${#fonts[@]} -eq 0 ]; then
        echo "No fonts to display"
        exit 0
    fi
    exec build/cli/quillmark-cli info "${fonts[@]}"
fi
exec build/cli/quillmark-cli info "$target"
