#!/usr/bin/python3
"""pairpick's lists against Biopython's reading of the same files: labels and coordinates (as the floats
pairsweep keeps), first model, first conformation of each atom, no waters, no hydrogens.
    check_with_biopython.py PAIRPICK STRUCTURE..."""
import gzip
import io
import subprocess
import sys
import warnings

import numpy
from Bio.PDB import MMCIFParser, PDBParser


def expected_points(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt") as f:
        text = f.read()
    parser = MMCIFParser(QUIET=True) if ".cif" in path else PDBParser(QUIET=True)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        model = parser.get_structure("s", io.StringIO(text))[0]
    for chain in model:
        for residue in chain:
            if residue.get_resname() in ("HOH", "WAT", "DOD"):
                continue
            _, number, icode = residue.id
            joint = "_" if chain.id[-1:].isdigit() or chain.id.endswith("-") else ""
            rid = f"{chain.id.strip()}{joint}{number}{icode.strip()}"
            for atom in residue:
                if atom.is_disordered():
                    atom = atom.disordered_get_list()[0]
                if atom.element in ("H", "D"):
                    continue
                yield f"{rid}:{residue.get_resname()}:{atom.get_name()}", atom.coord


def main():
    pairpick, structures = sys.argv[1], sys.argv[2:]
    failures = 0
    for path in structures:
        out = subprocess.run([pairpick, path, "//*", "-"], check=True, capture_output=True, text=True).stdout
        # Biopython gathers a chain's atoms where pairpick keeps file order (an ion of chain C written after
        # chain A stays there), so the lists are compared as sorted lists of exact points.
        ours = sorted((f[0], tuple(numpy.float32(float(v)) for v in f[1:4])) for f in map(str.split, out.splitlines()))
        theirs = sorted((label, tuple(coord.astype(numpy.float32))) for label, coord in expected_points(path))
        problems = [] if len(ours) == len(theirs) else [f"{len(ours)} points, Biopython {len(theirs)}"]
        problems += [f"{a} against {b}" for a, b in zip(ours, theirs) if a != b][:3]
        print(f"{path}: {len(ours)} points" + "".join(f"\n  {p}" for p in problems))
        failures += bool(problems)
    sys.exit(1 if failures else 0)


main()
