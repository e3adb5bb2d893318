#!/usr/bin/python3
"""Surface areas: pairscan's buried area of every chain pair (one surface per chain, all pairs from it) against
FreeSASA's one surface of the whole entry, processor time and accuracy, side by side in one run.

For each entry: pairscan --interfaces --write areas (and without areas, to show what the areas cost); the
freesasa command on the whole entry by Shrake-Rupley at the same points (the same method and points: the same
accuracy) and Lee-Richards at 20 slices, one thread; the
error of each against Lee-Richards at 100 slices (FreeSASA's Python module): FreeSASA's on the entry's total,
pairscan's on each chain's area alone (the largest error of its chains) and on each touching pair's buried area.

    /usr/bin/python3 bench/areas.py --build build [--repeat 5]
Prints a Markdown table.
"""
import argparse
import gzip
import os
import shutil
import subprocess
import sys
import tempfile

import freesasa
import gemmi

from measure import cpu

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.path.join(ROOT, "..", "shared", "data", "structures")
ENTRIES = [os.path.join(ROOT, "tests", "scanner", "data", "1a0q.pdb.gz"),
           os.path.join(ROOT, "examples", "structures", "2BEG.pdb.gz"),
           os.path.join(ROOT, "examples", "structures", "7CFN.cif.gz"),
           os.path.join(ROOT, "tests", "scanner", "data", "1hwu.pdb.gz"),
           os.path.join(SHARED, "complexes", "1tf6.pdb.gz")]


def atoms_of(path):
    structure = gemmi.read_structure(path)
    structure.remove_alternative_conformations()
    return [(chain.name, residue, atom) for chain in structure[0] for residue in chain if residue.het_flag != "H"
            and not residue.is_water() for atom in residue if not atom.is_hydrogen()]


def lee_richards(atoms, chains=None):
    freesasa.setVerbosity(freesasa.silent)
    structure = freesasa.Structure()
    for chain, residue, atom in atoms:
        if chains is None or chain in chains:
            structure.addAtom(atom.padded_name(), residue.name, f"{residue.seqid.num:4d}{residue.seqid.icode}", chain,
                              atom.pos.x, atom.pos.y, atom.pos.z)
    return freesasa.calc(structure, freesasa.Parameters({"algorithm": freesasa.LeeRichards, "n-slices": 100})).totalArea()


def freesasa_total(path, work, options, repeat):
    """The freesasa command's total area of the entry and its processor time, on a plain PDB copy (it reads no
    gzip, and Debian's freesasa 2.1.2 aborts on some mmCIF files)."""
    plain = os.path.join(work, os.path.basename(path).split(".")[0] + ".pdb")
    if path.endswith(".cif.gz"):
        gemmi.read_structure(path).write_pdb(plain)
    else:
        with gzip.open(path, "rb") as source, open(plain, "wb") as out:
            shutil.copyfileobj(source, out)
    command = ["freesasa", "--n-threads=1", *options, plain]
    text = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    total = float(next(line for line in text.splitlines() if line.startswith("Total")).split(":")[1])
    return total, cpu(command, repeat)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--points", type=int, default=960, help="pairscan's points a sphere")
    args = parser.parse_args()
    pairscan = os.path.join(os.path.abspath(args.build), "scanner", "pairscan")
    print(f"| entry | atoms | chain pairs | pairscan, all pairs with areas (s) | without areas (s) | FreeSASA SR {args.points}, whole entry (s) "
          "| its error | FreeSASA LR 20 (s) | its error | pairscan's largest chain error | largest pair error (A^2) |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    work = tempfile.mkdtemp(prefix="areas-bench-")
    try:
        for path in ENTRIES:
            name = os.path.basename(path).split(".")[0].upper()
            atoms = atoms_of(path)
            out = os.path.join(work, name)
            with_areas = cpu([pairscan, "--interfaces", out, "--write", "areas", "--area-points", str(args.points), path],
                             args.repeat)
            plain = cpu([pairscan, "--interfaces", out + "_plain", path], args.repeat)
            reference = lee_richards(atoms)
            # The same method at the same points: the same accuracy.
            sr_total, sr_time = freesasa_total(path, work, ["--shrake-rupley", f"--resolution={args.points}"], args.repeat)
            lr_total, lr_time = freesasa_total(path, work, ["--lee-richards", "--resolution=20"], args.repeat)
            with open(os.path.join(out, "summary.tsv")) as lines:
                header = next(lines).rstrip("\n").split("\t")
                rows = [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]
            alone, chain_error, pair_error = {}, 0.0, 0.0
            for row in rows:
                if not row["folder"]:
                    continue
                first, second = row["first"], row["second"]
                for chain in (first, second):
                    if chain not in alone:
                        alone[chain] = lee_richards(atoms, {chain})
                buried = alone[first] + alone[second] - lee_richards(atoms, {first, second})
                pair_error = max(pair_error, abs(float(row["buried_area"]) - buried))
                with open(os.path.join(out, row["folder"], "areas.tsv")) as lines:
                    next(lines)
                    sums = {}
                    for line in lines:
                        fields = line.split("\t")
                        sums[fields[1]] = sums.get(fields[1], 0) + float(fields[5])
                for chain, total in sums.items():
                    chain_error = max(chain_error, abs(total - alone[chain]) / alone[chain])
            print(f"| {name} | {len(atoms):,} | {len(rows)} | {with_areas:.3f} | {plain:.3f} | {sr_time:.3f} "
                  f"| {100 * abs(sr_total - reference) / reference:.2f}% | {lr_time:.3f} "
                  f"| {100 * abs(lr_total - reference) / reference:.2f}% | {100 * chain_error:.3f}% | {pair_error:.1f} |",
                  flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
