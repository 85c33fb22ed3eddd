#!/usr/bin/env bash
# Installs the dependencies, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Ends non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build=${CALIXO_TEST_BUILD:-build-asan}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCALIXO_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"
# The Debian package, from a release build of what it ships, checked as a
# user of the package gets it.
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DCALIXO_BENCH=OFF
cmake --build build-deb -j"$(nproc)" --target calixo dbfdump
tests/package/package_check.sh build-deb
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
