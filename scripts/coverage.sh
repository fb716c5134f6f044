#!/usr/bin/env bash
# Builds with --coverage into ./build-cov (or $QUORVANE_COV_DIR), runs the whole CTest suite
# from zeroed counters and prints line and branch coverage per library folder (gcovr).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${QUORVANE_COV_DIR:-build-cov}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_BENCH=OFF \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" >/dev/null
find "$dir" -name '*.gcda' -delete
(cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j"$(nproc)" --timeout 300 >"ctest.log") ||
    { tail -20 "$dir/ctest.log"; exit 1; }
folders=(platform settings sql db datapath lookup wizard startup audit)
filters=()
for f in "${folders[@]}"; do filters+=(--filter "$f/"); done
gcovr -r . "$dir" "${filters[@]}" --exclude-throw-branches --exclude-unreachable-branches \
    --json-summary "$dir/coverage.json" >/dev/null 2>"$dir/gcovr.log"
python3 - "$dir/coverage.json" "${folders[@]}" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
print("| Folder | Lines | Line % | Branches | Branch % |")
print("|---|---:|---:|---:|---:|")
for folder in sys.argv[2:]:
    mine = [f for f in files if f["filename"].startswith(folder + "/")]
    lt, lc = sum(f["line_total"] for f in mine), sum(f["line_covered"] for f in mine)
    bt, bc = sum(f["branch_total"] for f in mine), sum(f["branch_covered"] for f in mine)
    print(f"| {folder} | {lc}/{lt} | {100 * lc / lt:.1f} | {bc}/{bt} | {100 * bc / bt:.1f} |")
PY
