#!/usr/bin/env bash
# The workflow on bundled structures: its summary against the programs run by hand, the structures table with
# every status, nothing to do on a second run, a deleted pair made again alone, a changed cut-off rerunning
# every structure, batches, strict runs, named pairs, chains told apart by case, self maps, names of files and
# chains that are refused or recorded, folders only for pairs in contact, the checked configuration, the record
# of the run, stale results removed, and the report in a real browser. (The Slurm cluster: slurm_test.sh.)
#   workflow_test.sh BUILD_DIR PROJECT_DIR [sanitized]
# The browser runs once: not again in the sanitizer build, where it tests nothing of ours it has not tested.
set -u
build=$(realpath "$1") project=$(realpath "$2") sanitized=${3:-}
. "$project/tests/cli/harness.sh"
pairpick=$build/picker/pairpick pairsweep=$build/finder/pairsweep
mkdir structures
cp "$project/examples/1hpv.pdb" "$project/examples/structures/1LCD.cif.gz" "$project/examples/structures/1A8O.pdb.gz" structures/
# 1HPV with chain B renamed "a": chains that differ in case alone, where case may not be told apart.
awk '/^(ATOM|HETATM)/ && substr($0, 22, 1) == "B" { $0 = substr($0, 1, 21) "a" substr($0, 23) } { print }' \
  "$project/examples/1hpv.pdb" >structures/cases.pdb
# flow [KEY=VALUE...] [OPTION...]: snakemake on the test's folders; further settings come first.
flow() { snakemake -s "$project/workflow/Snakefile" --directory "$work" --config structures="$work/structures" \
  results="$work/results" bin="$build" "$@"; }
# jobs: the jobs a dry run would start, by rule.
jobs() { flow "$@" -n 2>&1 | awk '/^Job stats/ {on = 1; next} on && NF == 4 && $2 ~ /^[0-9]+$/ {print $1, $2} /^total/ {exit}'; }

# row STRUCTURE_FILE FIRST SECOND SELECTION_1 SELECTION_2 [FOLDER]: the summary row, from the programs run by
# hand (the folder FIRST_vs_SECOND unless given; none without contacts).
row() {
  "$pairpick" "structures/$1" "$4" a.xyz && "$pairpick" "structures/$1" "$5" b.xyz
  "$pairsweep" a.xyz b.xyz 4 ab.pairtab
  residues() { cut -f"$1" ab.pairtab | cut -d: -f1 | sort -u | sort -V | paste -sd,; }
  local folder=${6-$2_vs_$3}
  [ -s ab.pairtab ] || folder=
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "${1%.gz}" "$2" "$3" "$(wc -l <a.xyz)" "$(wc -l <b.xyz)" \
    "$(wc -l <ab.pairtab)" "$(awk -F'\t' '{split($1,a,":"); split($2,b,":"); print a[1], b[1]}' ab.pairtab | sort -u | wc -l)" \
    "$(sort -t$'\t' -k3,3g ab.pairtab | head -n 1 | cut -f3)" "$(residues 1)" "$(residues 2)" "$folder"
}
header='structure\tfirst\tsecond\tfirst_atoms\tsecond_atoms\tcontacts\tresidue_pairs\tclosest\tfirst_residues\tsecond_residues\tfolder'
status_header='structure\tchains\tpolymer_chains\tatoms\tpairs\tstatus\tmessage\tligands'

flow --cores 2 -q >log.txt 2>&1
expect 'first run: status' '0\n' <(echo $?)
{ printf "$header\n"; row 1LCD.cif.gz B C //B //C; row 1LCD.cif.gz B A //B //A; row 1LCD.cif.gz C A //C //A
  row 1hpv.pdb A B //A //B; row cases.pdb A a //A //a A_vs__a; } >expected.tsv
same 'summary against the programs' expected.tsv results/summary.tsv
expect 'structures table' "$status_header
1A8O.pdb\t1\t1\t556\t0\tone_chain\tone polymer chain: no pair\t0\n1LCD.cif\t3\t3\t845\t3\tdone\t\t1
1hpv.pdb\t3\t2\t1551\t1\tdone\t\t1\ncases.pdb\t3\t2\t1551\t1\tdone\t\t1\n" results/structures.tsv
expect 'every pair has its map and list; chains A and a apart' \
  'results/1LCD.cif/B_vs_A\nresults/1LCD.cif/B_vs_C\nresults/1LCD.cif/C_vs_A\nresults/1hpv.pdb/A_vs_B\nresults/cases.pdb/A_vs__a\n' \
  <(for d in results/*/*_vs_*; do [ -s "$d/map.svg" ] && [ -s "$d/sorted.pairtab" ] && echo "$d"; done | LC_ALL=C sort)
"$build/scanner/pairscan" structures/1hpv.pdb //A //B expected.pairtab
same 'a pair list is what pairscan gives' expected.pairtab results/1hpv.pdb/A_vs_B/sorted.pairtab

expect 'second run: nothing to do' '1\n' <(flow -n 2>&1 | grep -c '^Nothing to be done')
rm -r results/1LCD.cif/B_vs_A
expect 'a deleted pair alone is made again' 'all 1\npair 1\ntotal 2\n' <(jobs)
flow --cores 2 -q >log.txt 2>&1
"$build/scanner/pairscan" --interfaces whole --maps --cutoff 4 --min-distance 2.5 --max-distance 4 structures/1LCD.cif.gz
same 'the pair made again: its list' whole/B_vs_A/sorted.pairtab results/1LCD.cif/B_vs_A/sorted.pairtab
same 'the pair made again: its map' whole/B_vs_A/map.svg results/1LCD.cif/B_vs_A/map.svg
expect 'a new cut-off reruns every structure' 'all 1\nscan 4\ntables 1\ntotal 6\n' <(jobs cutoff=5)

# A structure that cannot be read is a row of its own and a warning; the rest is done. Strict: its job fails.
printf 'hello\n' >structures/broken.pdb
flow --cores 2 -q >log.txt 2>&1
expect 'broken structure: status' '0\n' <(echo $?)
expect 'broken structure: its row' "broken.pdb\t\t\t\t0\tunreadable\t$work/structures/broken.pdb: neither a PDB nor an mmCIF file\t\n" \
  <(grep '^broken' results/structures.tsv)
expect 'broken structure: warning' "warning: 1 of 5 structures could not be read, 0 had a selection that matched no atom and 0 declare no such assembly; see $work/results/structures.tsv\n" \
  <(grep -o 'warning: .*' log.txt | sort -u)
flow strict=true --cores 2 -q --keep-going >log.txt 2>&1
expect 'strict: status' '1\n' <(echo $?)
expect 'strict: message' "pairscan: $work/structures/broken.pdb: neither a PDB nor an mmCIF file\n" <(grep -o 'pairscan: .*' log.txt | sort -u)
rm structures/broken.pdb

# Batches: each structure in batch crc32(name) mod K; the same tables; a structure added reruns its batch only.
cp results/summary.tsv one_each.tsv
flow batches=3 results="$work/batched" --cores 2 -q >log.txt 2>&1
expect 'batches: jobs' '0\n3\n' <(echo $?; ls batched/batches/*.done | wc -l)
same 'batches: the same summary' one_each.tsv batched/summary.tsv
cp structures/1hpv.pdb structures/added.pdb
expect 'batches: a structure added reruns its own batch' 'all 1\nscan_batch 1\ntables 1\ntotal 3\n' <(jobs batches=3 results="$work/batched")
rm structures/added.pdb
flow batch=2 -n >log.txt 2>&1
expect 'batches: the old key' '1\nconfig: batch=2 is replaced by batches=K\n' <(echo $?; grep -o 'config: batch=2 is replaced by batches=K' log.txt)

# Named selections instead of chain pairs; one that matches nothing gives an empty row, and a strict run fails.
rm structures/1LCD.cif.gz structures/cases.pdb
printf 'HEADER    NO LIGAND\n' >structures/nolig.pdb
grep '^ATOM' "$project/examples/1hpv.pdb" >>structures/nolig.pdb
flow 'selections={ligand: "//*/(478)", protein: "//A"}' 'pairs=[[ligand, protein]]' results="$work/named" \
  --cores 2 -q >log.txt 2>&1
expect 'named pairs: status' '0\n' <(echo $?)
{ printf "$header\n"; printf '1A8O.pdb\tligand\tprotein\t0\t556\t0\t0\t\t\t\t\n'; row 1hpv.pdb ligand protein '//*/(478)' //A
  printf 'nolig.pdb\tligand\tprotein\t0\t758\t0\t0\t\t\t\t\n'; } >expected.tsv
same 'named pairs' expected.tsv named/summary.tsv
expect 'named pairs: no match' "no_match\tselection '//*/(478)' (ligand) matches no atom\n" <(grep '^nolig' named/structures.tsv | cut -f 6,7)
expect 'named pairs: their folders' 'named/1hpv.pdb/ligand_vs_protein/map.svg\n' <(ls named/1hpv.pdb/*/map.svg)
flow 'selections={ligand: "//*/(478)", protein: "//A"}' 'pairs=[[ligand, protein]]' results="$work/named_strict" \
  strict=true --cores 2 -q --keep-going >log.txt 2>&1
expect 'named pairs, strict: status and message' "1\nselection '//*/(478)' (ligand) matches no atom\n" \
  <(echo $?; grep -o "^selection .*" log.txt | sort -u)
rm structures/nolig.pdb structures/1A8O.pdb.gz

# Self maps: each chain against itself at the configured separation, as pairscan's self mode gives it.
flow self_maps=true min_separation=6 results="$work/self" --cores 2 -q >log.txt 2>&1
"$build/scanner/pairscan" --min-separation 6 structures/1hpv.pdb //B expected.pairtab
same 'self maps: chain B' expected.pairtab self/1hpv.pdb/B_vs_B/sorted.pairtab
expect 'self maps: rows' 'A\tB\nA\tA\nB\tB\n' <(tail -n +2 self/summary.tsv | cut -f 2,3)

# Areas and kinds: the structure's rows and kinds as pairscan gives them.
mkdir capsid && cp "$project/tests/scanner/data/4qnb.pdb.gz" capsid/
flow structures="$work/capsid" results="$work/capsid.out" assembly=1 'write=[areas, kinds, interactions]' --cores 2 -q >log.txt 2>&1
"$build/scanner/pairscan" --interfaces capsid.expected --maps --cutoff 4 --min-distance 2.5 --max-distance 4 --assembly 1 \
  --write areas,kinds,interactions capsid/4qnb.pdb.gz
same 'areas and kinds: the summary' capsid.expected/summary.tsv capsid.out/4qnb.pdb/summary.tsv
same 'areas and kinds: the kinds' capsid.expected/kinds.tsv capsid.out/4qnb.pdb/kinds.tsv
same 'interactions: a pair' capsid.expected/A1_vs_A5/interactions.tsv capsid.out/4qnb.pdb/A1_vs_A5/interactions.tsv
expect 'areas, kinds and interactions: the columns' \
  'folder\tkind\tburied_area\tinterface_area\thydrogen_bond\tsalt_bridge\thydrophobic\tstacking_parallel\tstacking_t_shaped\tcation_pi\thalogen_bond\tmetal\twater_bridge\tcovalent\tclash\n' \
  <(head -n 1 capsid.out/summary.tsv | cut -f 11-)

# Models: each chain against itself over the ten models of an NMR entry, as pairscan --models gives it.
mkdir nmr && cp "$project/tests/scanner/data/1d3z.pdb.gz" nmr/
flow structures="$work/nmr" results="$work/nmr.out" models=all self_maps=true min_separation=3 --cores 2 -q >log.txt 2>&1
"$build/scanner/pairscan" --models all --residue-pairs nmr_expected.tsv --min-separation 3 nmr/1d3z.pdb.gz //A x.pairtab
same 'models: the frequencies of chain A' nmr_expected.tsv nmr.out/1d3z.pdb/A_vs_A/residue-pairs.tsv

# File names that Snakemake cannot take, or that would be one structure, stop the run before any job.
mkdir clash braces
cp "$project/examples/1hpv.pdb" clash/x.pdb && gzip -c clash/x.pdb >clash/x.pdb.gz
cp "$project/examples/1hpv.pdb" 'braces/a{1}.pdb'
flow structures="$work/clash" results="$work/clash_results" -n >log.txt 2>&1
expect 'x.pdb and x.pdb.gz' "1\n'x.pdb' and 'x.pdb.gz' would be one structure 'x.pdb'; keep one of them\n" \
  <(echo $?; grep -o "'x.pdb' and .*" log.txt | head -n 1)
flow structures="$work/braces" results="$work/braces_results" -n >log.txt 2>&1
expect 'braces in a name' "1\nstructure file 'a{1}.pdb' has '{' or '}' in its name, which Snakemake takes for a wildcard; rename it\n" \
  <(echo $?; grep -o "structure file .*" log.txt | head -n 1)
flow 'selections={Lig: "//A", lig: "//B"}' 'pairs=[[Lig, lig]]' -n >log.txt 2>&1
expect 'names apart by case alone' "1\nselection names 'Lig' and 'lig' differ in case alone; their folders would be one where case is not told apart\n" \
  <(echo $?; grep -o "selection names .*" log.txt | head -n 1)

# Names of files and chains: each case refused before any job with one line naming it, or recorded; where the
# run goes on, a later run has nothing to do.
mkdir names && cd names
hpv=$project/examples/1hpv.pdb
rename_b() { awk -v to="$1" '/^(ATOM|HETATM)/ && substr($0, 22, 1) == "B" { $0 = substr($0, 1, 21) to substr($0, 23) } { print }' "$hpv"; }
mkdir chain_e9 file_e9 tab newline twins dangling vs_twins repeated long_chain long_file no_assembly
rename_b $'\xe9' >chain_e9/e9.pdb
cp "$hpv" $'file_e9/caf\xe9.pdb'; cp "$hpv" $'tab/a\tb.pdb'; cp "$hpv" $'newline/a\nb.pdb'
cp "$hpv" twins/X.pdb; cp "$hpv" twins/x.pdb
cp "$hpv" dangling/1hpv.pdb; ln -s nowhere.pdb dangling/broken.pdb
cp "$hpv" "long_file/$(printf 'n%.0s' $(seq 1 240)).pdb"; cp "$hpv" vs_twins/1hpv.pdb; cp "$hpv" repeated/1hpv.pdb; cp "$hpv" no_assembly/1hpv.pdb
long=$(printf 'L%.0s' $(seq 1 130))
/usr/bin/python3 -c "import gemmi, sys
s = gemmi.read_structure(sys.argv[1]); s[0]['C'].name = sys.argv[2]; s.make_mmcif_document().write_file(sys.argv[3])" \
  "$project/examples/structures/1LCD.cif.gz" "$long" long_chain/long.cif
hashed() { printf '%s_%s' "${1:0:80}" "$(printf '%s' "$1" | sha256sum | cut -c 1-16)"; }
bc=$(hashed "B_vs_$long") ca=$(hashed "${long}_vs_A")
cd "$work"
# CASE@SETTINGS@STATUS@CHECK (a command on the case's results, or on its log for a refusal)@EXPECTED
while IFS='@' read -r case settings status check expected; do
  out=names/$case.out
  eval "flow structures=\"$work/names/$case\" results=\"$work/$out\" $settings --cores 2 -q" >names/$case.log 2>&1 </dev/null
  expect "names: $case: status" "$status\n" <(echo $?)
  expect "names: $case" "$expected\n" <(eval "$check")
  if [ "$status" = 0 ]; then
    expect "names: $case: a later run" '1\n' <(eval "flow structures=\"$work/names/$case\" results=\"$work/$out\" $settings -n" 2>&1 | grep -c '^Nothing to be done')
  fi
done <<CASES
chain_e9@@0@tail -n +2 \$out/summary.tsv | cut -f 2,3,6,11; ls \$out/e9.pdb | grep _vs_@A\t\xe9\t316\tA_vs_%E9\nA_vs_%E9
file_e9@@1@grep -o 'structure file .*' names/\$case.log | head -n 1@structure file 'caf\\\\xe9.pdb' has a name that is not UTF-8, which Snakemake cannot record; rename it
tab@@1@grep -o 'structure file .*' names/\$case.log | head -n 1@structure file 'a\\\\tb.pdb' has a tab, a newline or another control character in its name, which would split the tables' rows; rename it
newline@@1@grep -o 'structure file .*' names/\$case.log | head -n 1@structure file 'a\\\\nb.pdb' has a tab, a newline or another control character in its name, which would split the tables' rows; rename it
twins@@1@grep -o 'structure files .*' names/\$case.log | head -n 1@structure files 'X.pdb' and 'x.pdb' differ in case alone; their results would be one folder where case is not told apart; rename one
dangling@@0@cut -f 1,6,7 \$out/structures.tsv@structure\tstatus\tmessage\n1hpv.pdb\tdone\t\nbroken.pdb\tunreadable\tcannot read $work/names/dangling/broken.pdb: No such file or directory
vs_twins@'selections={X: "//A", vs_Y: "//B", X_vs: "//A", Y: "//B"}' 'pairs=[[X, vs_Y], [X_vs, Y]]'@1@grep -o 'selection name .*' names/\$case.log | head -n 1@selection name 'vs_Y' names folders: letters, digits, '.', '_' and '-' only, without '_vs_' (nor 'vs_' first, '_vs' last)
repeated@'selections={a: "//A", b: "//B"}' 'pairs=[[a, b], [a, b]]'@1@grep -o 'pair .* twice.*' names/\$case.log | head -n 1@pair ['a', 'b'] is given twice; its folder would be written twice
long_chain@@0@tail -n +2 \$out/summary.tsv | cut -f 11; find \$out/long.cif -mindepth 1 -type d -printf '%f\\n' | LC_ALL=C sort@$bc\nB_vs_A\n$ca\nB_vs_A\n$bc\n$ca
long_file@@0@cut -f 5,6 \$out/structures.tsv | tail -n 1@1\tdone
no_assembly@assembly=1@0@cut -f 6,7 \$out/structures.tsv | tail -n 1@no_assembly\tno assembly '1' in $work/names/no_assembly/1hpv.pdb; it declares none
CASES

# A structure of 300 small chains (10 atoms each, on a line, each touching its neighbours): folders for the
# pairs in contact only; every pair has a row.
mkdir many
/usr/bin/python3 - many/many.cif <<'PY'
import sys
import gemmi
structure, model = gemmi.Structure(), gemmi.Model("1")
for c in range(300):
    chain = gemmi.Chain(f"C{c}")
    for k in range(10):
        residue, atom = gemmi.Residue(), gemmi.Atom()
        residue.name, residue.seqid = "ALA", gemmi.SeqId(k + 1, " ")
        atom.name, atom.element, atom.pos = "CA", gemmi.Element("C"), gemmi.Position(c * 6.0 + k * 0.5, 0, 0)
        residue.add_atom(atom)
        chain.add_residue(residue)
    model.add_chain(chain)
structure.add_model(model)
structure.setup_entities()
structure.make_mmcif_document().write_file(sys.argv[1])
PY
flow structures="$work/many" results="$work/many.out" --cores 2 -q >log.txt 2>&1
expect 'many chains: rows, pairs in contact, folders' '0\n44850\n299\n299\n' \
  <(echo $?; tail -n +2 many.out/summary.tsv | wc -l; awk -F'\t' 'NR > 1 && $6 > 0' many.out/summary.tsv | wc -l
    find many.out/many.cif -mindepth 1 -maxdepth 1 -type d | wc -l)

# The configuration checked before any job: one line naming the key.
mkdir empty
while IFS='|' read -r settings message; do
  eval "flow $settings -n" >log.txt 2>&1 </dev/null
  expect "config: $settings" "1\n$message\n" <(echo $?; grep -o "^config: .*\|^structures folder .*" log.txt | head -n 1)
done <<CASES
cuttoff=5|config: Additional properties are not allowed ('cuttoff' was unexpected)
cutoff=abc|config: cutoff: 'abc' is not of type 'number'
cutoff=-1|config: cutoff: -1 is less than or equal to the minimum of 0
'write=[contacts, pictures]'|config: write.1: 'pictures' is not one of ['contacts', 'residues', 'residue-pairs', 'interactions', 'areas', 'kinds']
structures=$work/nowhere|structures folder '$work/nowhere': No such file or directory
structures=$work/empty|structures folder '$work/empty' holds no structure file (.pdb, .ent, .cif, .mmcif, each optionally .gz)
CASES

# The record of the run: the tool, the settings as used, and each input's size and SHA-256.
expect 'provenance: the tool' "tool\tpairscan\t$("$build/scanner/pairscan" --version | head -n 1)\t\t\n" <(grep '^tool' results/provenance.tsv)
expect 'provenance: a setting' 'config\tcutoff\t4\t\t\n' <(grep -P '^config\tcutoff\t' results/provenance.tsv)
expect 'provenance: an input' "structure\t1hpv.pdb\t$work/structures/1hpv.pdb\t$(stat -c %s structures/1hpv.pdb)\t$(sha256sum <structures/1hpv.pdb | cut -d' ' -f1)\n" \
  <(grep -P '^structure\t1hpv.pdb\t' results/provenance.tsv)

# A structure removed from the folder: its results go with the next run; the others' stay.
cp structures/1hpv.pdb structures/gone.pdb
flow results="$work/stale" --cores 2 -q >log.txt 2>&1
rm structures/gone.pdb
flow results="$work/stale" --cores 2 -q >log.txt 2>&1
expect 'a removed structure: its folder and rows go' '0\n0\n0\n1\n' \
  <(echo $?; ls -d stale/gone.pdb 2>/dev/null | wc -l; grep -c '^gone' stale/summary.tsv; ls -d stale/1hpv.pdb/A_vs_B | wc -l)
# A new cut-off and a deleted pair at once: the pair is made after its structure's scan, at the new cut-off.
rm -r stale/1hpv.pdb/A_vs_B
expect 'a new cut-off and a deleted pair: jobs' 'all 1\npair 1\nscan 1\ntables 1\ntotal 4\n' <(jobs results="$work/stale" cutoff=5)
flow results="$work/stale" cutoff=5 --cores 2 -q >log.txt 2>&1
"$build/scanner/pairscan" --cutoff 5 structures/1hpv.pdb //A //B expected.pairtab
same 'a new cut-off and a deleted pair: the pair at the new cut-off' expected.pairtab stale/1hpv.pdb/A_vs_B/sorted.pairtab

# Names a browser would take for a scheme, a dot folder or a fragment: their links open their maps.
mkdir links
cp "$hpv" 'links/javascript:alert(4);x.pdb'
(cd names && rename_b '.' >"$work/links/dot.pdb" && rename_b '#' >"$work/links/hash.pdb")
flow structures="$work/links" results="$work/links.out" --cores 2 -q >log.txt 2>&1
expect 'links: status' '0\n' <(echo $?)

# The bundled config's dry run is clean; the lint's one advice is a conda environment or container per rule.
flow structures="$project/examples/structures" results="$work/bundled" -n >dry.txt 2>&1
expect 'bundled config: dry run' '0\n' <(echo $?)
flow structures="$project/examples/structures" results="$work/bundled" -n --lint >lint.txt 2>&1
expect 'bundled config: lint' '    * Specify a conda environment or container for each rule.:\n' <(grep '^ *\* ' lint.txt | sort -u)

# The report in a real browser: both tables, sorting, and a map behind a link.
if [ "$sanitized" = sanitized ]; then
  echo "SKIP the report in a browser: checked by the plain build"
elif command -v chromium >/dev/null; then
  for report in results links.out; do
    run /usr/bin/python3 "$project/tests/workflow/check_report.py $work/$report/report.html"
    expect "$report: the report in chromium" '0\n' status.txt
    [ -s stderr.txt ] && cat stderr.txt
  done
else
  echo "SKIP the report in a browser: no chromium (Debian: chromium)"
fi

finish
