#!/usr/bin/env bash
# Installs what is needed, builds Shutterhand, stages the program folder at dist/ and starts it.
# Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHUTTERHAND_TESTS=OFF
cmake --build build -j2
cmake --install build --prefix dist >/dev/null
# This run lists the simulated camera beside real ones (var.dat is not changed); 0 leaves it out.
export SHUTTERHAND_SIMULATED_CAMERA="${SHUTTERHAND_SIMULATED_CAMERA:-1}"
exec ./dist/shutterhand "$@"
