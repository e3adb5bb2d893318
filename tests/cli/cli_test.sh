#!/usr/bin/env bash
# Runs the built programs as users do, and compares whole output files, messages and exit statuses.
#   cli_test.sh PAIRSWEEP PAIRSIFT EXAMPLES_DIR [sanitized]
set -u
pairsweep=$(realpath "$1") pairsift=$(realpath "$2") examples=$(realpath "$3") sanitized=${4:-}
here=$(dirname "$(realpath "$0")")
. "$here/harness.sh"

sweep_usage='./pairsweep input_1.xyz input_2.xyz cut_off output.pairtab'
usage "$pairsweep" '' "$sweep_usage"
usage "$pairsweep" 'a.xyz b.xyz 4 out.pairtab extra' "$sweep_usage"
sift_usage='./pairsift input.pairtab output.pairtab'
usage "$pairsift" '' "$sift_usage"
usage "$pairsift" 'a.pairtab out.pairtab extra' "$sift_usage"

# The worked example, with CRLF line ends, blank lines, runs of tabs, and "4abc" read as 4.
printf 'a0\t4.5\t0\t0\r\n\r\n\na1\t\t0.5\t0\t0\t\t\r\n' >a.xyz
printf 'b0\t3.9\t0\t0\nb1\t4.2\t0\t0\n   \nb2\t0\t0\t0' >b.xyz
completes "$pairsweep" 'a.xyz b.xyz 4abc out.pairtab' 'a1\tb0\t3.4\na1\tb2\t0.5\na1\tb1\t3.7\na0\tb0\t0.6\na0\tb1\t0.3\n'
# Pipes read as files do; one list twice gives every pair both ways.
printf 'p\t0\t0\t0\nq\t1\t1\t1\n' >pq.xyz
completes "$pairsweep" '<(cat pq.xyz) /dev/stdin 2 out.pairtab <pq.xyz' 'p\tp\t0\np\tq\t1.73205\nq\tp\t1.73205\nq\tq\t0\n'
# A distance equal to the cut-off is written; the same file may be both lists.
printf 'p\t0\t0\t0\nq\t3\t4\t0\n' >pq5.xyz
completes "$pairsweep" 'pq5.xyz pq5.xyz 5 out.pairtab' 'p\tp\t0\np\tq\t5\nq\tp\t5\nq\tq\t0\n'
# An infinite cut-off is one cell: every pair.
printf 'p\t0\t0\t0\n' >one.xyz
printf 'q\t1e18\t0\t0\nr\t-5\t0\t0\n' >far.xyz
completes "$pairsweep" 'one.xyz far.xyz 1e39 out.pairtab' 'p\tq\t1e+18\np\tr\t5\n'
# A list without points: no pair.
printf '\n\r\n' >empty.xyz
completes "$pairsweep" 'empty.xyz a.xyz 4 out.pairtab' ''
completes "$pairsweep" 'a.xyz empty.xyz 4 out.pairtab' ''

printf 'p\t0\t0\t0\n\nq\t1\t2\n' >short.xyz
printf 'p\t0\tnan\t0\n' >nan.xyz
printf 'p\t0\t0\t100000\nq\t100000\t0\t0\nr\t0\t100000\t0\n' >spread.xyz
mkdir -p folder
fails "$pairsweep" 'one.xyz one.xyz 0 kept.pairtab' "pairsweep: the cut-off must be a positive number, not '0'"
fails "$pairsweep" 'one.xyz one.xyz nan kept.pairtab' "pairsweep: the cut-off must be a positive number, not 'nan'"
fails "$pairsweep" 'one.xyz one.xyz abc kept.pairtab' "pairsweep: the cut-off must be a positive number, not 'abc'"
fails "$pairsweep" 'one.xyz one.xyz -1e-3 kept.pairtab' "pairsweep: the cut-off must be a positive number, not '-1e-3'"
fails "$pairsweep" 'missing.xyz one.xyz 4 kept.pairtab' 'pairsweep: cannot read missing.xyz: No such file or directory'
fails "$pairsweep" 'one.xyz folder 4 kept.pairtab' 'pairsweep: cannot read folder: Is a directory'
fails "$pairsweep" 'one.xyz short.xyz 4 kept.pairtab' 'pairsweep: short.xyz:3: expected a label and three coordinates, found 3 fields'
fails "$pairsweep" 'nan.xyz one.xyz 4 kept.pairtab' "pairsweep: nan.xyz:1: y coordinate 'nan' is not a finite number"
printf '\r\np\t1e39\t0\t0\r\n' >big.xyz
fails "$pairsweep" 'one.xyz big.xyz 4 kept.pairtab' "pairsweep: big.xyz:2: x coordinate '1e39' is not a finite number"
fails "$pairsweep" 'one.xyz one.xyz 4 missing/out.pairtab' 'pairsweep: cannot create missing/out.pairtab: No such file or directory'
fails "$pairsweep" 'one.xyz one.xyz 4 folder' 'pairsweep: cannot create folder: Is a directory'
fails "$pairsweep" 'one.xyz one.xyz 4 /dev/full' 'pairsweep: cannot write /dev/full: No space left on device'
# A spread-out box of 10^9 cells costs only its occupied ones: each point meets itself alone, in cell order.
completes "$pairsweep" 'spread.xyz spread.xyz 100 out.pairtab' 'q\tq\t0\nr\tr\t0\np\tp\t0\n'

# An allocation that fails all the same ends with a message, not an abort. AddressSanitizer cannot run under a
# limit on address space, so the sanitized build skips this.
if [ "$sanitized" != sanitized ]; then
  awk 'BEGIN { for (i = 0; i < 200000; i++) printf "p%d\t%d\t%d\t%d\n", i, i % 60, int(i / 60) % 60, int(i / 3600) }' >dense.xyz
  (ulimit -v 25000 && run "$pairsweep" 'dense.xyz dense.xyz 1 kept.pairtab')
  expect 'allocation failure: status' '2\n' status.txt
  expect 'allocation failure: stderr' 'pairsweep: out of memory\n' stderr.txt
fi

# The two programs as a pipeline; sifting the result again changes nothing.
printf '1:ALA:CA\t4.5\t0\t0\n1:ALA:CB\t0.5\t0\t0\n' >a.xyz
printf '20:GLY:N\t3.9\t0\t0\n3:SER:OG\t4.2\t0\t0\n20:GLY:CA\t0\t0\t0\n' >b.xyz
run "$pairsweep" 'a.xyz b.xyz 4 contacts.pairtab'
completes "$pairsift" 'contacts.pairtab out.pairtab' \
  '1:ALA:CB\t20:GLY:CA\t0.5\n1:ALA:CA\t20:GLY:N\t0.6\n1:ALA:CB\t20:GLY:N\t3.4\n1:ALA:CA\t3:SER:OG\t0.3\n1:ALA:CB\t3:SER:OG\t3.7\n'
cp out.pairtab sorted.pairtab
completes "$pairsift" '<(cat sorted.pairtab) out.pairtab' "$(sed 's/\t/\\t/g' sorted.pairtab | tr '\n' '|' | sed 's/|/\\n/g')"

printf '1:A:X\t2:B:Y\t3\n1:A:X\t2:B\t3\n' >bad.pairtab
fails "$pairsift" 'missing.pairtab kept.pairtab' 'pairsift: cannot read missing.pairtab: No such file or directory'
fails "$pairsift" 'bad.pairtab kept.pairtab' "pairsift: bad.pairtab:2: label '2:B' is not of the form residue:type:atom"
printf '1:A:X 2:B:Y 1\n' >blanks.pairtab
fails "$pairsift" 'blanks.pairtab kept.pairtab' 'pairsift: blanks.pairtab:1: expected two labels and a distance, found 1 field'
# Binary input is named as such; a field from it is quoted printable and short.
printf '1:A:X\t2:B:Y\t1\n\x7fELF\x02\x00\x01' >binary.pairtab
fails "$pairsift" 'binary.pairtab kept.pairtab' 'pairsift: binary.pairtab: not a text file'
fails "$pairsweep" 'binary.pairtab one.xyz 4 kept.pairtab' 'pairsweep: binary.pairtab: not a text file'
printf '1:A:X\t2:B:Y\tnan\x1b%070d\n' 0 >long.pairtab
fails "$pairsift" 'long.pairtab kept.pairtab' "pairsift: long.pairtab:1: distance 'nan\\\\x1b$(printf '%053d' 0)...' is not a number"
fails "$pairsift" 'sorted.pairtab missing/out.pairtab' 'pairsift: cannot create missing/out.pairtab: No such file or directory'
fails "$pairsift" 'sorted.pairtab /dev/full' 'pairsift: cannot write /dev/full: No space left on device'

# The bundled example, byte for byte: the inhibitor against chain A, and chain A against it, sifted.
run "$pairsweep" "$examples/1hpv_ligand.xyz $examples/1hpv_chainA.xyz 4 ligand.pairtab"
same 'bundled pairsweep' "$examples/ligand_chainA_4.pairtab" ligand.pairtab
run "$pairsweep" "$examples/1hpv_chainA.xyz $examples/1hpv_ligand.xyz 4 pocket.pairtab"
run "$pairsift" 'pocket.pairtab pocket_sorted.pairtab'
same 'bundled pipeline' "$examples/chainA_ligand_4_sorted.pairtab" pocket_sorted.pairtab

finish
