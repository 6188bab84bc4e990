#!/usr/bin/env bash
# Installs what the tests need (Debian packages, only where missing), builds
# everything and runs every test: unit, end to end on pipes and terminals,
# the spreadsheet and browser proofs, the Windows build under Wine, the
# release archives, the sanitizer build and short fuzzing runs.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$source_dir"

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-pytest python3-uno libreoffice-calc-nogui gnumeric chromium poppler-utils
    g++-mingw-w64-x86-64-posix wine wine64
    python3-markdown clang-format clang-tidy
    tmux procps coreutils grep
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Everything on this platform, the spreadsheet and browser proofs and the
# Windows build under Wine.
cmake --workflow --preset default
# The release archives in dist/, tested as a user unpacks them, and built a
# second time to show they are reproducible.
cmake --workflow --preset release
# The same suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --workflow --preset asan
# Each fuzz target for a short, bounded time.
cmake --workflow --preset fuzz
