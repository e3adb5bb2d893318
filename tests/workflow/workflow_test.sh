#!/usr/bin/env bash
# The workflow on two bundled structures: its summary against the programs run by hand, nothing to do on a
# second run, only a deleted pair made again, a broken structure failing alone under --keep-going, named pairs.
#   workflow_test.sh BUILD_DIR PROJECT_DIR
set -u
build=$(realpath "$1") project=$(realpath "$2")
. "$project/tests/cli/harness.sh"
pairpick=$build/picker/pairpick pairsweep=$build/finder/pairsweep
mkdir structures
cp "$project/examples/1hpv.pdb" "$project/examples/structures/1LCD.cif.gz" structures/
# flow [KEY=VALUE...] [OPTION...]: snakemake on the test's folders; further settings come first.
flow() { snakemake -s "$project/workflow/Snakefile" --directory "$work" --config structures="$work/structures" \
  results="$work/results" bin="$build" "$@"; }

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

flow --cores 2 -q >log.txt 2>&1
expect 'first run: status' '0\n' <(echo $?)
{ printf "$header\n"; row 1LCD.cif.gz B C //B //C; row 1LCD.cif.gz B A //B //A; row 1LCD.cif.gz C A //C //A
  row 1hpv.pdb A B //A //B; } >expected.tsv
same 'summary against the programs' expected.tsv results/summary.tsv
expect 'every pair has its map' '4\n' <(ls results/*/*_vs_*/map.svg | wc -l)

flow -n >dry.txt 2>&1
expect 'second run: nothing to do' '1\n' <(grep -c '^Nothing to be done' dry.txt)
# jobs: the jobs a dry run would start, by rule.
jobs() { flow -n "$@" 2>&1 | awk '/^Job stats/ {on = 1; next} on && NF == 4 && $2 ~ /^[0-9]+$/ {print $1, $2} /^total/ {exit}'; }
rm -r results/1LCD.cif/B_vs_A
expect 'a deleted pair alone is made again' 'all 1\nmap 1\npair_row 1\nsift 1\nstructure_rows 1\nsummary 1\nsweep 1\ntotal 7\n' <(jobs)

# A structure that cannot be read fails its own job with pairpick's message; the rest is done.
printf 'hello\n' >structures/broken.pdb
flow --cores 2 -q --keep-going >log.txt 2>&1
expect 'broken structure: status' '1\n' <(echo $?)
expect 'broken structure: message' "pairpick: $work/structures/broken.pdb: neither a PDB nor an mmCIF file\n" \
  <(grep -o 'pairpick: .*' log.txt | sort -u)
expect 'broken structure: the rest done' '1\n' <(ls results/1LCD.cif/B_vs_A/row.tsv | wc -l)
rm structures/broken.pdb

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

# The bundled config's dry run is clean; the lint's one advice is a conda environment or container per rule.
flow structures="$project/examples/structures" results="$work/bundled" -n >dry.txt 2>&1
expect 'bundled config: dry run' '0\n' <(echo $?)
flow structures="$project/examples/structures" results="$work/bundled" -n --lint >lint.txt 2>&1
expect 'bundled config: lint' '    * Specify a conda environment or container for each rule.:\n' <(grep '^ *\* ' lint.txt | sort -u)

# Named selections instead of chain pairs.
rm structures/1LCD.cif.gz
flow 'selections={ligand: "//*/(478)", protein: "//A"}' 'pairs=[[ligand, protein]]' results="$work/named" \
  --cores 2 -q >log.txt 2>&1
{ printf "$header\n"; row 1hpv.pdb ligand protein '//*/(478)' //A; } >expected.tsv
same 'named pairs' expected.tsv named/summary.tsv

finish
