#!/usr/bin/env bash
# No global symbol is defined in two of our static libraries: a program that links both would get whichever
# object the linker happens to pull in first. Inline functions and templates (weak symbols) may repeat.
#   symbols_test.sh LIBRARY.a...
set -u
for library in "$@"; do
  nm --defined-only --extern-only "$library" | awk -v library="$(basename "$library")" \
    'NF == 3 && $2 ~ /^[TDBRG]$/ { print library "\t" $3 }' | sort -u
done | awk -F'\t' '{ if ($2 in seen) { print "twice: " $2 " in " seen[$2] " and " $1; bad = 1 } seen[$2] = $1 }
  END { exit bad }' | c++filt
status=${PIPESTATUS[1]}
[ "$status" -eq 0 ] && echo "no symbol defined twice in $# libraries"
exit "$status"
