#!/usr/bin/env bash
# pairmap's command line and errors, and the bundled map drawn to PNG, so that a file that parses but does not
# draw is caught.
#   pairmap_test.sh PAIRMAP PROJECT_DIR
set -u
pairmap=$(realpath "$1") project=$(realpath "$2")
. "$project/tests/cli/harness.sh"

printf 'A1:ALA:CA\tB2:GLY:N\t3.5\nA1:ALA:CB\tB2:GLY\t3\n' >label.pairtab
printf 'A1:ALA:CA\tB2:GLY:N\t3.5\n\nA1:ALA:CB\tB2:GLY:N\n' >short.pairtab
printf 'A1:ALA:CA\tB2:GLY:N\t3.5x\n' >word.pairtab
printf 'A1:ALA:CA\tB2:GLY:N\tnan\n' >nan.pairtab
printf '\x01\x00\xff\tB2:GLY:N\t1\n' >binary.pairtab
mkdir -p folder
fails "$pairmap" 'missing.pairtab kept.pairtab' 'pairmap: cannot read missing.pairtab: No such file or directory'
fails "$pairmap" 'folder kept.pairtab' 'pairmap: cannot read folder: Is a directory'
fails "$pairmap" 'label.pairtab kept.pairtab' "pairmap: label.pairtab:2: label 'B2:GLY' is not of the form residue:type:atom"
fails "$pairmap" 'short.pairtab kept.pairtab' 'pairmap: short.pairtab:3: expected two labels and a distance, found 2 fields'
fails "$pairmap" 'word.pairtab kept.pairtab' "pairmap: word.pairtab:1: distance '3.5x' is not a number"
fails "$pairmap" 'nan.pairtab kept.pairtab' "pairmap: nan.pairtab:1: distance 'nan' is not a number"
fails "$pairmap" 'binary.pairtab kept.pairtab' 'pairmap: binary.pairtab: not a text file'
# --types: an interactions table, checked before the picture is written.
printf 'A1:ALA:CA\tB2:GLY:N\t3.5\n' >one.pairtab
printf 'chain1\tnumber1\ticode1\tchain2\tnumber2\ticode2\timage2\n' >untyped.tsv
printf 'chain1\tnumber1\ticode1\tchain2\tnumber2\ticode2\timage2\ttype\nA\t1\t\tB\n' >cut.tsv
fails "$pairmap" '--types untyped.tsv one.pairtab kept.pairtab' "pairmap: untyped.tsv:1: not an interactions table: no column 'type'"
fails "$pairmap" '--types cut.tsv one.pairtab kept.pairtab' 'pairmap: cut.tsv:2: expected 8 fields, found 4'
fails "$pairmap" '--types missing.tsv one.pairtab kept.pairtab' 'pairmap: cannot read missing.tsv: No such file or directory'
# A mark for the strongest type only: a salt bridge over the hydrogen bond of the same pair, none for a clash.
printf 'chain1\tnumber1\ticode1\tchain2\tnumber2\ticode2\timage2\ttype\nA\t1\t\tB\t2\t\t\thydrogen_bond\nA\t1\t\tB\t2\t\t\tsalt_bridge\nA\t1\t\tB\t2\t\t\tclash\n' >typed.tsv
run "$pairmap" '--types typed.tsv one.pairtab typed.svg'
expect '--types: the strongest type marks the cell' '0\nsalt_bridge\n' <(cat status.txt; grep -o 'data-type="[a-z_]*"' typed.svg | cut -d'"' -f2)
# What counts as a plain distance: what from_chars reads whole, finite and not negative.
for text in 3 3.5 .5 5. -0 1e0 1E+00 2.5e-1 '1 ' "$(printf '1\r')"; do
  printf 'A1:ALA:CA\tB2:GLY:N\t%s\n' "$text" >plain.pairtab
  run "$pairmap" 'plain.pairtab plain.svg'
  expect "distance '$text' is plain" '0\n' status.txt
done
for text in 1e . - +1 inf 0x1p3 1.5.2 ' 1' -1 1e5x; do
  printf 'A1:ALA:CA\tB2:GLY:N\t%s\n' "$text" >plain.pairtab
  run "$pairmap" 'plain.pairtab plain.svg'
  expect "distance '$text' is refused" "2\npairmap: plain.pairtab:1: distance '$text' is not a number\n" <(cat status.txt stderr.txt)
done
rm -f plain.svg
printf 'A1:ALA:CA\tB2:GLY:N\t3.5\n' >one.pairtab
fails "$pairmap" 'one.pairtab missing/map.svg' 'pairmap: cannot create missing/map.svg: No such file or directory'
fails "$pairmap" 'one.pairtab /dev/full' 'pairmap: cannot write /dev/full: No space left on device'
# A failed run leaves no temporary file beside the output.
expect 'no temporary file' '' <(ls -A | grep '^\.')

run "$pairmap" '--help'
expect '--help' '0\nUsage: pairmap [options] INPUT.pairtab OUTPUT.svg\n' <(cat status.txt; head -n 1 stdout.txt)
for wrong in '' 'one.pairtab' 'one.pairtab a.svg b.svg' '--max-distance 0 one.pairtab map.svg' '--title' '--colour one.pairtab map.svg'; do
  rm -f map.svg
  run "$pairmap" "$wrong"
  expect "'$wrong': status and usage" '1\nUsage: pairmap [options] INPUT.pairtab OUTPUT.svg\n' <(cat status.txt; sed -n 2p stderr.txt)
  absent "'$wrong'" map.svg
done

# The bundled pictures draw.
for svg in "$project"/examples/*.svg; do
  rsvg-convert "$svg" -o drawn.png
  expect "$(basename "$svg") draws" 'PNG\n' <(head -c 4 drawn.png | tail -c 3; echo)
done

finish
