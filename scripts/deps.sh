#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Runs apt-get directly as root, through sudo otherwise. Safe to run again. With --clang also
# what scripts/test.sh --sanitize and scripts/fuzz.sh need.
set -euo pipefail

packages=(g++ cmake make pkg-config qt6-base-dev libfreexl-dev googletest libgtest-dev
          libbenchmark-dev xdg-utils fonts-dejavu-core libquazip1-qt6-dev
          qt6-translations-l10n)
# --clang: also the compiler, sanitizers and libFuzzer of the sanitizer and fuzz builds.
if [ "${1:-}" = "--clang" ]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
