#!/usr/bin/env bash
# Builds and runs the script engine benchmark: installs Lua 5.4 (the reference it runs side by side),
# builds the Free Pascal reference for string building when fpc is there, and prints the figures.
set -euo pipefail
cd "$(dirname "$0")/../.."

need=()
for p in lua5.4 liblua5.4-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y "${need[@]}"
fi

build=build-pascal-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHUTTERHAND_BENCH=ON -DSHUTTERHAND_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target pascal_engine_bench

args=()
if command -v fpc >/dev/null 2>&1; then
    out="$build/bench/pascal/fpc"
    mkdir -p "$out"
    fpc -O2 -Mdelphi -FE"$out" -o"$out/concat" bench/pascal/concat.pas >/dev/null
    args=(--fpc-concat "$out/concat")
fi
"$build/bench/pascal/pascal_engine_bench" "${args[@]}"
