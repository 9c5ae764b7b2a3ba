#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

jobs=$(nproc)

# The program and all its tests.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

# The libraries without Qt again, under AddressSanitizer and
# UndefinedBehaviorSanitizer: the reader tests and the fuzz replay set.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_CORE_ONLY=ON \
    -DQUILLMARK_BENCHMARKS=OFF -DQUILLMARK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$jobs"

# The threaded parts again under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_BENCHMARKS=OFF \
    -DQUILLMARK_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target fontmanager_test fontmanagerhub_test folderload_test

ctest --test-dir build-asan -j "$jobs" --output-on-failure
ctest --test-dir build-tsan -j "$jobs" --output-on-failure -L threads
ctest --test-dir build -j "$jobs" --output-on-failure
