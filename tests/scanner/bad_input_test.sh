#!/usr/bin/env bash
# pairscan and pairpick under bad input, as users meet it: a coordinate that is not a number, an output left off,
# a full disk or a side file that cannot be made (every path as it was), cells no crystal has, a cut-off that is
# infinite as a float, and a gzip bomb. Each gives one line and exit 2 (a usage error: 1), and changes nothing.
#   bad_input_test.sh PAIRSCAN PAIRPICK PROJECT_DIR [sanitized]
set -u
pairscan=$(realpath "$1") pairpick=$(realpath "$2") project=$(realpath "$3") sanitized=${4:-}
examples=$project/examples
. "$project/tests/cli/harness.sh"

# with_nan FILE N OUT: FILE with the x of its Nth ATOM record made "nan", as a blown-up simulation writes it.
with_nan() { awk -v n="$2" '/^ATOM/ && ++seen == n { $0 = substr($0, 1, 30) "     nan" substr($0, 39) } { print }' "$1" >"$3"; }
zcat "$examples/structures/1A8O.pdb.gz" >1a8o.pdb
with_nan 1a8o.pdb 1 first.pdb      # A152 N, the first atom of chain A
with_nan 1a8o.pdb 300 later.pdb    # an atom of residue A186
cp "$examples/1hpv.pdb" 1hpv.pdb
with_nan 1hpv.pdb 759 hpvb.pdb     # the first atom of chain B (chain A holds 758)
awk '/^ATOM/ { a++ } a == 300 && /^ATOM/ { print substr($0, 23, 4) + 0; exit }' 1a8o.pdb >later_residue.txt
later=$(cat later_residue.txt)
nan_first="atom 'N' of residue A152 (ASP, chain 'A') has a coordinate that is not a finite number"
nan_b="atom 'N' of residue B1 (PRO, chain 'B') has a coordinate that is not a finite number"

# A picked atom that is not a number is refused, as the first atom of a side or a later one, with and without
# symmetry, on either side; one that the run does not pick does not matter.
while IFS='|' read -r program arguments message; do
  fails "$program" "$arguments" "$message"
done <<EOF
$pairscan|first.pdb //A kept.pairtab|pairscan: first.pdb: $nan_first
$pairscan|--symmetry first.pdb //A kept.pairtab|pairscan: first.pdb: $nan_first
$pairscan|--symmetry --interfaces kept.d first.pdb|pairscan: first.pdb: $nan_first
$pairscan|hpvb.pdb //A //B kept.pairtab|pairscan: hpvb.pdb: $nan_b
$pairscan|hpvb.pdb //B //A kept.pairtab|pairscan: hpvb.pdb: $nan_b
$pairscan|--symmetry hpvb.pdb //A //B kept.pairtab|pairscan: hpvb.pdb: $nan_b
$pairpick|first.pdb //A kept.pairtab|pairpick: first.pdb: $nan_first
EOF
expect 'no interfaces folder made' '' <(ls -d kept.d 2>/dev/null)
run "$pairscan" "later.pdb //A kept.pairtab"
expect 'a later atom: refused too' '2\n' status.txt
"$pairscan" 1a8o.pdb "//A/152-$((later - 1))" expected.pairtab
"$pairscan" later.pdb "//A/152-$((later - 1))" got.pairtab
same 'an atom not picked does not matter' expected.pairtab got.pairtab

# An output left off: the last selection would be the output, at the root of the file system.
run "$pairscan" "1hpv.pdb //A //B"
expect 'a selection as the output' "1\npairscan: the output '//B' looks like a selection; the output comes last\n" \
  <(cat status.txt; head -n 1 stderr.txt)

# A side file that cannot be made, or a device that cannot be written: the output stays as it was, and no
# temporary file is left.
while IFS='|' read -r arguments message; do
  fails "$pairscan" "$arguments 1hpv.pdb //A //B kept.pairtab" "$message"
done <<'EOF'
--map nodir/x.svg|pairscan: cannot create nodir/x.svg: No such file or directory
--status nodir/s.tsv|pairscan: cannot create nodir/s.tsv: No such file or directory
--summary /dev/full|pairscan: cannot write /dev/full: No space left on device
--map /dev/full --summary row.tsv|pairscan: cannot write /dev/full: No space left on device
EOF
absent 'no summary from a failed run' row.tsv
expect 'no temporary file' '' <(find . -name '.*.??????')

# --interfaces: an earlier run's folder is replaced only by a run that succeeds; its other files stay.
rm -rf ifs && "$pairscan" --interfaces ifs --maps 1hpv.pdb
mkdir ifs/X_vs_Y && printf 'mine\n' >ifs/notes.txt && cp ifs/summary.tsv summary.before
run "$pairscan" "--interfaces ifs --status nodir/s.tsv 1hpv.pdb"
expect 'a failed run keeps the folder' '2\nA_vs_B\nX_vs_Y\nnotes.txt\nsummary.tsv\n' <(cat status.txt; ls ifs)
"$pairscan" --interfaces ifs --status ifs/status.tsv 1hpv.pdb
expect 'a run replaces what runs write' 'A_vs_B\nnotes.txt\nstatus.tsv\nsummary.tsv\nsorted.pairtab\nmine\n' \
  <(ls ifs; ls ifs/A_vs_B; cat ifs/notes.txt)
same 'the summary made again' summary.before ifs/summary.tsv
ln -s ifs linked && "$pairscan" --interfaces linked 1hpv.pdb
expect 'a link to the folder stays a link' 'link\n' <([ -L linked ] && echo link)

# A full disk: a tmpfs of its own in a mount namespace (as root, as CI runs), too small for the output.
if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  unshare -m bash -c '
    mkdir -p small && mount -t tmpfs -o size=32k small small && printf "old\n" >small/out.pairtab &&
    mkdir small/ifs && printf "old\n" >small/ifs/summary.tsv &&
    "$0" --min-separation 1 1hpv.pdb //A small/out.pairtab 2>full.txt; echo $? >>full.txt
    "$0" --interfaces small/ifs --maps --self 1hpv.pdb 2>>full.txt; echo $? >>full.txt
    cat small/out.pairtab small/ifs/summary.tsv >>full.txt; ls -a small >>full.txt; ls -a small/ifs >>full.txt' "$pairscan"
  expect 'a full disk: each path as it was' 'pairscan: cannot write small/out.pairtab: No space left on device\n2
pairscan: cannot create small/ifs/A_vs_B/map.svg: No space left on device\n2\nold\nold\n.\n..\nifs\nout.pairtab\n.\n..\nsummary.tsv\n' \
    full.txt
fi

# Cells no crystal has, each refused with its own reason; an infinite cut-off.
while IFS='|' read -r cryst1 message; do
  sed "s/^CRYST1.*/$cryst1/" 1a8o.pdb >cell.pdb
  fails "$pairscan" "--symmetry cell.pdb //A kept.pairtab" "pairscan: --symmetry: $message"
done <<'EOF'
CRYST1  -41.980   41.980   88.920  90.00  90.00  90.00 P 43 21 2     8|the cell of cell.pdb has a = -41.98 A; a length must be above 0
CRYST1   41.980    0.000   88.920  90.00  90.00  90.00 P 43 21 2     8|the cell of cell.pdb has b = 0 A; a length must be above 0
CRYST1   41.980   41.980   88.920 300.00  90.00  90.00 P 1           1|the cell of cell.pdb has alpha = 300; an angle must lie between 0 and 180 degrees
CRYST1   41.980   41.980   88.920  90.00  90.00 180.00 P 1           1|the cell of cell.pdb has gamma = 180; an angle must lie between 0 and 180 degrees
CRYST1   41.980   41.980   88.920  30.00  30.00 100.00 P 1           1|the cell angles of cell.pdb (30, 30, 100) give no real cell: its volume would not be above 0
CRYST1    2.000    2.000    2.000  90.00  90.00  90.00 P 1           1|the cell of cell.pdb (8 A^3) would hold 644 atoms (644 times 1 operation), less than 1 A^3 an atom
CRYST1    3.000    3.000    3.000  90.00  90.00  90.00 F m -3 m     1|the cell of cell.pdb (27 A^3) would hold 123648 atoms (644 times 192 operations), less than 1 A^3 an atom
EOF
# Just inside: 644 atoms in a P 1 cell of 644 A^3 is a crystal, however dense.
sed "s/^CRYST1.*/CRYST1    8.640    8.640    8.640  90.00  90.00  90.00 P 1           1/" 1a8o.pdb >cell.pdb
run "$pairscan" "--symmetry cell.pdb //A/152-160 got.pairtab"
expect 'a dense cell of 1 A^3 an atom runs' '0\n' status.txt
run "$pairscan" "--cutoff 1e39 1hpv.pdb //A out.pairtab"
expect '--cutoff 1e39' "1\npairscan: --cutoff takes a positive number, not '1e39'\n" <(cat status.txt; head -n 1 stderr.txt)

# A gzip bomb: refused at the bound as it is decompressed, and zeros from the first block, under a memory
# limit far below what the whole text would take (not in the sanitizer build, which reserves memory itself).
head -c 300000000 /dev/zero | gzip -1 >zeros.pdb.gz
yes 'REMARK   3 NOTHING BUT REMARKS                                                   ' | head -c 300000000 | gzip -1 >remarks.pdb.gz
if [ "$sanitized" != sanitized ]; then
  limit() { bash -c 'ulimit -v 400000 && exec "$@"' limit "$@"; }
  limit "$pairscan" zeros.pdb.gz //A out.pairtab 2>bomb.txt; echo $? >>bomb.txt
  limit "$pairscan" --max-input-size 100M remarks.pdb.gz //A out.pairtab 2>>bomb.txt; echo $? >>bomb.txt
  limit "$pairpick" --max-input-size 100M remarks.pdb.gz //A out.xyz 2>>bomb.txt; echo $? >>bomb.txt
  expect 'gzip bombs' 'pairscan: zeros.pdb.gz: neither a PDB nor an mmCIF file\n2
pairscan: remarks.pdb.gz: larger than 104857600 bytes decompressed (the largest structures are a few hundred MB); --max-input-size raises the bound\n2
pairpick: remarks.pdb.gz: larger than 104857600 bytes decompressed (the largest structures are a few hundred MB); --max-input-size raises the bound\n2\n' bomb.txt
fi
run "$pairscan" "--max-input-size 100000 1hpv.pdb //A out.pairtab"
expect 'a plain file past the bound' "2\npairscan: 1hpv.pdb: larger than 100000 bytes decompressed (the largest structures are a few hundred MB); --max-input-size raises the bound\n" \
  <(cat status.txt stderr.txt)
run "$pairscan" "--max-input-size 4X 1hpv.pdb //A out.pairtab"
expect '--max-input-size 4X' "1\npairscan: --max-input-size takes a number of bytes such as 4G, not '4X'\n" <(cat status.txt; head -n 1 stderr.txt)
finish
