#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset debug-asan
cmake --build --preset debug-asan
ctest --preset debug-asan -j "$(nproc)"
