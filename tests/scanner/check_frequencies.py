#!/usr/bin/python3
"""pairscan --models against a brute-force NumPy count written from the rule (residue pairs of chain A with an
atom pair within the cut-off, at least MIN_SEPARATION apart in sequence, hydrogens left out), on the ten models of
the NMR entry 1D3Z and on a copy whose models are perturbed; and each model's pairs as a run of that model alone
gives them (the model written as a file of its own).
Every interface over models: each chain pair's residue-pairs.tsv of --interfaces --models equals the run of its
two chains over the models, on an ensemble made of a five-chain entry.
    check_frequencies.py PAIRSCAN 1D3Z.pdb.gz FIVE_CHAINS.pdb.gz
"""
import gzip
import os
import re
import subprocess
import sys
import tempfile

import gemmi
import numpy as np

CUTOFF, SEPARATION = np.float32(4.0), 3


def table(path):
    with open(path) as lines:
        header = next(lines).rstrip("\n").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]


def brute_force(structure):
    """Residue-number pairs to the models in which they touch."""
    counts = {}
    for model in structure:
        atoms = [(residue.seqid.num, atom.pos) for residue in model["A"] for atom in residue if not atom.is_hydrogen()]
        xyz = np.array([[p.x, p.y, p.z] for _, p in atoms], dtype=np.float32)
        numbers = np.array([n for n, _ in atoms])
        found = set()
        for i in range(len(atoms)):
            # As the engine measures: float32 squares, x and y summed first, then z, the root in double, narrowed.
            d = xyz[i + 1:] - xyz[i]
            s = d[:, 0] * d[:, 0] + d[:, 1] * d[:, 1]
            s = d[:, 2] * d[:, 2] + s
            near = np.nonzero(np.sqrt(s.astype(np.float64)).astype(np.float32) <= CUTOFF)[0] + i + 1
            for j in near:
                a, b = numbers[i], numbers[j]
                if abs(a - b) >= SEPARATION:
                    found.add((min(a, b), max(a, b)))
        for pair in found:
            counts[pair] = counts.get(pair, 0) + 1
    return counts


def run(pairscan, path, models, out):
    subprocess.run([pairscan, "--models", models, "--residue-pairs", out, "--min-separation", str(SEPARATION), path,
                    "//A", out + ".pairtab"], check=True)
    return {(int(r["number1"]), int(r["number2"])): (int(r["models_in_contact"]), r["frequency"]) for r in table(out)}


def main():
    pairscan, source, chains = sys.argv[1], sys.argv[2], sys.argv[3]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        structure = gemmi.read_structure(source)
        # The same entry with each model's atoms moved at random by up to 0.5 A: other pairs come and go.
        moved = gemmi.read_structure(source)
        generator = np.random.default_rng(7)
        for model in moved:
            for chain in model:
                for residue in chain:
                    for atom in residue:
                        dx, dy, dz = generator.uniform(-0.5, 0.5, 3)
                        atom.pos = gemmi.Position(round(atom.pos.x + dx, 3), round(atom.pos.y + dy, 3), round(atom.pos.z + dz, 3))
        moved_path = os.path.join(work, "moved.pdb")
        moved.write_pdb(moved_path)
        for name, path, entry in [("1D3Z", source, structure), ("perturbed 1D3Z", moved_path, moved)]:
            got = run(pairscan, path, "all", os.path.join(work, "all.tsv"))
            want = brute_force(entry)
            n = len(entry)
            if {k: v[0] for k, v in got.items()} != want:
                missing = set(want) - set(got)
                extra = set(got) - set(want)
                problems.append(f"{name}: {len(missing)} pairs missing, {len(extra)} extra, "
                                f"{sum(got[k][0] != want[k] for k in set(got) & set(want))} counted otherwise")
            for pair, (count, frequency) in got.items():
                if not 0 < count <= n or abs(float(frequency) - count / n) > 1e-6:
                    problems.append(f"{name} {pair}: frequency {frequency} of {count} models in {n}")
        # The map of the models: a cell per residue pair (twice, across the diagonal), each showing its models in
        # contact as the table counts them, on a scale titled frequency.
        picture = os.path.join(work, "map.svg")
        subprocess.run([pairscan, "--models", "all", "--residue-pairs", os.path.join(work, "t.tsv"), "--map", picture,
                        "--min-separation", str(SEPARATION), source, "//A", os.path.join(work, "t.pairtab")], check=True)
        counts = {(int(r["number1"]), int(r["number2"])): r["models_in_contact"] for r in table(os.path.join(work, "t.tsv"))}
        svg = open(picture).read()
        cells = re.findall(r"<title>A(\d+) \w+ - A(\d+) \w+: in contact in (\d+) of 10 models", svg)
        shown = {(min(int(a), int(b)), max(int(a), int(b))): n for a, b, n in cells}
        if len(cells) != 2 * len(counts) or shown != counts or ">frequency<" not in svg or "frequency over 10 models" not in svg:
            problems.append(f"the map of the models: {len(cells)} cells for {len(counts)} pairs")
        # Each model as a run of that model alone: written as a file of its own, with the same coordinates.
        for number in ("2", "7"):
            single = gemmi.read_structure(source)
            for k in reversed(range(len(single))):
                if single[k].name != number:
                    del single[k]
            single_path = os.path.join(work, f"model{number}.pdb")
            single.write_pdb(single_path)
            alone = os.path.join(work, "alone.tsv")
            subprocess.run([pairscan, "--residue-pairs", alone, "--min-separation", str(SEPARATION), single_path, "//A",
                            alone + ".pairtab"], check=True)
            want = {(int(r["number1"]), int(r["number2"])) for r in table(alone)}
            got = run(pairscan, source, number, os.path.join(work, "one.tsv"))
            if set(got) != want or any(v != (1, "1") for v in got.values()):
                problems.append(f"model {number}: its pairs are not those of a run of it alone")
        # Every interface over models: an ensemble of three moved copies of the five-chain entry.
        entry = gemmi.read_structure(chains)
        ensemble = gemmi.Structure()
        ensemble.cell, ensemble.spacegroup_hm = entry.cell, entry.spacegroup_hm
        for k in range(3):
            model = entry[0].clone()
            model.name = str(k + 1)
            for chain in model:
                for residue in chain:
                    for atom in residue:
                        dx, dy, dz = generator.uniform(-0.8, 0.8, 3)
                        atom.pos = gemmi.Position(round(atom.pos.x + dx, 3), round(atom.pos.y + dy, 3), round(atom.pos.z + dz, 3))
            ensemble.add_model(model)
        ensemble_path = os.path.join(work, "ensemble.pdb")
        ensemble.write_pdb(ensemble_path)
        folder = os.path.join(work, "interfaces")
        subprocess.run([pairscan, "--interfaces", folder, "--models", "all", "--write", "residue-pairs", ensemble_path],
                       check=True)
        pairs = 0
        for row in table(os.path.join(folder, "summary.tsv")):
            first, second = row["first"], row["second"]
            alone = os.path.join(work, "pair.tsv")
            subprocess.run([pairscan, "--models", "all", "--residue-pairs", alone, ensemble_path, f"//{first}", f"//{second}",
                            alone + ".pairtab"], check=True)
            rows = table(alone)
            if not row["folder"]:
                if rows:
                    problems.append(f"interfaces over models: {first}-{second} has pairs but no folder")
                continue
            pairs += 1
            with open(alone) as a, open(os.path.join(folder, row["folder"], "residue-pairs.tsv")) as b:
                if a.read() != b.read():
                    problems.append(f"interfaces over models: {first}-{second} is not the run of its two chains")
        if pairs < 4:
            problems.append(f"interfaces over models: only {pairs} pairs compared")
    for p in problems:
        print(p, file=sys.stderr)
    print(f"frequencies: {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
