#!/usr/bin/env bash
# Builds sumwright and starts it, ready to use, in a working directory of its
# own under a name that carries a site marker (the report links to that site).
#   bash scripts/start.sh [working-directory] [program-name]
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work_dir=${1:-$HOME/sumwright-work}
program_name=${2:-www.example.com.exe}

echo "Building sumwright in $source_dir/build/release (the first build takes about half a minute) ..."
cmake -S "$source_dir" -B "$source_dir/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$source_dir/build/release" --target sumwright

mkdir -p "$work_dir"
cp "$source_dir/build/release/sumwright" "$work_dir/$program_name"
cd "$work_dir"
exec "./$program_name"
