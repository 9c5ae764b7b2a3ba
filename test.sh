#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# QUILLMARK_WERROR=ON (as CI sets it) makes every warning an error.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

jobs=$(nproc)
werror=${QUILLMARK_WERROR:-OFF}
# Rebuilds of a developer's trees come from ccache when it is installed.
launcher=
if command -v ccache >/dev/null; then
    launcher=ccache
fi
# A tree configured before keeps its cache: say every choice each time.
configure() {
    cmake -S . -B "$@" -G Ninja -DQUILLMARK_TESTS=ON -DQUILLMARK_WERROR="$werror" \
        -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
}
# No tests found is a failure, never a pass. A tree whose tests fail does not
# stop the others: every failure is shown, and the script fails at the end.
failed=()
run_tests() {
    ctest --test-dir "$@" -j "$jobs" --output-on-failure --no-tests=error || failed+=("$1")
}
step() {
    echo "== $* (${SECONDS} s)"
}

step "the program, its tests and benchmarks"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_SANITIZE= -DQUILLMARK_CORE_ONLY=OFF
cmake --build build -j "$jobs"
run_tests build

step "everything again under AddressSanitizer and UndefinedBehaviorSanitizer"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_CORE_ONLY=OFF -DQUILLMARK_BENCHMARKS=OFF \
    -DQUILLMARK_SANITIZE=address,undefined
cmake --build build-asan -j "$jobs"
run_tests build-asan

step "the threaded tests again under ThreadSanitizer"
configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_CORE_ONLY=OFF -DQUILLMARK_BENCHMARKS=OFF \
    -DQUILLMARK_SANITIZE=thread
cmake --build build-tsan -j "$jobs" --target threaded_tests
run_tests build-tsan -L threads

if [ ${#failed[@]} -ne 0 ]; then
    step "tests failed in: ${failed[*]}"
    exit 1
fi
step "done"
