#!/usr/bin/env bash
# Sets up, builds qvs-cli (release), writes the bundled demonstration validation into a folder and
# runs it, printing the summary report. The folder is the first argument (default: ./demo).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qvs-cli
folder="${1:-demo}"
cli=build/release/src/cli/qvs-cli
"$cli" simulate --demo "$folder"
"$cli" run "$folder/Chamber validation.qvs"
