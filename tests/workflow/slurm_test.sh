#!/usr/bin/env bash
# The workflow on a real one-node Slurm cluster (started here, as root, and stopped at the end), through the
# bundled profile: about 20 structures in batches give tables equal byte for byte to a local run's; a job that
# fails is reported as failed; a job the controller no longer knows counts as failed. Fails, not skips, where
# the daemons cannot start.
#   slurm_test.sh BUILD_DIR PROJECT_DIR
set -u
build=$(realpath "$1") project=$(realpath "$2")
. "$project/tests/cli/harness.sh"
. "$project/tests/workflow/slurm_cluster.sh"
trap 'slurm_stop "$work/cluster"; rm -rf "$work"' EXIT

slurm_start "$work/cluster" >start.txt 2>&1
expect 'the cluster starts' '0\n' <(echo $?)
[ -s start.txt ] && cat start.txt

mkdir structures
for k in 1 2 3 4; do
  cp "$project/examples/1hpv.pdb" "structures/hpv$k.pdb"
  for s in 1LCD.cif.gz 1A8O.pdb.gz 2BEG.pdb.gz 7CFN.cif.gz; do cp "$project/examples/structures/$s" "structures/$k$s"; done
done
printf 'hello\n' >structures/broken.pdb
flow() { snakemake -s "$project/workflow/Snakefile" --directory "$work" --config structures="$work/structures" bin="$build" "$@"; }

flow results="$work/local" batches=5 --cores 2 -q >local.txt 2>&1
expect 'a local run' '0\n' <(echo $?)
flow results="$work/slurm" batches=5 --profile "$project/workflow/profiles/slurm" --jobs 4 --latency-wait 30 -q \
  >slurm.txt 2>&1
expect 'the run on Slurm' '0\n' <(echo $?)
for table in summary.tsv structures.tsv report.html; do same "Slurm: $table as the local run's" local/$table slurm/$table; done
diff -r -x '*.log' -x scan.sh -x provenance.tsv -x batches local slurm >folders.diff
expect 'Slurm: every pair folder as the local run'"'"'s' '' folders.diff
[ -s folders.diff ] && head -n 20 folders.diff
expect 'Slurm: the batches ran as Slurm jobs' 'yes\n' <(ls slurm-*.out >/dev/null 2>&1 && echo yes)

# A job that fails on the cluster fails the run (strict: the unreadable structure fails its batch).
flow results="$work/strict" batches=5 strict=true --profile "$project/workflow/profiles/slurm" --jobs 4 \
  --latency-wait 30 -q >strict.txt 2>&1
expect 'Slurm: a failed job fails the run' '1\n' <(echo $?)
expect 'Slurm: the failure, named' "yes\npairscan: $work/structures/broken.pdb: neither a PDB nor an mmCIF file\n" \
  <(grep -q 'Error executing group job scan on cluster' strict.txt && echo yes; cat strict/batches/*.log)

# The status of jobs as the controller tells it, and of one it does not know (purged): failed.
status=$project/workflow/profiles/slurm/status.py
ok=$(sbatch --parsable --output=/dev/null --wrap true) bad=$(sbatch --parsable --output=/dev/null --wrap false)
for k in $(seq 1 120); do
  [ -z "$(squeue --noheader --jobs "$ok,$bad" --states=PENDING,RUNNING,COMPLETING -o %i 2>/dev/null)" ] && break
  sleep 0.5
done
expect 'status: done, failed, unknown' 'success\nfailed\nfailed\n' <("$status" "$ok"; "$status" "$bad;pairscantest"; "$status" 999999)

finish
