#!/usr/bin/env python3
"""The workflow's own cost, beside pairscan's, and its job graph at the archive's scale:
- copies of the bundled 1HPV (one chain pair each) through the workflow with --cores 2, one job per structure
  and in batches, processor time (user and system, Snakemake and all its children) per structure against
  pairscan alone on the same files;
- a structure of 300 small chains (299 pairs in contact of 44,850): pairscan, and a dry run after the run;
- a dry run of the archive's 250,000 structures in 2,000 batches (empty files: nothing is read in a dry run);
- a full run of 10,000 structures of 10 chain pairs each (links to the bundled 7CFN), then a dry run;
- the archive figure: copies of a mix of bundled real entries of archive-like sizes (mmCIF and PDB, gzipped,
  845 to 10,559 atoms, 1 to 6 chains) in batches on both cores: processor time a structure end to end, beside
  pairscan alone, and wall time against processor time (both cores busy: at most 0.6).

    python3 bench/workflow.py --structures 2000 --archive 250000 --pairs-run 10000 --build build

Prints a Markdown table. Extra Snakemake options go after "--". Peak memory is GNU time's maximum resident set.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SNAKEFILE = os.path.join(ROOT, "workflow", "Snakefile")


def timed_apart(command):
    """Wall, user and system seconds (the command and everything it waited for) and peak memory in MB."""
    wall = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%U %S %M", *command], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    wall = time.perf_counter() - wall
    if done.returncode != 0:
        sys.exit(f"failed: {' '.join(command)}\n{done.stderr[-2000:]}")
    user, system, peak = done.stderr.strip().splitlines()[-1].split()
    return wall, float(user), float(system), int(peak) / 1024


def timed(command):
    """Wall and processor seconds (user and system) and peak memory in MB."""
    wall, user, system, peak = timed_apart(command)
    return wall, user + system, peak


def apart(user, system, n):
    """The user and system parts a structure: the system part is mostly the file system creating files, and varies
    from run to run with what the disk did before (a file system without a journal checks recently freed inodes)."""
    return f"user {user / n * 1000:.2f} ms, system {system / n * 1000:.2f} ms a structure"


def flow(work, structures, results, build, extra, *options):
    """Snakemake on the folders; options of the form KEY=VALUE are settings."""
    settings = [o for o in options if "=" in o and not o.startswith("-")]
    options = [o for o in options if o not in settings]
    return ["snakemake", "-s", SNAKEFILE, "--directory", work, "-q", "--scheduler", "greedy", *extra, *options,
            "--config", f"structures={structures}", f"results={results}", f"bin={build}", *settings]


def row(what, n, wall, cpu, peak, note=""):
    print(f"| {what} | {n:,} | {wall:.1f} | {cpu:.1f} | {cpu / n * 1000:.2f} | {peak:.0f} | {note} |", flush=True)


def many_chains(path):
    """300 chains of 10 alanines, one atom each, on a line: each chain touches its two neighbours only."""
    lines = ["data_many", "loop_"] + [f"_atom_site.{c}" for c in (
        "group_PDB", "id", "type_symbol", "label_atom_id", "label_alt_id", "label_comp_id", "label_asym_id",
        "label_entity_id", "label_seq_id", "Cartn_x", "Cartn_y", "Cartn_z", "occupancy", "B_iso_or_equiv",
        "auth_seq_id", "auth_asym_id", "pdbx_PDB_model_num")]
    n = 0
    for c in range(300):
        for k in range(10):
            n += 1
            lines.append(f"ATOM {n} C CA . ALA C{c} 1 {k + 1} {c * 6.0 + k * 0.5:.3f} 0.000 0.000 1.00 20.0 {k + 1} C{c} 1")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--structures", type=int, default=2000, help="copies of 1HPV run (0: none)")
    parser.add_argument("--batches", type=int, default=40, help="batches for those copies")
    parser.add_argument("--archive", type=int, default=250000, help="structures of the dry run (0: none)")
    parser.add_argument("--archive-batches", type=int, default=2000)
    parser.add_argument("--pairs-run", type=int, default=10000, help="7CFN links, run then dry run (0: none)")
    parser.add_argument("--mix", type=int, default=1000, help="copies of the mix of real entries (0: none)")
    parser.add_argument("--mix-batches", type=int, default=20)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("snakemake_options", nargs="*")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    pairscan = os.path.join(build, "scanner", "pairscan")
    extra = args.snakemake_options
    work = tempfile.mkdtemp(prefix="workflow-bench-")
    print("| what | structures | wall (s) | processor time (s) | per structure (ms) | peak memory (MB) | note |")
    print("|---|---|---|---|---|---|---|")
    try:
        if args.structures:
            structures = os.path.join(work, "structures")
            os.makedirs(structures)
            for k in range(args.structures):
                shutil.copyfile(os.path.join(ROOT, "examples", "1hpv.pdb"), os.path.join(structures, f"s{k:06d}.pdb"))
            script = os.path.join(work, "alone.sh")
            with open(script, "w") as out:
                for name in sorted(os.listdir(structures)):
                    folder = os.path.join(work, "alone", name)
                    out.write(f"mkdir -p {folder} && {pairscan} --interfaces {folder} --maps --cutoff 4 --min-distance 2.5 "
                              f"--max-distance 4 --status {folder}/status.tsv --record-failures {structures}/{name}\n")
            wall, alone, peak = timed(["bash", script])
            row("pairscan alone, one after another", args.structures, wall, alone, peak)
            for batches in (0, args.batches):
                results = os.path.join(work, f"results{batches}")
                wall, cpu, peak = timed(flow(work, structures, results, build, extra, "--cores", "2",
                                             f"batches={batches}"))
                what = "workflow, a job per structure" if batches == 0 else f"workflow, batches={batches}"
                row(what, args.structures, wall, cpu, peak,
                    f"{(cpu - alone) / args.structures * 1000:.2f} ms a structure beyond pairscan")
        if args.mix:
            mix_sources = [os.path.join(ROOT, "examples", "structures", name) for name in
                           ("7CFN.cif.gz", "1LCD.cif.gz", "2BEG.pdb.gz", "1A8O.cif.gz")] + \
                          [os.path.join(ROOT, "tests", "scanner", "data", name) for name in
                           ("4ZHL.cif.gz", "1hwu.pdb.gz", "1a0q.pdb.gz", "4qnb.pdb.gz")]
            mix = os.path.join(work, "mix")
            os.makedirs(mix)
            for k in range(args.mix):
                source = mix_sources[k % len(mix_sources)]
                shutil.copyfile(source, os.path.join(mix, f"m{k:06d}_" + os.path.basename(source)))
            script = os.path.join(work, "mix_alone.sh")
            with open(script, "w") as out:
                for name in sorted(os.listdir(mix)):
                    folder = os.path.join(work, "mix_alone", name)
                    # The workflow's own command: with its page of the structure (pages: true).
                    out.write(f"mkdir -p {folder} && {pairscan} --interfaces {folder} --maps --cutoff 4 --min-distance 2.5 "
                              f"--max-distance 4 --html {folder}/page.html --html-viewer ../3Dmol-min.js "
                              f"--status {folder}/status.tsv --record-failures {mix}/{name}\n")
            wall, user, system, peak = timed_apart(["bash", script])
            alone = user + system
            row("mix of real entries: pairscan alone", args.mix, wall, alone, peak, apart(user, system, args.mix))
            wall, user, system, peak = timed_apart(flow(work, mix, os.path.join(work, "mix_results"), build, extra,
                                                        "--cores", "2", f"batches={args.mix_batches}"))
            cpu = user + system
            row(f"mix of real entries: workflow, batches={args.mix_batches}", args.mix, wall, cpu, peak,
                f"{(cpu - alone) / args.mix * 1000:.2f} ms beyond pairscan; wall / processor {wall / cpu:.2f}; " +
                apart(user, system, args.mix))
        # 300 chains: pairscan, the workflow, and a dry run after it.
        chains = os.path.join(work, "chains")
        os.makedirs(chains)
        many_chains(os.path.join(chains, "many.cif"))
        wall, cpu, peak = timed([pairscan, "--interfaces", os.path.join(work, "chains_alone"), "--maps",
                                 os.path.join(chains, "many.cif")])
        row("300 chains: pairscan --interfaces --maps", 1, wall, cpu, peak,
            f"{len(os.listdir(os.path.join(work, 'chains_alone'))) - 1} pair folders of 44,850 pairs")
        results = os.path.join(work, "chains_results")
        wall, cpu, peak = timed(flow(work, chains, results, build, extra, "--cores", "2"))
        row("300 chains: workflow", 1, wall, cpu, peak, "target: under 2 s")
        wall, cpu, peak = timed(flow(work, chains, results, build, extra, "-n"))
        row("300 chains: dry run after it", 1, wall, cpu, peak, "target: under 2 s")
        if args.archive:
            archive = os.path.join(work, "archive")
            os.makedirs(archive)
            for k in range(args.archive):
                open(os.path.join(archive, f"{k:06d}.cif.gz"), "w").close()
            wall, cpu, peak = timed(flow(work, archive, os.path.join(work, "archive_results"), build, extra, "-n",
                                         f"batches={args.archive_batches}"))
            row(f"dry run, batches={args.archive_batches}", args.archive, wall, cpu, peak,
                "target: under 30 s and 1 GB")
        if args.pairs_run:
            linked = os.path.join(work, "linked")
            os.makedirs(linked)
            source = os.path.join(ROOT, "examples", "structures", "7CFN.cif.gz")
            for k in range(args.pairs_run):
                os.symlink(source, os.path.join(linked, f"l{k:06d}.cif.gz"))
            results = os.path.join(work, "linked_results")
            wall, cpu, peak = timed(flow(work, linked, results, build, extra, "--cores", "2", "batches=100"))
            row("10 pairs each (7CFN): workflow, batches=100", args.pairs_run, wall, cpu, peak)
            wall, cpu, peak = timed(flow(work, linked, results, build, extra, "-n", "batches=100"))
            row("10 pairs each: dry run after it", args.pairs_run, wall, cpu, peak, "target: under 30 s")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
