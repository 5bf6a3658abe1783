#!/usr/bin/env bash
# Builds the program and runs the whole test suite (GUI tests on the offscreen platform).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
