#!/usr/bin/env python3
"""Benchmark driver: builds in Release, runs pairsweep and then pairsift on generated inputs, measures the floors
that reading, number parsing and one write(2) per output line set on this machine, and prints one table.

    python3 bench/run.py                      # sizes 10k, 100k and 1M points per list
    python3 bench/run.py --sizes 10000 --repeat 1

Memory budgets: pairsweep, the input bytes plus the grid (128 bytes a cell) plus 64 bytes a point; pairsift, 200
bytes an input line; pairmap, three times its picture's bytes; all on top of what the program holds before
reading anything (its code and libraries); pairpick, what gemmi alone holds to read the structure plus the
output's bytes; the shell scenario, three times its input bytes. Floors, each measured in the same run:
pairsweep on the interface (few contacts) against parsing its inputs; pairsweep on the overlap against parsing
plus writing its output lines; pairsweep on the shell (a hollow assembly of n points against a probe of 800, at
cut-off 1.5) against parsing its inputs; pairsift against parsing its input plus writing its output lines;
pairmap against parsing its input; pairpick against gemmi alone reading the same mmCIF file into a structure
(floor_gemmi). The scan scenario runs pairscan on an mmCIF file of n atoms as two chains of n/2 touching at a
face: chain against chain, against gemmi alone reading the file and against the four-program pipeline (pairpick
twice, pairsweep, pairsift) on the same file; self-contacts of the structure scenario's file (chains of 80,000
atoms), against `gemmi contact` where Debian's gemmi program is installed (same cut-off, same residue ignored,
no symmetry, hydrogens or waters, writing to a file); and --interfaces on that file, against that self run.
pairscan's budget is gemmi's memory for the file plus 64 bytes an atom and 200 bytes an output line. Times are medians of --repeat runs; peak memory is the child's maximum resident set.
Two more tables follow the main one: "entries" (bench/interfaces.py: every interface of each bundled real entry
against its largest chain pair, and a self run's page faults and memory against gemmi's) and "archive"
(bench/workflow.py --mix: the workflow on copies of a mix of real entries, processor time a structure), each
after --settle seconds.
"""
import argparse
import math
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CUTOFF = "4"
SHELL_CUTOFF = "1.5"
RESIDUE_EDGE = (8 / 0.05) ** (1 / 3)  # the generator's residue cube, 8 points at 0.05 per cubic Angstrom
BYTES_PER_CELL = 128


def run(argv, stdout=subprocess.DEVNULL, expect=0):
    """Wall time in seconds and peak resident memory in bytes of one run; fails loudly on a non-zero exit.
    GNU time reports the memory and the user CPU time (in run.user): a child forked from this script would count
    the script's own pages too."""
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%U %M", *argv], stdout=stdout, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    err = done.stderr.decode().strip().splitlines()
    if done.returncode != expect or not err:
        sys.exit(f"bench: {' '.join(argv)} failed: {' '.join(err)}")
    user, memory = err[-1].split()
    run.user = float(user)
    return wall, int(memory) * 1024


def median_run(argv, repeat):
    """Median wall time and largest peak memory of repeat runs; the median user CPU time in median_run.user."""
    results, users = [], []
    for _ in range(repeat):
        results.append(run(argv))
        users.append(run.user)
    median_run.user = statistics.median(users)
    return statistics.median(r[0] for r in results), max(r[1] for r in results)


def user_ratio(program_user, floor_user, target, write_user=None):
    """User CPU time against the parse floor's: where the cost of write(2) differs between machines, this shows
    the program's own work. With write_user (the user time of the write floor, one write(2) a line, which a
    virtual machine partly counts as user time), also the ratio without it. Runs too short to time: nothing."""
    if floor_user < 0.05:
        return ""
    text = f"{program_user:.2f} / {floor_user:.2f} = {program_user / floor_user:.2f}"
    if write_user is not None:
        text += f"; without the write floor's {write_user:.2f}: {(program_user - write_user) / floor_user:.2f}"
    return text + f" (target {target})"


def count_lines(path):
    with open(path, "rb") as f:
        return sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))


def grid_bytes(n, blocks_along_x):
    """The grid pairsweep lays over the generator's blocks, from their shape."""
    m = max(1, round(math.ceil(n / 8) ** (1 / 3)))
    layers = math.ceil(math.ceil(n / 8) / (m * m))
    extents = (blocks_along_x * m * RESIDUE_EDGE, m * RESIDUE_EDGE, layers * RESIDUE_EDGE)
    cells = 1
    for extent in extents:
        cells *= int(extent / float(CUTOFF)) + 1
    return cells * BYTES_PER_CELL


def scan_rows(tool, data, n, repeat):
    """pairscan chain against chain, against gemmi reading the file and the pipeline; its self-contacts against
    gemmi contact; every interface against that self run."""
    rows = []
    cif = os.path.join(data, f"scan_{n}.cif")
    if not os.path.exists(cif):
        subprocess.run([tool["generate_points"], "scan", str(n), data], check=True)
    out = os.path.join(data, "scan.pairtab")
    scan_time, scan_memory = median_run([tool["pairscan"], cif, "//A", "//B", out], repeat)
    lines = count_lines(out)
    gemmi_time, gemmi_memory = median_run([tool["floor_gemmi"], cif], repeat)
    rows.append(("scan", "pairscan A vs B", f"{n:,} atoms, mmCIF", f"{lines:,}", scan_time, scan_memory, gemmi_time,
                 scan_time / gemmi_time, "<= 1.3" if n >= 1_000_000 else "", gemmi_memory + 64 * n + 200 * lines, None))

    sides = [os.path.join(data, f"scan_{chain}.xyz") for chain in "AB"]
    contacts, sorted_contacts = os.path.join(data, "scan_ab.pairtab"), os.path.join(data, "scan_ab_sorted.pairtab")
    steps = [[tool["pairpick"], cif, "//A", sides[0]], [tool["pairpick"], cif, "//B", sides[1]],
             [tool["pairsweep"], *sides, CUTOFF, contacts], [tool["pairsift"], contacts, sorted_contacts]]
    pipeline = statistics.median(sum(run(step)[0] for step in steps) for _ in range(repeat))
    if open(sorted_contacts, "rb").read() != open(out, "rb").read():
        sys.exit("bench: pairscan and the pipeline disagree on " + cif)
    rows.append(("scan", "pipeline A vs B", f"{n:,} atoms, mmCIF", f"{lines:,}", pipeline, 0, scan_time,
                 pipeline / scan_time, "> 1 (pairscan faster)", 0, None))
    for path in (*sides, contacts, sorted_contacts):
        os.remove(path)

    # Self-contacts and interfaces on the chains of the structure scenario's file.
    cif = os.path.join(data, f"structure_{n}.cif")
    if not os.path.exists(cif):
        subprocess.run([tool["generate_points"], "structure", str(n), data], check=True)
    self_time, self_memory = median_run([tool["pairscan"], cif, "//*", out], repeat)
    lines = count_lines(out)
    gemmi_time, gemmi_memory = median_run([tool["floor_gemmi"], cif], repeat)
    if shutil.which("gemmi"):
        with open(os.path.join(data, "gemmi_contact.txt"), "wb") as listing:
            contact = [run(["gemmi", "contact", "--maxdist", CUTOFF, "--ignore=1", "--nosym", "--noh", "--nowater", cif],
                           stdout=listing)[0] for _ in range(repeat)]
        os.remove(os.path.join(data, "gemmi_contact.txt"))
        reference, reference_name = statistics.median(contact), "gemmi contact"
    else:
        reference, reference_name = gemmi_time, "gemmi reading"
    rows.append(("scan", f"pairscan self (vs {reference_name})", f"{n:,} atoms, mmCIF", f"{lines:,}", self_time,
                 self_memory, reference, self_time / reference, "< 1" if reference_name == "gemmi contact" else "",
                 gemmi_memory + 64 * n + 200 * lines, None))
    folder = os.path.join(data, "interfaces")
    interface_time, interface_memory = median_run([tool["pairscan"], "--interfaces", folder, cif], repeat)
    pairs = count_lines(os.path.join(folder, "summary.tsv")) - 1
    rows.append(("scan", "pairscan --interfaces (vs self)", f"{n:,} atoms, mmCIF", f"{pairs:,} chain pairs",
                 interface_time, interface_memory, self_time, interface_time / self_time, "<= 1.5",
                 gemmi_memory + 64 * n + 200 * lines, None))
    shutil.rmtree(folder)
    os.remove(out)
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", default="10000,100000,1000000", help="points per list, comma-separated")
    parser.add_argument("--repeat", type=int, default=3, help="runs per measurement; the median is reported")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"), help="Release build directory")
    parser.add_argument("--scenarios", default="interface,overlap,shell,structure,scan,entries,archive",
                        help="which to run, comma-separated")
    parser.add_argument("--mix", type=int, default=1000,
                        help="the archive scenario's structures (copies of a mix of bundled real entries)")
    parser.add_argument("--settle", type=float, default=45,
                        help="seconds to wait before the entries and the archive, which create many files: after a "
                             "large deletion (this run's clean-up) ext4 without a journal makes creating files two to "
                             "four times dearer for about half a minute")
    args = parser.parse_args()

    subprocess.run(["cmake", "-S", ROOT, "-B", args.build, "-DCMAKE_BUILD_TYPE=Release"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build, "-j2"], check=True, stdout=subprocess.DEVNULL)
    tool = {name: os.path.join(args.build, sub, name) for sub, name in
            [("finder", "pairsweep"), ("sorter", "pairsift"), ("picker", "pairpick"), ("mapper", "pairmap"),
             ("scanner", "pairscan"),
             ("bench", "generate_points"),
             ("bench", "floor_parse"), ("bench", "floor_write"), ("bench", "floor_gemmi")]}
    # What any run of the program holds before it reads a byte: its code and libraries.
    baseline = max(run([tool["pairsweep"]], stdout=subprocess.DEVNULL, expect=1)[1],
                   run([tool["pairsift"]], stdout=subprocess.DEVNULL, expect=1)[1])
    data = os.path.join(args.build, "bench-data")
    os.makedirs(data, exist_ok=True)

    rows = []
    scenarios = args.scenarios.split(",")
    for n in [int(s) for s in args.sizes.split(",")]:
        for scenario in [s for s in ("interface", "overlap") if s in scenarios]:
            if scenario == "interface":
                inputs = [os.path.join(data, f"interface_{n}_A.xyz"), os.path.join(data, f"interface_{n}_B.xyz")]
            else:
                inputs = [os.path.join(data, f"overlap_{n}.xyz")] * 2
            if not all(os.path.exists(p) for p in inputs):
                subprocess.run([tool["generate_points"], scenario, str(n), data], check=True)
            contacts = os.path.join(data, f"{scenario}_{n}.pairtab")
            sorted_contacts = os.path.join(data, f"{scenario}_{n}_sorted.pairtab")
            scratch = os.path.join(data, "floor.pairtab")

            sweep_time, sweep_memory = median_run([tool["pairsweep"], *inputs, CUTOFF, contacts], args.repeat)
            n_contacts = count_lines(contacts)
            read_floor, _ = median_run([tool["floor_parse"], "read", *inputs], args.repeat)
            parse_floor, _ = median_run([tool["floor_parse"], "xyz", *inputs], args.repeat)
            write_floor, _ = median_run([tool["floor_write"], contacts, scratch], args.repeat)
            input_bytes = sum(os.path.getsize(p) for p in inputs)
            sweep_budget = baseline + input_bytes + grid_bytes(n, 2 if scenario == "interface" else 1) + 64 * 2 * n
            if scenario == "interface":
                # The target is set for the largest case; smaller runs are dominated by process start-up.
                floor, target = parse_floor, "<= 1.5" if n >= 1_000_000 else ""
            else:
                floor, target = parse_floor + write_floor, "<= 1.15"
            rows.append((scenario, "pairsweep", f"{n:,} + {n:,}", f"{n_contacts:,}", sweep_time, sweep_memory,
                         floor, sweep_time / floor, target, sweep_budget, read_floor))

            sift_time, sift_memory = median_run([tool["pairsift"], contacts, sorted_contacts], args.repeat)
            sift_user = median_run.user
            n_sorted = count_lines(sorted_contacts)
            sift_parse, _ = median_run([tool["floor_parse"], "pairtab", contacts], args.repeat)
            parse_user = median_run.user
            sift_write, _ = median_run([tool["floor_write"], sorted_contacts, scratch], args.repeat)
            write_user = median_run.user
            sift_floor = sift_parse + sift_write
            rows.append((scenario, "pairsift", f"{n_contacts:,} lines", f"{n_sorted:,}", sift_time, sift_memory,
                         sift_floor, sift_time / sift_floor, "<= 1.3" if scenario == "overlap" else "",
                         baseline + 200 * n_contacts, None, user_ratio(sift_user, parse_user, "<= 3", write_user)))

            # pairmap draws the sorted list; its floor is parsing that list. The picture is built whole in memory.
            picture = os.path.join(data, f"{scenario}_{n}.svg")
            map_time, map_memory = median_run([tool["pairmap"], sorted_contacts, picture], args.repeat)
            map_user = median_run.user
            map_parse, _ = median_run([tool["floor_parse"], "pairtab", sorted_contacts], args.repeat)
            rows.append((scenario, "pairmap", f"{n_sorted:,} lines", f"{os.path.getsize(picture) / 1e6:.1f} MB of SVG",
                         map_time, map_memory, map_parse, map_time / map_parse, "<= 2" if scenario == "overlap" else "",
                         baseline + 3 * os.path.getsize(picture), None,
                         user_ratio(map_user, median_run.user, "<= 1.5")))
            os.remove(scratch)

        # A hollow assembly: n points on a spherical shell against a probe of 800 at its surface, the shell as
        # list B and again as list A, at a clash-check cut-off; the floor is parsing both inputs.
        if "shell" in scenarios:
            shell, probe = os.path.join(data, f"shell_{n}.xyz"), os.path.join(data, f"probe_{n}.xyz")
            if not os.path.exists(shell):
                subprocess.run([tool["generate_points"], "shell", str(n), data], check=True)
            contacts = os.path.join(data, f"shell_{n}.pairtab")
            input_bytes = os.path.getsize(shell) + os.path.getsize(probe)
            parse_floor, _ = median_run([tool["floor_parse"], "xyz", probe, shell], args.repeat)
            read_floor, _ = median_run([tool["floor_parse"], "read", probe, shell], args.repeat)
            for lists, shown in (([probe, shell], "800 + shell"), ([shell, probe], "shell + 800")):
                wall, memory = median_run([tool["pairsweep"], *lists, SHELL_CUTOFF, contacts], args.repeat)
                rows.append(("shell", "pairsweep", f"{shown} ({n:,})", f"{count_lines(contacts):,}", wall, memory,
                             parse_floor, wall / parse_floor, "<= 2, memory <= 3x input" if n >= 1_000_000 else "",
                             3 * input_bytes, read_floor))
            os.remove(contacts)

        if "scan" in scenarios:
            rows.extend(scan_rows(tool, data, n, args.repeat))
        if "structure" not in scenarios:
            continue
        # pairpick on an mmCIF file of n atoms, against gemmi alone reading it into a structure.
        cif = os.path.join(data, f"structure_{n}.cif")
        if not os.path.exists(cif):
            subprocess.run([tool["generate_points"], "structure", str(n), data], check=True)
        points = os.path.join(data, f"structure_{n}.xyz")
        pick_time, pick_memory = median_run([tool["pairpick"], cif, "//*", points], args.repeat)
        gemmi_time, gemmi_memory = median_run([tool["floor_gemmi"], cif], args.repeat)
        rows.append(("structure", "pairpick", f"{n:,} atoms, mmCIF", f"{count_lines(points):,}", pick_time,
                     pick_memory, gemmi_time, pick_time / gemmi_time, "<= 1.3" if n >= 1_000_000 else "",
                     gemmi_memory + os.path.getsize(points), None))


    print("| scenario | program | input | lines out | wall (s) | peak memory (MB) | memory budget (MB) | "
          "floor (s) | ratio | target | read floor (s) | user CPU (s): program / parse floor |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for row in rows:
        (scenario, program, points, lines_out, wall, memory, floor, ratio, target, budget, read_floor) = row[:11]
        read_text = f"{read_floor:.3f}" if read_floor is not None else ""
        user_text = row[11] if len(row) > 11 else ""
        print(f"| {scenario} | {program} | {points} | {lines_out} | {wall:.3f} | {memory / 1e6:.1f} | "
              f"{budget / 1e6:.1f} | {floor:.3f} | {ratio:.2f} | {target} | {read_text} | {user_text} |")

    # The bundled real entries and the archive figure have tables of their own; each script says what it measures.
    # Each after a pause: the run before it has just deleted its files.
    python = "/usr/bin/python3"
    if "entries" in scenarios:
        time.sleep(args.settle)
        print("\n## Real entries: every interface against its largest pair; a self run's page faults and memory\n"
              "(targets: ratio <= 1.2; faults <= 1.5x gemmi contact's, memory <= 1.2x gemmi's read, 5k-11k atoms)\n",
              flush=True)
        subprocess.run([python, os.path.join(ROOT, "bench", "interfaces.py"), "--build", args.build,
                        "--repeat", str(max(args.repeat, 5))], check=True)
    if "archive" in scenarios and args.mix > 0:
        time.sleep(args.settle)
        print("\n## The archive figure (targets: <= 20 ms of processor time a structure, wall <= 0.6x processor, "
              "<= 5 ms beyond pairscan)\n", flush=True)
        subprocess.run([python, os.path.join(ROOT, "bench", "workflow.py"), "--build", args.build, "--structures", "0",
                        "--archive", "0", "--pairs-run", "0", "--mix", str(args.mix)], check=True)


if __name__ == "__main__":
    main()
