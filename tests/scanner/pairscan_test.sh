#!/usr/bin/env bash
# pairscan as users run it: byte for byte the pipeline of pairpick, pairsweep and pairsift on every bundled
# structure (every chain pair from one --interfaces run, each chain against itself, a ligand against its own
# chain), the summary and map it writes, the README's examples, and its errors.
#   pairscan_test.sh PAIRSCAN PAIRPICK PAIRSWEEP PAIRSIFT PAIRMAP PROJECT_DIR
set -u
pairscan=$(realpath "$1") pairpick=$(realpath "$2") pairsweep=$(realpath "$3") pairsift=$(realpath "$4")
pairmap=$(realpath "$5") project=$(realpath "$6")
examples=$project/examples
. "$project/tests/cli/harness.sh"

# pipeline STRUCTURE SEL1 SEL2 [grep -v -F -f FILE]: the sorted list the four-program way.
pipeline() {
  "$pairpick" "$1" "$2" a.xyz && "$pairpick" "$1" "$3" b.xyz
  if [ $# -gt 3 ]; then cut -f1 a.xyz >own.txt && grep -v -F -x -f own.txt <(cut -f1 b.xyz) >keep.txt
    grep -F -f keep.txt b.xyz >b2.xyz && mv b2.xyz b.xyz; fi
  "$pairsweep" a.xyz b.xyz 4 ab.pairtab && "$pairsift" ab.pairtab expected.pairtab
}
# self STRUCTURE SEL: pairsift of the selection against itself, without an atom with itself or a pair in one residue.
self() {
  "$pairpick" "$1" "$2" a.xyz && "$pairsweep" a.xyz a.xyz 4 aa.pairtab && "$pairsift" aa.pairtab sorted.pairtab
  awk -F'\t' '{ split($1, x, ":"); split($2, y, ":"); if (x[1] != y[1]) print }' sorted.pairtab >expected.pairtab
}

for structure in "$examples/1hpv.pdb" "$examples"/structures/*.gz; do
  name=$(basename "$structure")
  rm -rf interfaces
  "$pairscan" --interfaces interfaces "$structure"
  chains=$("$pairpick" --list "$structure" | awk -F'\t' '$4 == "polymer" && $3 > 0 { print $1 }')
  for first in $chains; do
    for second in $chains; do
      [ -d "interfaces/${first}_vs_$second" ] || continue
      pipeline "$structure" "//$first" "//$second"
      same "$name $first-$second" expected.pairtab "interfaces/${first}_vs_$second/sorted.pairtab"
    done
    self "$structure" "//$first"
    "$pairscan" "$structure" "//$first" got.pairtab
    same "$name $first against itself" expected.pairtab got.pairtab
  done
done
# A folder for each pair in contact, named in its row; none for the others.
expect 'every pair of 7CFN: rows, and folders of pairs in contact' '10\n6\n' \
  <(tail -n +2 interfaces/summary.tsv | wc -l; ls -d interfaces/*_vs_* | wc -l)
expect 'every pair of 7CFN: the folder column' '' \
  <(tail -n +2 interfaces/summary.tsv | awk -F'\t' '($6 > 0) != ($11 != "") || ($11 != "" && $11 != $2 "_vs_" $3)')
# Two contacts at one distance: their order is the run's order of cells and neighbours, which --interfaces
# must keep though it finds them in one search of every chain (B1 CA lies in the neighbour cell listed first).
# In the second file the pair's box takes its lowest y from chain B and its lowest x from chain A: both partners
# share a cell along y only in the pair's own box, where they then come by atom number.
for ties in "$project"/tests/scanner/data/equal_distances*.pdb; do
  name=$(basename "$ties")
  rm -rf interfaces && "$pairscan" --interfaces interfaces "$ties"
  pipeline "$ties" //A //B
  same "$name: the pipeline order" expected.pairtab interfaces/A_vs_B/sorted.pairtab
  "$pairscan" "$ties" //A //B got.pairtab
  same "$name: the two-selection run" expected.pairtab got.pairtab
done
expect 'equal distances: neighbour cell before atom number' 'A1:GLY:CA\tB1:GLY:CA\t3\nA1:GLY:CA\tB1:GLY:N\t3\n' \
  <("$pairscan" "$project/tests/scanner/data/equal_distances.pdb" //A //B -)
expect 'equal distances: one cell, by atom number' 'A1:GLY:CA\tB1:GLY:N\t1.5\nA1:GLY:CA\tB1:GLY:CA\t1.5\n' \
  <("$pairscan" "$project/tests/scanner/data/equal_distances_y.pdb" //A //B -)
# A ligand against its own chain: the chain's other atoms, never the ligand itself.
pipeline "$examples/structures/1A8O.cif.gz" '//A/(MSE)' //A without
"$pairscan" "$examples/structures/1A8O.cif.gz" '//A/(MSE)' //A got.pairtab
same 'selenomethionines against their chain' expected.pairtab got.pairtab
expect 'no ligand atom meets itself' '0\n' <(awk -F'\t' '$1 == $2' got.pairtab | wc -l)

# The summary of one run and the map with the first selection as rows, as pairmap draws pairsweep's list.
"$pairscan" --summary row.tsv --map map.svg --title T "$examples/1hpv.pdb" '//*/(478)' //A got.pairtab
expect 'summary' "$(printf 'structure\tfirst\tsecond\tfirst_atoms\tsecond_atoms\tcontacts\tresidue_pairs\tclosest\tfirst_residues\tsecond_residues')\n1hpv.pdb\t//*/(478)\t//A\t35\t758\t35\t13\t2.5813\t200\tA23,A25,A27,A28,A29,A30,A32,A47,A48,A49,A50,A81,A84\n" row.tsv
"$pairmap" --title T --row-title '//*/(478)' --column-title //A --cutoff 4 "$examples/ligand_chainA_4.pairtab" pairmap.svg
same 'map as pairmap draws the sides' pairmap.svg map.svg

# --allow-empty: a screen over structures without the ligand finishes.
fails "$pairscan" "$examples/1hpv.pdb '//*/(NAG)' //A kept.pairtab" "pairscan: selection '//*/(NAG)' matches no atom; chains: A, B, (blank)"
run "$pairscan" "--allow-empty $examples/1hpv.pdb '//*/(NAG)' //A empty.pairtab"
expect 'allow-empty: status and output' '0\n0\n' <(cat status.txt; wc -c <empty.pairtab)
fails "$pairscan" "missing.pdb //A kept.pairtab" 'pairscan: cannot read missing.pdb: No such file or directory'
fails "$pairscan" "$examples/1hpv.pdb '//A/[Q]' kept.pairtab" "pairscan: selection '//A/[Q]': Invalid selection syntax: //A/[Q]"
fails "$pairscan" "$examples/1hpv_chainA.xyz //A kept.pairtab" "pairscan: $examples/1hpv_chainA.xyz: neither a PDB nor an mmCIF file"
fails "$pairscan" "$examples/1hpv.pdb //A //B missing/kept.pairtab" 'pairscan: cannot create missing/kept.pairtab: No such file or directory'
touch plain
fails "$pairscan" "--interfaces plain/sub $examples/1hpv.pdb" 'pairscan: cannot create plain/sub: Not a directory'

# Crystal symmetry on a hand-made cell (P -1, 10 A): an atom on the centre of inversion does not meet its own
# image, nor one 0.7 A from it; one 1 A from it does; images are named by operation and cell shift.
centre=$project/tests/scanner/data/inversion_centre.pdb
"$pairscan" --symmetry --summary row.tsv "$centre" //A got.pairtab
expect 'images of a small cell' 'A1:ALA:CA\tA1@2_555:ALA:CB\t1.5\nA1:ALA:CB\tA1@2_555:ALA:CA\t1.5\nA1:ALA:CB\tA1@2_555:ALA:CB\t3
A1:ALA:CB\tA3:GLY:CA\t3.51746\nA1:ALA:CB\tA3@2_655:GLY:CA\t3.51746\nA1@2_655:ALA:CB\tA3:GLY:CA\t3.51746\nA2:GLY:CA\tA2@2_566:GLY:CA\t1\n' got.pairtab
expect 'summary with image_contacts last' 'image_contacts\n6\n' <(cut -f 11 row.tsv)
"$pairscan" --summary row.tsv "$centre" //A got.pairtab
expect 'no image column without --symmetry' '10\n' <(head -n 1 row.tsv | awk -F'\t' '{ print NF }')
sed 's/X-RAY DIFFRACTION/ELECTRON MICROSCOPY/' "$centre" >em.pdb
fails "$pairscan" "--symmetry em.pdb //A out.pairtab" 'pairscan: --symmetry needs a crystal: em.pdb is ELECTRON MICROSCOPY, not a diffraction method'
fails "$pairscan" "--symmetry $examples/structures/7CFN.cif.gz //A out.pairtab" \
  "pairscan: --symmetry needs a unit cell: $examples/structures/7CFN.cif.gz has none (no CRYST1 or _cell, or the 1 x 1 x 1 placeholder)"
grep -v EXPDTA "$centre" | sed 's/^CRYST1.*/CRYST1    1.000    1.000    1.000  90.00  90.00  90.00 P 1           1/' >placeholder.pdb
fails "$pairscan" "--symmetry placeholder.pdb //A out.pairtab" \
  'pairscan: --symmetry needs a unit cell: placeholder.pdb has none (no CRYST1 or _cell, or the 1 x 1 x 1 placeholder)'
printf 'CRYST1    0.010    0.010    0.010  90.00  90.00  90.00 P 1           1\n' >tiny.pdb
grep '^ATOM' "$centre" >>tiny.pdb
fails "$pairscan" "--symmetry tiny.pdb //A out.pairtab" \
  'pairscan: --symmetry: the cell of tiny.pdb (1e-06 A^3) would hold 4 atoms (4 times 1 operation), less than 1 A^3 an atom'
# --interfaces with --symmetry: each pair's first chain with the second's images too, as a run of the pair
# gives them (1A8O with residues 186 on as a chain B).
zcat "$examples/structures/1A8O.pdb.gz" | awk '/^(ATOM|HETATM)/ && substr($0, 23, 4) + 0 >= 186 && substr($0, 18, 3) != "HOH" {
  $0 = substr($0, 1, 21) "B" substr($0, 23) } { print }' >split.pdb
rm -rf interfaces
"$pairscan" --symmetry --interfaces interfaces split.pdb
"$pairscan" --symmetry --summary row.tsv split.pdb //A //B got.pairtab
same 'interfaces with images: the pair run' got.pairtab interfaces/A_vs_B/sorted.pairtab
expect 'interfaces with images: the row' 'split.pdb\tA\tB\t304\t252\t239\t58\t1.33268\t85\n' <(tail -n 1 interfaces/summary.tsv | cut -f 1-8,11)

# A biological assembly: 1A8O holds one chain, its assembly a dimer whose interface --interfaces finds.
rm -rf interfaces
"$pairscan" --assembly 1 --interfaces interfaces "$examples/structures/1A8O.pdb.gz"
expect '1A8O assembly 1: one interface' '1A8O.pdb\tA1\tA2\t556\t556\t72\t22\t2.43675\n' <(tail -n +2 interfaces/summary.tsv | cut -f 1-8)
"$pairpick" --assembly 1 "$examples/structures/1A8O.pdb.gz" //A1 a.xyz && "$pairpick" --assembly 1 "$examples/structures/1A8O.pdb.gz" //A2 b.xyz
"$pairsweep" a.xyz b.xyz 4 ab.pairtab && "$pairsift" ab.pairtab expected.pairtab
same '1A8O assembly 1: the pipeline on its copies' expected.pairtab interfaces/A1_vs_A2/sorted.pairtab
fails "$pairscan" "--assembly 3 $examples/structures/1A8O.pdb.gz //A out.pairtab" \
  "pairscan: no assembly '3' in $examples/structures/1A8O.pdb.gz; it declares 1"

# An ion on an axis of the assembly is in both copies of a file's chain: kept once, in the first copy, so the
# interface has no ghost contact between the copies of one atom (all five sulfate atoms, the oxygens each onto
# another of its name's neighbours, as a sulfate on a twofold lies), and the status says how many.
rm -rf interfaces
"$pairscan" --assembly 1 --interfaces interfaces --status status.tsv "$project/tests/scanner/data/ion_on_axis.pdb"
expect 'ion on the axis: no contact closer than 0.8 A' '0\n' <(awk -F'\t' '$3 < 0.8' interfaces/A1_vs_A2/sorted.pairtab | wc -l)
expect 'ion on the axis: one sulfate, in the first copy' 'A1_101\n' <(cut -f 1,2 interfaces/A1_vs_A2/sorted.pairtab | tr '\t' '\n' | grep -o '^[^:]*_101' | sort -u)
expect 'ion on the axis: said in the status' 'assembly 1: 5 atoms on a symmetry axis kept once (copies within 0.8 A)\n' <(tail -n 1 status.tsv | cut -f 7)

# Each pair's tables with --interfaces are those of the run of its two chains.
rm -rf interfaces
"$pairscan" --interfaces interfaces --write contacts,residues,residue-pairs "$examples/1hpv.pdb"
"$pairscan" --contacts contacts.tsv --residues residues.tsv --residue-pairs residue-pairs.tsv "$examples/1hpv.pdb" //A //B got.pairtab
for noun in contacts residues residue-pairs; do same "--write $noun: the run of the pair" $noun.tsv interfaces/A_vs_B/$noun.tsv; done

# A residue pair is unordered and counted once: the summary of a self run and its map's subtitle agree with the
# distinct unordered residue pairs of its list, counted here apart.
for structure in "$examples/1hpv.pdb" "$examples/structures/1LCD.cif.gz"; do
  "$pairscan" --summary row.tsv --map self.svg "$structure" //A self.pairtab
  awk -F'\t' '{ split($1, x, ":"); split($2, y, ":"); print (x[1] < y[1] ? x[1] "\t" y[1] : y[1] "\t" x[1]) }' self.pairtab | sort -u | wc -l >counted.txt
  tail -n 1 row.tsv | cut -f 7 >summary_count.txt
  same "$(basename "$structure"): summary residue pairs" counted.txt summary_count.txt
  grep -o '[0-9]* residue pairs' self.svg | head -n 1 | cut -d ' ' -f 1 >map_count.txt
  same "$(basename "$structure"): map subtitle residue pairs" counted.txt map_count.txt
done

# The workflow's job: chains "A" and "a" get folders apart where case is not told apart, each chain against
# itself too (as a run of the chain), and the structure's status row.
awk '/^(ATOM|HETATM)/ && substr($0, 22, 1) == "B" { $0 = substr($0, 1, 21) "a" substr($0, 23) } { print }' \
  "$examples/1hpv.pdb" >cases.pdb
rm -rf interfaces
"$pairscan" --interfaces interfaces --self --min-separation 3 --status status.tsv cases.pdb
expect 'lower-case chain folders' 'A_vs_A\nA_vs__a\n_a_vs__a\nsummary.tsv\n' <(ls interfaces | LC_ALL=C sort)
expect 'rows with the chains named' 'A\ta\nA\tA\na\ta\n' <(tail -n +2 interfaces/summary.tsv | cut -f 2,3)
"$pairscan" --min-separation 3 cases.pdb //a got.pairtab
same 'a chain against itself: the self run' got.pairtab interfaces/_a_vs__a/sorted.pairtab
expect 'status of a structure' 'structure\tchains\tpolymer_chains\tatoms\tpairs\tstatus\tmessage\tligands\ncases.pdb\t3\t2\t1551\t3\tdone\t\t1\n' status.tsv
rm -rf interfaces
"$pairscan" --interfaces interfaces --status status.tsv "$examples/structures/1A8O.pdb.gz"
expect 'one chain' '1A8O.pdb\t1\t1\t556\t0\tone_chain\tone polymer chain: no pair\t0\n' <(tail -n 1 status.tsv)
rm -rf interfaces
printf 'hello\n' >junk.pdb
run "$pairscan" "--interfaces interfaces --status status.tsv --record-failures junk.pdb"
expect 'unreadable, recorded' '0\njunk.pdb\t\t\t\t0\tunreadable\tjunk.pdb: neither a PDB nor an mmCIF file\t\n1\n' \
  <(cat status.txt; tail -n 1 status.tsv; wc -l <interfaces/summary.tsv)
fails "$pairscan" "--interfaces interfaces --status status.tsv junk.pdb" 'pairscan: junk.pdb: neither a PDB nor an mmCIF file'
# Named pairs: one folder each, by name; a selection that matches nothing gives a row without atoms.
rm -rf interfaces
printf 'ligand\t//*/(478)\tprotein\t//A\nnag\t//*/(NAG)\tprotein\t//A\n' >pairs.tsv
"$pairscan" --interfaces interfaces --pairs pairs.tsv --status status.tsv "$examples/1hpv.pdb"
"$pairscan" "$examples/1hpv.pdb" '//*/(478)' //A got.pairtab
same 'named pair: the pair run' got.pairtab interfaces/ligand_vs_protein/sorted.pairtab
expect 'named pairs: rows' '1hpv.pdb\tligand\tprotein\t35\t758\t35\n1hpv.pdb\tnag\tprotein\t0\t758\t0\n' <(tail -n +2 interfaces/summary.tsv | cut -f 1-6)
expect 'named pairs: no match' "no_match\tselection '//*/(NAG)' (nag) matches no atom\n" <(tail -n 1 status.tsv | cut -f 6,7)
printf 'Lig\t//A\tlig\t//B\n' >pairs.tsv
fails "$pairscan" "--interfaces interfaces --pairs pairs.tsv $examples/1hpv.pdb" \
  "pairscan: pairs.tsv: names 'Lig' and 'lig' differ in case alone; their folders would be one where case is not told apart"
# Names whose pairs would share a folder, or a pair given twice, are refused.
while IFS='|' read -r pairs message; do
  printf "$pairs" >pairs.tsv
  fails "$pairscan" "--interfaces interfaces --pairs pairs.tsv $examples/1hpv.pdb" "pairscan: pairs.tsv$message"
done <<'CASES'
a/b\t//A\tc\t//B\n|:1: the name 'a/b' names a folder: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)
X\t//A\tvs_Y\t//B\n|:1: the name 'vs_Y' names a folder: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)
X_vs\t//A\tY\t//B\n|:1: the name 'X_vs' names a folder: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)
a_vs_b\t//A\tc\t//B\n|:1: the name 'a_vs_b' names a folder: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)
X\t//A\tY\t//B\nY\t//B\tX\t//A\nX\t//A\tY\t//B\n|: the pair 'X' and 'Y' is given twice
CASES
# A pair folder's name past 100 bytes: its first 80 bytes, "_", and 16 hex digits of the SHA-256 of the whole.
long=$(printf 'L%.0s' $(seq 1 130))
printf "short\t//A\t$long\t//B\n" >pairs.tsv
rm -rf interfaces
"$pairscan" --interfaces interfaces --pairs pairs.tsv "$examples/1hpv.pdb"
whole="short_vs_$long"
folder="${whole:0:80}_$(printf '%s' "$whole" | sha256sum | cut -c 1-16)"
expect 'a long pair name: its folder' "$folder\n$folder\n" <(ls interfaces | grep _vs_; tail -n 1 interfaces/summary.tsv | cut -f 11)
# An entry without the assembly asked for is recorded as such, not as unreadable.
"$pairscan" --interfaces interfaces --assembly 1 --status status.tsv --record-failures "$examples/1hpv.pdb"
expect 'no assembly: status' "no_assembly\tno assembly '1' in $examples/1hpv.pdb; it declares none\n" <(tail -n 1 status.tsv | cut -f 6,7)
fails "$pairscan" "--interfaces interfaces --assembly 1 $examples/1hpv.pdb" "pairscan: no assembly '1' in $examples/1hpv.pdb; it declares none"

# The pairscan commands of the README and the docs run, and each gives a non-empty result.
cat "$project/README.md" "$project"/docs/*.md | grep '^    ./build/scanner/pairscan' \
  | sed 's/ *#.*//; s/ *&&.*//; s|^    ./build/scanner/pairscan ||' | sed "s|examples/|$project/examples/|g; s| tests/scanner/data/| $project/tests/scanner/data/|g" | sort -u >readme_commands.txt
while read -r arguments; do
  run "$pairscan" "$arguments"
  result=${arguments##* }
  [ -d interfaces ] && [ "$result" = interfaces ] && result=interfaces/summary.tsv
  expect "README: $arguments" '0\nresult\n' <(cat status.txt; [ -s "$result" ] && echo result)
done <readme_commands.txt
same "README's self-contact map is the bundled one" "$project/examples/1hpv_A_self_map.svg" aa_map.svg
same "README's large map is the bundled one" "$project/examples/7cfn_self_map.svg" 7cfn_map.svg
same "README's typed map is the bundled one" "$project/examples/1hpv_ligand_types_map.svg" pocket_types.svg
same "README's typed Fab map is the bundled one" "$project/examples/1a0q_LH_types_map.svg" fab_types.svg
# pairmap marks the same cells from the interactions table.
"$pairmap" --types pocket_types.tsv pocket_types.pairtab pairmap_types.svg
same 'pairmap --types marks the cells pairscan marks' <(grep '<circle' pocket_types.svg) <(grep '<circle' pairmap_types.svg)
expect 'typed map: its legend' 'hydrogen_bond\nwater_bridge\nhydrophobic\n' \
  <(sed -n '/type-legend/,/<.g>/p' pocket_types.svg | grep -o '>[a-z_]*</text>' | sed 's/[<>]//g; s|/text||' | grep -v strongest)
# The figures for 1A8O in docs/pairscan.md: the dimer of assembly 1 is the crystal contact 6_665, atom pair for atom pair.
expect 'README: 1A8O image contacts' '260\n' <(tail -n 1 lattice.tsv | cut -f 11)
expect 'README: 1A8O assembly interface' '72\t22\t2.43675\n' <(tail -n 1 assembly/summary.tsv | cut -f 6-8)
sides() { awk -F'\t' -v mark="$1" '{ a = $1; b = $2; if (index(a, mark)) { t = a; a = b; b = t }
  gsub(/A[12]_/, "A", a); gsub(/A[12]_/, "A", b); gsub(/@6_665/, "", b); print a "\t" b }' | sort; }
grep '@6_665' lattice.pairtab | sides '@' >lattice_pairs.txt
sides 'A2_' <assembly/A1_vs_A2/sorted.pairtab >assembly_pairs.txt
same 'README: 6_665 is the assembly dimer' assembly_pairs.txt lattice_pairs.txt

# Kinds of interface: the six touching pairs of the 4QNB capsid hexamer (assembly 1) are one kind; every pair
# of two chains in contact has a kind, the others none.
rm -rf interfaces
"$pairscan" --interfaces interfaces --assembly 1 --write kinds,areas "$project/tests/scanner/data/4qnb.pdb.gz"
expect 'kinds: the hexamer' '6\n1\t6\n' <(awk -F'\t' 'NR > 1 && $11 != "" {print $12}' interfaces/summary.tsv | grep -c '^1$'
  tail -n +2 interfaces/kinds.tsv | cut -f 1,2)
expect 'kinds: only pairs in contact' '' <(awk -F'\t' 'NR > 1 && ($11 == "") != ($12 == "")' interfaces/summary.tsv)
# Areas of a run of two selections: the summary's buried area is what each side's residues have buried.
"$pairscan" --areas areas.tsv --summary summary.tsv "$examples/1hpv.pdb" //A //B got.pairtab
expect 'areas: the summary and the residues agree' 'yes\n' <(awk -F'\t' 'FNR == 1 {next} NR == FNR {b += $7; next}
  {d = $11 - b; h = $12 - $11 / 2; printf "%s\n", (d * d < 0.0025 && h * h < 0.0001) ? "yes" : "no " $11 " " b}' areas.tsv summary.tsv)
# Which atoms have an area: by default no HETATM records (the inhibitor 478), with --area-atoms all the ligand
# too, which then buries part of chain A.
"$pairscan" --areas standard.tsv "$examples/1hpv.pdb" //A '//*/(478)' got.pairtab
"$pairscan" --areas all.tsv --area-atoms all "$examples/1hpv.pdb" //A '//*/(478)' got.pairtab
expect 'area atoms: standard, then all' '0\n0\n1\nyes\n' <(grep -c '478' standard.tsv; awk -F'\t' 'NR > 1 && $7 > 0' standard.tsv | wc -l
  grep -c $'\t478\t' all.tsv; awk -F'\t' 'NR > 1 && $1 == 1 && $7 > 0 {n++} END {print (n > 10 ? "yes" : "no")}' all.tsv)

# Interaction types: each chain pair of a six-chain entry typed in one run of every interface is what a run of
# its two chains gives, table for table; the hexamer's copies are joined by their engineered disulfides.
rm -rf interfaces
hwu="$project/tests/scanner/data/1hwu.pdb.gz"
"$pairscan" --interfaces interfaces --write interactions,residue-pairs "$hwu"
for folder in interfaces/*_vs_*; do
  pair=${folder#interfaces/}
  "$pairscan" --interactions interactions.tsv --residue-pairs residue-pairs.tsv --summary summary.tsv "$hwu" "//${pair%_vs_*}" "//${pair#*_vs_}" got.pairtab
  same "interactions of $pair as its two chains give them" interactions.tsv "$folder/interactions.tsv"
  same "typed residue pairs of $pair as its two chains give them" residue-pairs.tsv "$folder/residue-pairs.tsv"
  expect "counts of $pair in the summary" "$(tail -n 1 summary.tsv | cut -f 11-)\n" \
    <(awk -F'\t' -v f="$pair" '$11 == f' interfaces/summary.tsv | cut -f 12-)
done
# A cut-off shorter than the longest criterion: the typer searches on its own and finds the same.
"$pairscan" --cutoff 2.5 --interactions short.tsv "$hwu" //A //C got.pairtab
"$pairscan" --interactions long.tsv "$hwu" //A //C got.pairtab
same 'interactions: the same at a shorter cut-off, two selections' long.tsv short.tsv
"$pairscan" --cutoff 2.5 --interactions short.tsv "$hwu" //A got.pairtab
"$pairscan" --interactions long.tsv "$hwu" //A got.pairtab
same 'interactions: the same at a shorter cut-off, one selection' long.tsv short.tsv
rm -rf short_interfaces
"$pairscan" --interfaces short_interfaces --cutoff 2.5 --write interactions "$hwu"
same 'interactions: the same at a shorter cut-off, every interface' <(cat interfaces/*_vs_*/interactions.tsv) \
  <(cat short_interfaces/*_vs_*/interactions.tsv)
rm -rf interfaces
"$pairscan" --interfaces interfaces --assembly 1 --write interactions "$project/tests/scanner/data/4qnb.pdb.gz"
expect 'interactions: a disulfide between each two neighbouring copies' '6\n' \
  <(cat interfaces/*/interactions.tsv | awk -F'\t' '$13 == "covalent" && $5 == "SG" && $10 == "SG"' | wc -l)
# --skip-links leaves them out, with the peptide bonds of a chain kept as contacts.
"$pairscan" --interfaces skipped --assembly 1 --skip-links --write contacts "$project/tests/scanner/data/4qnb.pdb.gz"
expect 'skip-links: no disulfide between copies' '0\n' <(cat skipped/*/contacts.tsv | awk -F'\t' '$5 == "SG" && $10 == "SG"' | wc -l)
"$pairscan" --skip-links "$examples/1hpv.pdb" //A got.pairtab
expect 'skip-links: peptide bonds of one chain stay contacts' 'yes\n' \
  <(awk '$1 ~ /^A1:/ && $2 ~ /^A2:/ && $3 < 1.4 {found = 1} END {print found ? "yes" : "no"}' got.pairtab)

run "$pairscan" '--help'
expect '--help' '0\nUsage: pairscan [options] STRUCTURE SELECTION [SELECTION2] OUTPUT\n' <(cat status.txt; head -n 1 stdout.txt)
for wrong in '' "$examples/1hpv.pdb //A" "--cutoff 0 $examples/1hpv.pdb //A out" "--min-separation -1 $examples/1hpv.pdb //A out" \
    "--interfaces d $examples/1hpv.pdb //A" "--maps $examples/1hpv.pdb //A out" "--frobnicate $examples/1hpv.pdb //A out" \
    "--symmetry --assembly 1 $examples/1hpv.pdb //A out" "--record-failures $examples/1hpv.pdb //A out" \
    "--pairs p.tsv $examples/1hpv.pdb //A out" "--self $examples/1hpv.pdb //A out" \
    "--areas a.tsv --symmetry $examples/1hpv.pdb //A //B out" "--area-points 0 --areas a.tsv $examples/1hpv.pdb //A out" \
    "--area-atoms some --areas a.tsv $examples/1hpv.pdb //A out" "--write areas $examples/1hpv.pdb //A out" \
    "--interfaces d --areas a.tsv $examples/1hpv.pdb" "--criterion hbond=3 --interactions i.tsv $examples/1hpv.pdb //A out" \
    "--criterion hbond_distance=-1 $examples/1hpv.pdb //A out" "--write interactions $examples/1hpv.pdb //A out" \
    "--interactions i.tsv --models all --residue-pairs r.tsv $examples/1hpv.pdb //A out" \
    "--vdw-tolerance -1 $examples/1hpv.pdb //A out" "--vdw-tolerance 0.5 --models all --residue-pairs r.tsv $examples/1hpv.pdb //A out"; do
  run "$pairscan" "$wrong"
  expect "'$wrong': status and usage" '1\nUsage: pairscan [options] STRUCTURE SELECTION [SELECTION2] OUTPUT\n' \
    <(cat status.txt; sed -n 2p stderr.txt)
done
finish
