#!/usr/bin/python3
"""Residue-pair frequencies over a trajectory: pairscan.frequencies against an MDAnalysis loop and mdtraj's
compute_contacts, side by side in one run, on the shared 1N7G (11,034 atoms, four chains) with frames made by
moving every atom at random (0.3 A standard deviation); coordinates already in memory, one core.

Each tool counts, per frame, the residue pairs of two different chains with a heavy atom pair within 4 A:
pairscan.frequencies(..., "//*", between_chains=True); MDAnalysis's capped_distance on the heavy atoms with the
pairs mapped to residues; mdtraj's compute_contacts (closest-heavy) given candidate pairs (inter-chain pairs
whose alpha carbons are within 20 A: all ~700,000 inter-chain pairs would take it minutes a frame).
Then the peak memory of pairscan for 100 and for 400 frames streamed from a generator.

    /usr/bin/python3 bench/frequencies.py --build build [--frames 200]
"""
import argparse
import os
import resource
import subprocess
import sys
import time
import warnings

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ENTRY = os.path.join(ROOT, "..", "shared", "data", "structures", "complexes", "1n7g.pdb.gz")


def frames_of(xyz, n, seed=1):
    generator = np.random.default_rng(seed)
    for _ in range(n):
        yield xyz + generator.normal(0, 0.3, xyz.shape).astype(np.float32)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--memory-run", type=int, default=0, help=argparse.SUPPRESS)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))
    import gemmi
    import pairscan

    structure = gemmi.read_structure(ENTRY)
    xyz = np.array([a.pos.tolist() for chain in structure[0] for residue in chain for a in residue], dtype=np.float32)
    if args.memory_run:
        pairscan.frequencies(ENTRY, frames_of(xyz, args.memory_run), "//*", between_chains=True)
        print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
        return 0
    frames = np.array(list(frames_of(xyz, args.frames)))
    print("| tool | frames | processor time (s) | frames a second | residue pairs |")
    print("|---|---|---|---|---|")

    start = time.process_time()
    pairscan.frequencies(ENTRY, frames[:1], "//*", between_chains=True)
    setup = time.process_time() - start
    start = time.process_time()
    ours = pairscan.frequencies(ENTRY, frames, "//*", between_chains=True)
    spent = time.process_time() - start - setup
    print(f"| pairscan.frequencies (after reading the topology, {setup:.2f} s) | {args.frames} | {spent:.2f} "
          f"| {args.frames / spent:.0f} | {len(ours)} |", flush=True)

    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        import MDAnalysis as mda
        from MDAnalysis.lib.distances import capped_distance
        universe = mda.Universe(ENTRY)
    heavy = universe.select_atoms("not element H and not resname HOH")
    heavy_index = heavy.indices
    residue_of = heavy.resindices
    chain_of = heavy.segindices if len(set(heavy.segindices)) > 1 else np.array([a.chainID for a in heavy])
    n = min(args.frames, 50)
    counts = {}
    start = time.process_time()
    for frame in frames[:n]:
        coordinates = frame[heavy_index]
        pairs = capped_distance(coordinates, coordinates, 4.0, return_distances=False)
        pairs = pairs[chain_of[pairs[:, 0]] != chain_of[pairs[:, 1]]]
        residues = np.unique(np.sort(residue_of[pairs], axis=1), axis=0)
        for a, b in residues:
            counts[(a, b)] = counts.get((a, b), 0) + 1
    spent = time.process_time() - start
    print(f"| MDAnalysis loop (capped_distance) | {n} | {spent:.2f} | {n / spent:.1f} | {len(counts)} |", flush=True)

    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        import mdtraj
        trajectory = mdtraj.load(ENTRY)
    top = trajectory.topology
    # mdtraj keeps its own atom order: its frames are its coordinates moved the same way, and its candidates the
    # residue pairs of two chains whose alpha carbons are within 20 A (which holds every pair in contact: side chains reach 10 A).
    alpha = [(atom.residue.index, atom.residue.chain.index, atom.index) for atom in top.atoms if atom.name == "CA"]
    ca = trajectory.xyz[0][[a for _, _, a in alpha]] * 10
    close = np.sqrt(((ca[:, None] - ca[None]) ** 2).sum(axis=2)) < 20
    candidates = np.array([[alpha[i][0], alpha[j][0]] for i, j in zip(*np.nonzero(close))
                           if i < j and alpha[i][1] != alpha[j][1]])
    m = min(args.frames, 20)
    moved = np.array(list(frames_of(trajectory.xyz[0] * 10, m))) / 10.0  # nm
    traj = mdtraj.Trajectory(moved, top)
    start = time.process_time()
    distances, _ = mdtraj.compute_contacts(traj, candidates, scheme="closest-heavy", periodic=False)
    spent = time.process_time() - start
    found = int(((distances <= 0.4).any(axis=0)).sum())
    print(f"| mdtraj compute_contacts ({len(candidates):,} candidate pairs) | {m} | {spent:.2f} | {m / spent:.1f} | {found} |")

    for count in (100, 400):
        peak = subprocess.run([sys.executable, __file__, "--build", args.build, "--memory-run", str(count)],
                              capture_output=True, text=True, check=True).stdout.split()[-1]
        print(f"| peak memory, {count} frames from a generator | {count} | | | {int(peak) / 1024:.0f} MB |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
