#!/usr/bin/python3
"""pairscan's surface areas against FreeSASA (Debian python3-freesasa, Lee-Richards at 100 slices, its default
radii and probe): on each entry, every chain's area alone within 0.5%, each touching pair's buried area within
1% or 5 A^2 (the larger), and every residue's area alone and buried within 2.5 A^2. FreeSASA is given the atoms
pairscan counts (the first conformer, no hydrogens, waters or HETATM records), picked here with gemmi.
    check_areas.py PAIRSCAN STRUCTURE...
"""
import os
import subprocess
import sys
import tempfile

import freesasa
import gemmi

PARAMETERS = freesasa.Parameters({"algorithm": freesasa.LeeRichards, "n-slices": 100})


def atoms_of(path):
    structure = gemmi.read_structure(path)
    structure.remove_alternative_conformations()
    return [(chain.name, residue, atom) for chain in structure[0] for residue in chain if residue.het_flag != "H"
            and not residue.is_water() for atom in residue if not atom.is_hydrogen()]


def reference(atoms, chains):
    """Total area and each residue's, of the chains' atoms together."""
    freesasa.setVerbosity(freesasa.silent)
    structure = freesasa.Structure()
    for chain, residue, atom in atoms:
        if chain in chains:
            structure.addAtom(atom.padded_name(), residue.name, f"{residue.seqid.num:4d}{residue.seqid.icode}", chain,
                              atom.pos.x, atom.pos.y, atom.pos.z)
    result = freesasa.calc(structure, PARAMETERS)
    residues = {(chain, number.strip()): area.total for chain, by in result.residueAreas().items()
                for number, area in by.items()}
    return result.totalArea(), residues


def table(path):
    with open(path) as lines:
        header = next(lines).rstrip("\n").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]


def main():
    pairscan, structures = sys.argv[1], sys.argv[2:]
    problems, checked = [], 0
    for path in structures:
        name = os.path.basename(path)
        atoms = atoms_of(path)
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([pairscan, "--interfaces", out, "--write", "areas", path], check=True)
            rows = table(os.path.join(out, "summary.tsv"))
            alone = {}
            for row in rows:
                if not row["folder"]:
                    continue
                first, second = row["first"], row["second"]
                for chain in (first, second):
                    if chain not in alone:
                        alone[chain] = reference(atoms, {chain})
                pair_total, pair_residues = reference(atoms, {first, second})
                buried = alone[first][0] + alone[second][0] - pair_total
                got = float(row["buried_area"])
                if abs(got - buried) > max(0.01 * buried, 5):
                    problems.append(f"{name} {first}-{second}: buried {got}, FreeSASA {buried:.2f}")
                if abs(float(row["interface_area"]) - got / 2) > 0.01:
                    problems.append(f"{name} {first}-{second}: interface area is not half the buried area")
                sums = {}
                for r in table(os.path.join(out, row["folder"], "areas.tsv")):
                    chain = r["chain"]
                    key = (chain, r["number"] + r["icode"])
                    sums[chain] = sums.get(chain, 0) + float(r["area_alone"])
                    want_alone = alone[chain][1].get(key, 0)
                    want_buried = want_alone - pair_residues.get(key, 0)
                    if abs(float(r["area_alone"]) - want_alone) > 2.5 or abs(float(r["area_buried"]) - want_buried) > 2.5:
                        problems.append(f"{name} {first}-{second} residue {key}: {r['area_alone']} {r['area_buried']}, "
                                        f"FreeSASA {want_alone:.2f} {want_buried:.2f}")
                    checked += 1
                for chain, total in sums.items():
                    if abs(total - alone[chain][0]) > 0.005 * alone[chain][0]:
                        problems.append(f"{name} chain {chain}: {total:.2f} alone, FreeSASA {alone[chain][0]:.2f}")
    for problem in problems[:30]:
        print(problem, file=sys.stderr)
    print(f"areas: {checked} residue rows of {len(structures)} entries against FreeSASA, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
