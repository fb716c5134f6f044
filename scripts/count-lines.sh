#!/usr/bin/env bash
# Counts C++ lines (.cpp, .h tracked by git) that are neither blank nor comments, tests/
# against everything else, and prints the ratio. With -v, also per top-level folder.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -- '*.cpp' '*.h' | python3 -c '
import re, sys
from collections import Counter

def code_lines(text):
    n, in_block = 0, False
    for line in text.splitlines():
        s, rest = line.strip(), ""
        # Strip /* */ blocks and // comments outside string literals, keep what is left.
        i = 0
        while i < len(s):
            if in_block:
                end = s.find("*/", i)
                if end < 0:
                    i = len(s)
                else:
                    in_block, i = False, end + 2
                continue
            c = s[i]
            if c == "\"" or c == "\x27":
                j = i + 1
                while j < len(s) and s[j] != c:
                    j += 2 if s[j] == "\\" else 1
                rest += s[i:j + 1]
                i = j + 1
            elif s.startswith("//", i):
                break
            elif s.startswith("/*", i):
                in_block, i = True, i + 2
            else:
                rest += c
                i += 1
        if rest.strip():
            n += 1
    return n

per = Counter()
for path in sys.stdin.buffer.read().split(b"\0"):
    if path:
        p = path.decode()
        with open(p, encoding="utf-8", errors="replace") as f:
            per[p.split("/")[0] if "/" in p else "."] += code_lines(f.read())
tests = per.pop("tests", 0)
code = sum(per.values())
if "-v" in sys.argv:
    for k in sorted(per):
        print(f"{k:10} {per[k]:6}")
print(f"tests {tests} / code {code} = {100 * tests / code:.1f}%")
' "$@"
