#!/usr/bin/env bash
# Seeds the deliberate faults of scripts/seed-faults.py one at a time into a copy of the tree
# (build-faults/), runs each fault's test executable and reports how many the tests kill.
set -euo pipefail
exec python3 "$(dirname "$0")/seed-faults.py" "$@"
