#!/usr/bin/env bash
# Writes a seed corpus for legacy_reader_fuzz with the logger simulator (qvs-cli simulate):
# every format version, each state, calibration points, markers and user fields.
# Usage: tests/fuzz/make-legacy-corpus.sh QVS-CLI CORPUS-FOLDER
set -euo pipefail
cli=$1
out=$2
mkdir -p "$out"
n=0
sim() { n=$((n + 1)); "$cli" simulate --force "$@" "$out/seed$n.kv" >/dev/null; }
for v in 5 6; do
  sim --version "$v" --count 20
  sim --version "$v" --count 3 --t-cal 20:0.3 --marker 2 --marker 2 --field "Site=Lab"
done
for v in 7 8; do
  sim --version "$v" --count 20
  sim --version "$v" --count 5 --mode h --h-cal 50:-1 --check-word 7
  sim --version "$v" --count 4 --t-cal 0:0.1 --t-cal 50:-0.2 --h-cal 30:1 --marker 1 --marker 3 \
      --field "Operator=QA" --field "Field2=" --manufactured 2023-01-01 --recal-days 365 --grace-days 30
  sim --version "$v" --state ready --start-delay 600
  sim --version "$v" --state delay --start-delay 7200
  sim --version "$v" --count 2 --firmware 150
done
echo "wrote $n seeds to $out"
