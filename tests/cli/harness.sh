# Checks shared by the command-line tests: each counts into passed and failed; finish prints the tally.
# Sourced once the test has made its paths absolute: it moves into a scratch folder, removed at the end.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
passed=0 failed=0

# same WHAT EXPECTED_FILE ACTUAL_FILE
same() {
  if cmp -s "$2" "$3"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$(cat -A "$2")" "$(cat -A "$3")"
  fi
}
# absent WHAT FILE: no such file was created.
absent() {
  if [ -e "$2" ]; then
    failed=$((failed + 1))
    printf 'FAIL %s: %s was created\n' "$1" "$2"
  else
    passed=$((passed + 1))
  fi
}
# expect WHAT TEXT ACTUAL_FILE: TEXT with printf escapes (\t, \n)
expect() { printf '%b' "$2" >expected.txt; same "$1" expected.txt "$3"; }

# run PROGRAM ARGUMENTS: through bash, so that arguments may hand over pipes; a hang fails after ten minutes
# (a guard against hangs, not a speed check: busy CI machines are slow).
run() {
  eval "timeout 600 $1 $2" >stdout.txt 2>stderr.txt
  printf '%s\n' "$?" >status.txt
}

# completes PROGRAM ARGUMENTS EXPECTED: exit 0, no message, and out.pairtab (which held an old list) is EXPECTED.
completes() {
  printf 'old\n' >out.pairtab
  run "$1" "$2"
  expect "$2: status" '0\n' status.txt
  cat stdout.txt stderr.txt >messages.txt
  expect "$2: messages" '' messages.txt
  expect "$2: output" "$3" out.pairtab
}

# fails PROGRAM ARGUMENTS MESSAGE: exit 2, MESSAGE as the one line on stderr, and kept.pairtab left as it was.
fails() {
  printf 'old\n' >kept.pairtab
  run "$1" "$2"
  expect "$2: status" '2\n' status.txt
  expect "$2: stderr" "$3\n" stderr.txt
  expect "$2: stdout" '' stdout.txt
  expect "$2: kept" 'old\n' kept.pairtab
}

# usage PROGRAM ARGUMENTS LINE: exit 1, the usage line on stdout, and no output file created.
usage() {
  rm -f out.pairtab
  run "$1" "$2"
  expect "$2: status" '1\n' status.txt
  expect "$2: usage" "$3\n" stdout.txt
  expect "$2: stderr" '' stderr.txt
  absent "$2" out.pairtab
}

# finish: the tally, and the exit status of the test.
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
