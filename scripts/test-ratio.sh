#!/usr/bin/env bash
# Prints how many lines of tests there are against lines of code: non-blank
# lines of C++ (.h, .cpp) that are not only a comment.  Tests are tests/ and
# tools/*/tests/; code is everything else under src/ and tools/.
#   scripts/test-ratio.sh          the totals and the ratio
#   scripts/test-ratio.sh --files  also the count of every file
set -euo pipefail
cd "$(dirname "$0")/.."

# Non-blank lines left after removing // and /* */ comments, per file.
count() {
  awk '
    FNR == 1 { inblock = 0 }
    {
      line = $0
      if (inblock) {
        if (!match(line, /\*\//)) next
        line = substr(line, RSTART + 2); inblock = 0
      }
      while (match(line, /\/\*/)) {
        rest = substr(line, RSTART + 2); line = substr(line, 1, RSTART - 1)
        if (match(rest, /\*\//)) line = line " " substr(rest, RSTART + 2)
        else { inblock = 1; break }
      }
      sub(/\/\/.*$/, "", line)
      if (line ~ /[^ \t\r]/) n[FILENAME]++
    }
    END { for (f in n) print n[f], f }' "$@"
}

tests=$(git ls-files -- 'tests/*.h' 'tests/*.cpp' 'tools/*/tests/*.h' 'tools/*/tests/*.cpp' | grep -v '^tests/data/')
code=$(git ls-files -- 'src/*.h' 'src/*.cpp' 'tools/*.h' 'tools/*.cpp' | grep -v -E '^tools/[^/]+/tests/')

t=$(count $tests | awk '{ s += $1 } END { print s + 0 }')
c=$(count $code | awk '{ s += $1 } END { print s + 0 }')
if [ "${1:-}" = "--files" ]; then
  echo "tests:"; count $tests | sort -rn
  echo "code:"; count $code | sort -rn
fi
awk -v t="$t" -v c="$c" 'BEGIN { printf "tests %d lines, code %d lines, ratio %.2f\n", t, c, t / c }'
