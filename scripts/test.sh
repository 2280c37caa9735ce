#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# stages the program folder at dist/ (some tests start the staged programs) and runs all tests.
# Arguments are passed on to ctest, for example: ./scripts/test.sh -R config
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSHUTTERHAND_SANITIZE=ON -DSHUTTERHAND_TESTS=ON
cmake --build build-test -j2
cmake --install build-test --prefix dist >/dev/null
ctest --test-dir build-test --output-on-failure -j2 "$@"
