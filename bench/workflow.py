#!/usr/bin/env python3
"""The workflow's own cost, beside pairscan's: copies of the bundled 1HPV (one chain pair each) through the
workflow with --cores 2 and one job per structure, the processor time (user and system, Snakemake and all its
children) per structure against pairscan alone on the same files, then a dry run of many structures.

    python3 bench/workflow.py --structures 1000 --dry-run 10000 --build build

Prints a Markdown table. Extra Snakemake options (such as --scheduler greedy) go after "--".
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, **kwargs):
    """Wall and processor seconds (the command and everything it waited for)."""
    cpu, wall = children_cpu(), time.perf_counter()
    subprocess.run(command, check=True, **kwargs)
    return time.perf_counter() - wall, children_cpu() - cpu


def copies(folder, n):
    os.makedirs(folder)
    source = os.path.join(ROOT, "examples", "1hpv.pdb")
    for k in range(n):
        shutil.copyfile(source, os.path.join(folder, f"s{k:06d}.pdb"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--structures", type=int, default=1000)
    parser.add_argument("--dry-run", type=int, default=10000, help="structures in the dry run (0: none)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--batch", type=int, default=1)
    parser.add_argument("snakemake_options", nargs="*")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    pairscan = os.path.join(build, "scanner", "pairscan")
    work = tempfile.mkdtemp(prefix="workflow-bench-")
    try:
        structures = os.path.join(work, "structures")
        copies(structures, args.structures)
        names = sorted(os.listdir(structures))
        # pairscan alone: the job's own command, structure after structure.
        cpu, wall = children_cpu(), time.perf_counter()
        for name in names:
            out = os.path.join(work, "alone", name)
            os.makedirs(out)
            subprocess.run([pairscan, "--interfaces", out, "--maps", "--cutoff", "4", "--min-distance", "2.5",
                            "--max-distance", "4", "--status", os.path.join(out, "status.tsv"), "--record-failures",
                            os.path.join(structures, name)], check=True)
        alone_wall, alone_cpu = time.perf_counter() - wall, children_cpu() - cpu
        flow = ["snakemake", "-s", os.path.join(ROOT, "workflow", "Snakefile"), "--directory", work, "--cores", "2",
                "-q", *args.snakemake_options, "--config", f"structures={structures}",
                f"results={os.path.join(work, 'results')}", f"bin={build}", f"batch={args.batch}"]
        run_wall, run_cpu = timed(flow, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        n = len(names)
        per_alone, per_run = alone_cpu / n, run_cpu / n
        print(f"| what | structures | wall (s) | processor time (s) | per structure (ms) |")
        print(f"|---|---|---|---|---|")
        print(f"| pairscan alone, one after another | {n:,} | {alone_wall:.1f} | {alone_cpu:.1f} | {per_alone * 1000:.1f} |")
        print(f"| workflow, --cores 2, batch {args.batch} | {n:,} | {run_wall:.1f} | {run_cpu:.1f} | {per_run * 1000:.1f} "
              f"(target <= {1.5 * per_alone * 1000 + 20:.1f}: 1.5 x pairscan + 20) |")
        if args.dry_run:
            many = os.path.join(work, "many")
            os.makedirs(many)
            source = os.path.join(structures, names[0])
            for k in range(args.dry_run):
                os.symlink(source, os.path.join(many, f"m{k:06d}.pdb"))
            dry = ["snakemake", "-s", os.path.join(ROOT, "workflow", "Snakefile"), "--directory", work, "-n", "-q",
                   *args.snakemake_options, "--config", f"structures={many}", f"results={os.path.join(work, 'many_results')}",
                   f"bin={build}", f"batch={args.batch}"]
            dry_wall, dry_cpu = timed(dry, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            print(f"| dry run (-n) | {args.dry_run:,} | {dry_wall:.1f} | {dry_cpu:.1f} | {dry_cpu / args.dry_run * 1000:.1f} "
                  f"(target: under 60 s in all) |")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
