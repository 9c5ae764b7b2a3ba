#!/usr/bin/env bash
# Installs the Debian packages Quillmark needs that are not installed yet.
#   scripts/install-deps.sh run    what building and running needs
#   scripts/install-deps.sh test   that, and what the tests and benchmarks need
# Quick when nothing is missing: it only asks dpkg.
set -euo pipefail

run_packages=(
    cmake ninja-build pkg-config g++
    qt6-base-dev qt6-svg-dev libboost-dev libboost-regex-dev libboost-program-options-dev libicu-dev libharfbuzz-dev libfontconfig-dev fontconfig fonts-dejavu-core
    # The character names are made at build time from the Unicode database.
    python3 unicode-data
    # Icons of folders, places and drives for the folder tree where the desktop names no theme.
    adwaita-icon-theme
    # The update's TLS (through Qt) and the signatures of its downloads.
    libssl-dev
    # Web fonts: WOFF's tables are compressed with zlib; WOFF2 is decoded by Google's decoder.
    zlib1g-dev libwoff-dev
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev python3 clang-format
    # The update tests' HTTPS server makes its certificate with openssl; the
    # launcher progress is watched on a session bus of the test's own.
    openssl dbus-daemon
    # The fonts the tests and benchmarks read.
    fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-noto-core fonts-texgyre
    fonts-lato fonts-open-sans fonts-roboto
    # pdfinfo and pdftotext read printed pages back.
    poppler-utils
    # CJK and symbol fonts of the font map's benchmark and pictures.
    fonts-droid-fallback fonts-symbola fonts-unifont
    # Collections, web fonts and characters past U+FFFF; fontTools and the woff2 tools make and
    # read the web fonts and faces the tests compare with.
    fonts-noto-cjk fonts-wqy-zenhei fonts-noto-color-emoji fonts-dejavu-web fonts-font-awesome
    python3-fonttools python3-brotli
    # Variable fonts and the static fonts of the same family they are drawn against.
    fonts-inter-variable fonts-inter fonts-cantarell
)

wanted=("${run_packages[@]}")
if [ "${1:-run}" = "test" ]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
