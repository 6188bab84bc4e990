#!/usr/bin/env bash
# Installs what the tests need (Debian packages, only where missing), builds
# everything and runs every test: unit, end to end on pipes and terminals,
# the spreadsheet and browser proofs, the release archives and their Windows
# program under Wine, the sanitizer build and short fuzzing runs. Runs the
# steps of the four workflow presets one by one and prints the time of each.
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
# Each stage's time, printed as it ends and again at the end, so that a
# change to the suite can be weighed.
stage_times=()
stage() {
    local name=$1 started=$SECONDS
    shift
    echo "== $name"
    "$@"
    stage_times+=("$(printf '%-22s %5d s' "$name" $((SECONDS - started)))")
    echo "== $name: $((SECONDS - started)) s"
}
# The steps of a CMake workflow preset, one stage each; with "test
# alongside", its tests start in the background and finish_alongside waits
# for them.
workflow() {
    local preset=$1
    stage "$preset configure" cmake --preset "$preset"
    # While a stage runs alongside, builds, and fuzzing runs (which run for
    # a fixed time), take only what it leaves.
    local lower=()
    [ -z "$alongside_pid" ] || lower=(nice -n 10)
    stage "$preset build" "${lower[@]}" cmake --build --preset "$preset"
    if [ "$preset" = release ]; then
        stage "$preset package" cpack --preset "$preset"
    fi
    if [ "${2:-}" = "test alongside" ]; then
        alongside "$preset test" ctest --preset "$preset"
    elif [ "$preset" = fuzz ]; then
        stage "$preset test" "${lower[@]}" ctest --preset "$preset"
    else
        stage "$preset test" ctest --preset "$preset"
    fi
}
# One stage at a time runs beside the others, in a session of its own so
# that an early end takes all it started along; its output is shown when it
# is waited for, and its time counts from its start.
alongside_pid='' alongside_name='' alongside_log='' alongside_started=0
alongside() {
    alongside_name=$1 alongside_started=$SECONDS alongside_log=$(mktemp)
    shift
    echo "== $alongside_name: started beside what follows"
    setsid --wait "$@" >"$alongside_log" 2>&1 &
    alongside_pid=$!
}
finish_alongside() {
    local status=0
    wait "$alongside_pid" || status=$?
    alongside_pid=''
    cat "$alongside_log"
    rm -f "$alongside_log"
    stage_times+=("$(printf '%-22s %5d s (alongside)' "$alongside_name" $((SECONDS - alongside_started)))")
    echo "== $alongside_name: $((SECONDS - alongside_started)) s"
    return "$status"
}
install_missing() {
    local missing=() package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo_cmd=()
        [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
        "${sudo_cmd[@]}" apt-get update -q
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}
on_exit() {
    if [ -n "$alongside_pid" ]; then
        kill -- "-$alongside_pid" 2>/dev/null || true
        cat "$alongside_log"
        rm -f "$alongside_log"
    fi
    echo "== Stage times"
    printf '%s\n' "${stage_times[@]}"
}
trap on_exit EXIT
stage "package install" install_missing

# Everything on this platform: unit tests, the program on pipes and
# terminals, the spreadsheet and browser proofs, the code's habits.
workflow default
# The release archives in dist/, tested as a user unpacks them, the Windows
# program of the release under Wine, and a second build to show they are
# reproducible. The runs under Wine mostly wait for Wine, so these tests go
# on beside the two workflows after them.
workflow release "test alongside"
# The program's own code again with AddressSanitizer and
# UndefinedBehaviorSanitizer: the unit tests and the end-to-end runs.
workflow asan
# Each fuzz target for a short, bounded time.
workflow fuzz
finish_alongside
