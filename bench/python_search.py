#!/usr/bin/env python3
"""The Python module's search against the field's Python tools, on the interface scenario's two lists: chain A's
block against chain B's at 4 Angstrom, each tool in its own process (Debian's /usr/bin/python3).

    /usr/bin/python3 bench/python_search.py --size 1000000 --build build-bench

Tools: pairscan.search; scipy's cKDTree (both trees built, then sparse_distance_matrix with
output_type='ndarray'); gemmi's NeighborSearch (list B's points as a model, populated, then find_atoms for each
point of A, the distance measured to each mark's atom); MDAnalysis' capped_distance
(Debian's python3-mdanalysis, reported as missing when it is not installed). Time is the search alone, from
arrays in memory (gemmi: from its model); memory is the process's peak resident set minus its resident set once
the arrays are loaded.
"""
import argparse
import json
import os
import resource
import subprocess
import sys
import time

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CUTOFF = 4.0


def resident():
    with open("/proc/self/status") as status:
        return next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmRSS:"))


def run_pairscan(a, b):
    return len(pairscan.search(a, b, cutoff=CUTOFF).i)


def run_ckdtree(a, b):
    return len(cKDTree(a).sparse_distance_matrix(cKDTree(b), CUTOFF, output_type="ndarray"))


def gemmi_model(b):
    """List B as a gemmi model: built before the clock starts, as the arrays are loaded for the others."""
    structure = gemmi.Structure()
    model = gemmi.Model("1")
    chain = gemmi.Chain("B")
    for start in range(0, len(b), 8):
        residue = gemmi.Residue()
        residue.name = "ALA"
        residue.seqid = gemmi.SeqId(start // 8 + 1, " ")
        for x, y, z in b[start:start + 8].tolist():
            atom = gemmi.Atom()
            atom.name = "CA"
            atom.pos = gemmi.Position(x, y, z)
            residue.add_atom(atom)
        chain.add_residue(residue)
    model.add_chain(chain)
    structure.add_model(model)
    return structure


def run_gemmi(a, structure):
    model = structure[0]
    search = gemmi.NeighborSearch(model, structure.cell, 5).populate()
    pairs = 0
    for x, y, z in a.tolist():
        position = gemmi.Position(x, y, z)
        # A little beyond the cut-off: the pairs at exactly 4 Angstrom are then measured too.
        for mark in search.find_atoms(position, "\0", radius=CUTOFF + 0.01):
            if mark.to_cra(model).atom.pos.dist(position) <= CUTOFF:
                pairs += 1
    return pairs


def run_mdanalysis(a, b):
    return len(capped_distance(a, b, CUTOFF, return_distances=True)[0])


def one(tool, arrays):
    # Imports and inputs before the clock starts.
    global pairscan, cKDTree, gemmi, capped_distance
    if tool == "pairscan":
        import pairscan
    elif tool == "ckdtree":
        from scipy.spatial import cKDTree
    elif tool == "gemmi":
        import gemmi
    elif tool == "mdanalysis":
        try:
            from MDAnalysis.lib.distances import capped_distance
        except ImportError:
            print(json.dumps({"missing": "python3-mdanalysis is not installed"}))
            return
    a, b = np.load(arrays[0]), np.load(arrays[1])
    if tool == "gemmi":
        b = gemmi_model(b)
    loaded = resident()
    start = time.perf_counter()
    pairs = {"pairscan": run_pairscan, "ckdtree": run_ckdtree, "gemmi": run_gemmi, "mdanalysis": run_mdanalysis}[tool](a, b)
    seconds = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
    print(json.dumps({"seconds": seconds, "pairs": pairs, "memory": peak - loaded}))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--size", type=int, default=1_000_000, help="points per list")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-bench"), help="Release build directory")
    parser.add_argument("--tools", default="pairscan,ckdtree,gemmi,mdanalysis")
    parser.add_argument("--one", nargs=3, metavar=("TOOL", "A.npy", "B.npy"), help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.one:
        one(args.one[0], args.one[1:])
        return

    subprocess.run(["cmake", "-S", ROOT, "-B", args.build, "-DCMAKE_BUILD_TYPE=Release"], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build, "-j2"], check=True, stdout=subprocess.DEVNULL)
    data = os.path.join(args.build, "bench-data")
    os.makedirs(data, exist_ok=True)
    n = args.size
    arrays = []
    for side in "AB":
        text, array = os.path.join(data, f"interface_{n}_{side}.xyz"), os.path.join(data, f"interface_{n}_{side}.npy")
        if not os.path.exists(text):
            subprocess.run([os.path.join(args.build, "bench", "generate_points"), "interface", str(n), data], check=True)
        if not os.path.exists(array):
            np.save(array, np.loadtxt(text, delimiter="\t", usecols=(1, 2, 3), dtype=np.float32))
        arrays.append(array)
    environment = dict(os.environ, PYTHONPATH=os.path.join(args.build, "python"))
    results = {}
    for tool in args.tools.split(","):
        done = subprocess.run([sys.executable, __file__, "--one", tool, *arrays], env=environment, check=True,
                              stdout=subprocess.PIPE)
        results[tool] = json.loads(done.stdout)
    others = [r["seconds"] for t, r in results.items() if t != "pairscan" and "seconds" in r]
    fastest = min(others) if others else None
    print("| tool | pairs | search (s) | memory beyond the arrays (MB) | time / pairscan's |")
    print("|---|---|---|---|---|")
    for tool, r in results.items():
        if "missing" in r:
            print(f"| {tool} | {r['missing']} | | | |")
            continue
        ratio = r["seconds"] / results["pairscan"]["seconds"]
        print(f"| {tool} | {r['pairs']:,} | {r['seconds']:.3f} | {r['memory'] / 1e6:.1f} | {ratio:.1f} |")
    if fastest:
        print(f"\npairscan is {fastest / results['pairscan']['seconds']:.1f}x faster than the fastest other tool "
              "(target: at least 5x)")


if __name__ == "__main__":
    main()
