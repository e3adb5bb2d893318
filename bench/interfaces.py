#!/usr/bin/python3
"""Every interface of an entry against its largest pair: pairscan --interfaces on each bundled multi-chain entry
against pairscan's run of the two chains of its largest touching pair (most contacts), processor time (user and
system, the mean of --repeat runs), and the page faults and peak memory of a self run beside `gemmi contact`'s
and gemmi's read of the same file (floor_gemmi, on the file decompressed: it reads plain files).

    /usr/bin/python3 bench/interfaces.py --build build [--baseline OTHER/pairscan] [--repeat 20]
Prints a Markdown table; with --baseline, the same runs of another pairscan (an earlier build) beside it.
"""
import argparse
import gzip
import os
import resource
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.path.join(ROOT, "..", "shared", "data", "structures")
ENTRIES = [os.path.join(ROOT, "examples", "structures", "7CFN.cif.gz"),
           os.path.join(ROOT, "examples", "structures", "1LCD.cif.gz"),
           os.path.join(ROOT, "examples", "structures", "2BEG.pdb.gz"),
           os.path.join(ROOT, "tests", "scanner", "data", "1hwu.pdb.gz"),
           os.path.join(SHARED, "complexes", "1tf6.pdb.gz"),
           os.path.join(SHARED, "complexes", "1n7g.pdb.gz"),
           os.path.join(ROOT, "tests", "scanner", "data", "1a0q.pdb.gz")]


def usage(command, repeat, first=0):
    """Mean processor seconds, and the largest minor page faults and peak memory (KiB) of one run. GNU time
    measures the faults and memory: a child forked from this script would count the script's own pages too.
    "{n}" in the command becomes the run's number, so that each run writes new files, as an archive run does:
    replacing the last run's files would free inodes, which this machine's file system (ext4 without a journal)
    checks at every file it creates for half a minute after."""
    times, faults, memory = [], 0, 0
    for n in range(first, first + repeat):
        # The kernel counts children's processor time finer than GNU time prints it.
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        done = subprocess.run(["/usr/bin/time", "-f", "%R %M", *(c.replace("{n}", str(n)) for c in command)],
                              stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if done.returncode != 0:
            raise SystemExit(f"bench: {' '.join(command)} failed: {done.stderr.strip()}")
        minor, peak = done.stderr.strip().splitlines()[-1].split()
        times.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
        faults, memory = max(faults, int(minor)), max(memory, int(peak))
    return sum(times) / len(times), faults, memory


def largest_pair(pairscan, path, work):
    folder = os.path.join(work, "largest")
    subprocess.run([pairscan, "--interfaces", folder, path], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "summary.tsv")) as lines:
        header = next(lines).rstrip("\n").split("\t")
        rows = [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]
    subprocess.run(["rm", "-rf", folder], check=True)
    best = max(rows, key=lambda r: int(r["contacts"]))
    return best["first"], best["second"], len([r for r in rows if r["folder"]]), len(rows)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--baseline", default="")
    parser.add_argument("--repeat", type=int, default=20)
    args = parser.parse_args()
    pairscan = os.path.join(args.build, "scanner", "pairscan")
    tools = [("", pairscan)] + ([("before: ", args.baseline)] if args.baseline else [])
    print("| entry | chains (touching pairs) | largest pair | " +
          " | ".join(f"{label}pair (ms) | {label}--interfaces (ms) | {label}ratio" for label, _ in tools) + " |")
    print("|---|---|---|" + "---|---|---|" * len(tools))
    # The shared complexes sit beside the repository in this workplace; a clone alone goes without them.
    entries = [path for path in ENTRIES if os.path.exists(path)]
    with tempfile.TemporaryDirectory() as work:
        for path in entries:
            first, second, touching, pairs = largest_pair(pairscan, path, work)
            cells = []
            for _, tool in tools:
                runs = os.path.join(work, f"{len(cells)}_{os.path.basename(path)}")
                os.makedirs(runs)
                # One run of each in turn, so that whatever the machine does meanwhile weighs on both alike.
                pair = every = 0
                for n in range(args.repeat):
                    pair += usage([tool, path, f"//{first}", f"//{second}", os.path.join(runs, "pair{n}.pairtab")],
                                  1, n)[0] / args.repeat
                    every += usage([tool, "--interfaces", os.path.join(runs, "every{n}"), path], 1, n)[0] / args.repeat
                cells.append(f"{pair * 1000:.1f} | {every * 1000:.1f} | {every / pair:.2f}")
            name = os.path.basename(path).split(".")[0]
            print(f"| {name} | {pairs} pairs ({touching}) | {first}-{second} | " + " | ".join(cells) + " |")
        # Page faults and memory of a self run against gemmi's.
        print()
        print("| entry | atoms | pairscan self: faults, peak KiB | gemmi contact: faults, peak KiB | gemmi read: peak KiB |")
        print("|---|---|---|---|---|")
        reader = os.path.join(args.build, "bench", "floor_gemmi")
        for path in entries:
            name = os.path.basename(path).split(".")[0]
            _, faults, memory = usage([pairscan, path, "//*", os.path.join(work, "self.pairtab")], args.repeat)
            _, gemmi_faults, gemmi_memory = usage(["gemmi", "contact", "-d", "4", "--ignore=1", "--nosym", "--noh", "--nowater", path],
                                                  args.repeat)
            plain = os.path.join(work, os.path.basename(path)[:-3])
            with gzip.open(path) as source, open(plain, "wb") as out:
                out.write(source.read())
            read = usage([reader, plain], args.repeat)[2] if os.path.exists(reader) else 0
            atoms = subprocess.run([os.path.join(args.build, "picker", "pairpick"), path, "//*", "-"], check=True,
                                   capture_output=True, text=True).stdout.count("\n")
            print(f"| {name} | {atoms:,} | {faults:,}, {memory:,} | {gemmi_faults:,}, {gemmi_memory:,} | {read:,} |")
    missing = [os.path.relpath(path, ROOT) for path in ENTRIES if path not in entries]
    if missing:
        print(f"\n(not measured, not here: {', '.join(missing)})")


if __name__ == "__main__":
    main()
