#!/usr/bin/env bash
# Mutation testing of the C++ code in src/: which small faults do the tests
# catch?  See docs/MUTANTS.md.  Examples:
#   scripts/mutants.sh --list                      the default sample (150, draw 1)
#   scripts/mutants.sh --files src/selection/BestList.cpp -n 20 --output after.jsonl
#   scripts/mutants.sh --compare before.jsonl after.jsonl
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/mutants.py "$@"
