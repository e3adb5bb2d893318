#!/usr/bin/env bash
# No global symbol is defined in two of our static libraries: a program that links both would get whichever
# object the linker happens to pull in first. Inline functions and templates (weak symbols) may repeat.
#   symbols_test.sh LIBRARY.a...
set -u
nm --defined-only --extern-only "$@" 2>/dev/null | awk '
  /:$/ { library = $0; next }
  NF == 3 && $2 ~ /^[TDBRG]$/ { if ($3 in seen && seen[$3] != library) { print "twice: " $3 " in " seen[$3] " and " library; bad = 1 } seen[$3] = library }
  END { exit bad }' | c++filt
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && echo "no symbol defined twice in $# libraries"
exit "$status"
