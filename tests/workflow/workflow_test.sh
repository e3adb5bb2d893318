#!/usr/bin/env bash
# The workflow on bundled structures: its summary against the programs run by hand, the structures table with
# every status, nothing to do on a second run, a deleted pair made again alone, a changed cut-off rerunning
# every structure, batches, strict runs, named pairs, chains told apart by case, self maps, the cluster form
# through a stand-in scheduler, and the report in a real browser.
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

# row STRUCTURE_FILE FIRST SECOND SELECTION_1 SELECTION_2: the summary row, from the programs run by hand.
row() {
  "$pairpick" "structures/$1" "$4" a.xyz && "$pairpick" "structures/$1" "$5" b.xyz
  "$pairsweep" a.xyz b.xyz 4 ab.pairtab
  residues() { cut -f"$1" ab.pairtab | cut -d: -f1 | sort -u | sort -V | paste -sd,; }
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "${1%.gz}" "$2" "$3" "$(wc -l <a.xyz)" "$(wc -l <b.xyz)" \
    "$(wc -l <ab.pairtab)" "$(awk -F'\t' '{split($1,a,":"); split($2,b,":"); print a[1], b[1]}' ab.pairtab | sort -u | wc -l)" \
    "$(sort -t$'\t' -k3,3g ab.pairtab | head -n 1 | cut -f3)" "$(residues 1)" "$(residues 2)"
}
header='structure\tfirst\tsecond\tfirst_atoms\tsecond_atoms\tcontacts\tresidue_pairs\tclosest\tfirst_residues\tsecond_residues'
status_header='structure\tchains\tpolymer_chains\tatoms\tpairs\tstatus\tmessage\tligands'

flow --cores 2 -q >log.txt 2>&1
expect 'first run: status' '0\n' <(echo $?)
{ printf "$header\n"; row 1LCD.cif.gz B C //B //C; row 1LCD.cif.gz B A //B //A; row 1LCD.cif.gz C A //C //A
  row 1hpv.pdb A B //A //B; row cases.pdb A a //A //a; } >expected.tsv
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
expect 'broken structure: warning' "warning: 1 of 5 structures could not be read and 0 had a selection that matched no atom; see $work/results/structures.tsv\n" \
  <(grep -o 'warning: .*' log.txt | sort -u)
flow strict=true --cores 2 -q --keep-going >log.txt 2>&1
expect 'strict: status' '1\n' <(echo $?)
expect 'strict: message' "pairscan: $work/structures/broken.pdb: neither a PDB nor an mmCIF file\n" <(grep -o 'pairscan: .*' log.txt | sort -u)
rm structures/broken.pdb

# Batches: two structures a job, the same tables.
cp results/summary.tsv one_each.tsv
flow batch=2 results="$work/batched" --cores 2 -q >log.txt 2>&1
expect 'batches: jobs' '0\n2\n' <(echo $?; ls batched/batches/*.done | wc -l)
same 'batches: the same summary' one_each.tsv batched/summary.tsv

# Named selections instead of chain pairs; one that matches nothing gives an empty row, and a strict run fails.
rm structures/1LCD.cif.gz structures/cases.pdb
printf 'HEADER    NO LIGAND\n' >structures/nolig.pdb
grep '^ATOM' "$project/examples/1hpv.pdb" >>structures/nolig.pdb
flow 'selections={ligand: "//*/(478)", protein: "//A"}' 'pairs=[[ligand, protein]]' results="$work/named" \
  --cores 2 -q >log.txt 2>&1
expect 'named pairs: status' '0\n' <(echo $?)
{ printf "$header\n"; printf '1A8O.pdb\tligand\tprotein\t0\t556\t0\t0\t\t\t\n'; row 1hpv.pdb ligand protein '//*/(478)' //A
  printf 'nolig.pdb\tligand\tprotein\t0\t758\t0\t0\t\t\t\n'; } >expected.tsv
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

# The cluster form: each job script handed to a stand-in scheduler that runs it in the background.
# Two structures, grouped into one job script.
cp structures/1hpv.pdb structures/copy.pdb
printf '#!/usr/bin/env bash\n# submit.sh JOBSCRIPT: runs it in the background, as a scheduler would.\nnohup bash "$1" >/dev/null 2>&1 &\necho submitted\n' >submit.sh
flow results="$work/cluster" --cluster "bash $work/submit.sh" --jobs 2 --group-components scan=2 --latency-wait 30 -q >log.txt 2>&1
expect 'cluster: status' '0\n' <(echo $?)
{ printf "$header\n"; row 1hpv.pdb A B //A //B; row copy.pdb A B //A //B; } >expected.tsv
same 'cluster: the summary' expected.tsv cluster/summary.tsv
expect 'cluster: one job for both structures' '1\n' <(grep -c 'Submitted group job' log.txt)

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

# The bundled config's dry run is clean; the lint's one advice is a conda environment or container per rule.
flow structures="$project/examples/structures" results="$work/bundled" -n >dry.txt 2>&1
expect 'bundled config: dry run' '0\n' <(echo $?)
flow structures="$project/examples/structures" results="$work/bundled" -n --lint >lint.txt 2>&1
expect 'bundled config: lint' '    * Specify a conda environment or container for each rule.:\n' <(grep '^ *\* ' lint.txt | sort -u)

# The report in a real browser: both tables, sorting, and a map behind a link.
if [ "$sanitized" = sanitized ]; then
  echo "SKIP the report in a browser: checked by the plain build"
elif command -v chromium >/dev/null; then
  run /usr/bin/python3 "$project/tests/workflow/check_report.py $work/results/report.html"
  expect 'report in chromium' '0\n' status.txt
  [ -s stderr.txt ] && cat stderr.txt
else
  echo "SKIP the report in a browser: no chromium (Debian: chromium)"
fi

finish
