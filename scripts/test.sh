#!/usr/bin/env bash
# Builds the program and runs the whole test suite (GUI tests on the offscreen platform).
# --sanitize: the same suite built with clang's AddressSanitizer (leak detection on) and
# UndefinedBehaviorSanitizer, float-to-integer overflow included, in build-asan/; any finding
# fails the test that made it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--sanitize" ]; then
    "$root/scripts/deps.sh" --clang
    cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DMIREL_SANITIZE=ON -DMIREL_BUILD_BENCH=OFF >/dev/null
    cmake --build "$root/build-asan" -j"$(nproc)"
    cd "$root/build-asan"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
    exit
fi
"$root/scripts/build.sh"
cd "$root/build"
# A test that waits on a window nobody closes fails after ten minutes instead of holding CI.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j"$(nproc)"
