#!/usr/bin/python3
"""pairscan's tables people read against its own pairtab and pairpick's lists, recomputed here apart: the same
atom pairs, each with the first selection's atom first, rows in the documented order (first residue by chain in
the file's order, number, insertion code; the partner's image, the file's own first; the partner residue;
distance; atoms in file order), residue pairs and residues counted from the atom pairs.
    check_tables.py PAIRSCAN PAIRPICK PROJECT_DIR"""
import os
import subprocess
import sys
import tempfile

pairscan, pairpick, project = sys.argv[1:4]
examples = os.path.join(project, "examples")
failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}:\n  expected {repr(expected)[:300]}\n  got      {repr(got)[:300]}")


def rows(path):
    lines = open(path).read().split("\n")[:-1]
    return lines[0].split("\t"), [line.split("\t") for line in lines[1:]]


def atoms(structure, selection, work):
    """pairpick's labels of a selection, in file order."""
    out = os.path.join(work, "picked.xyz")
    subprocess.run([pairpick, structure, selection, out], check=True)
    return [line.split("\t")[0] for line in open(out)]


def identifier(chain, number, icode):
    joined = "_" if chain and (chain[-1].isdigit() or chain[-1] == "-") else ""
    return f"{chain}{joined}{number}{icode}"


# (structure, first selection, second selection or None, options): a ligand whose blank chain sorts before the
# chain's residues, the same ligand as the second side, two chains, self-contacts with ties in distance.
cases = [
    (os.path.join(examples, "1hpv.pdb"), "//*/(478)", "//A", []),
    (os.path.join(examples, "1hpv.pdb"), "//A", "//*/(478)", []),
    (os.path.join(examples, "1hpv.pdb"), "//B", "//A", []),
    (os.path.join(examples, "structures", "1LCD.cif.gz"), "//A", None, ["--min-separation", "3"]),
    (os.path.join(project, "tests", "scanner", "data", "equal_distances.pdb"), "//B", "//A", []),
]
with tempfile.TemporaryDirectory() as work:
    for structure, first, second, options in cases:
        name = f"{os.path.basename(structure)} {first} {second or 'self'}"
        sides = [first] + ([second] if second else [])
        out = {noun: os.path.join(work, f"{noun}.tsv") for noun in ("contacts", "residues", "residue-pairs")}
        subprocess.run([pairscan, *options, "--contacts", out["contacts"], "--residues", out["residues"],
                        "--residue-pairs", out["residue-pairs"], structure, *sides, os.path.join(work, "x.pairtab")],
                       check=True)
        in_file = atoms(structure, "//*", work)
        place = {label: k for k, label in enumerate(in_file)}
        first_atoms = set(atoms(structure, first, work))
        # The atom pairs of the pairtab, each oriented: the first selection's atom first (self: the residue that
        # comes first in row order first).
        header, table = rows(out["contacts"])
        check(f"{name}: contacts header", header, ["chain1", "number1", "icode1", "resname1", "atom1", "chain2",
                                                    "number2", "icode2", "resname2", "atom2", "image2", "distance"])
        listed = subprocess.run([pairpick, "--list", structure], check=True, capture_output=True, text=True).stdout
        file_chains = [line.split("\t")[0] for line in listed.splitlines()]

        def residue_key(chain, number, icode):
            return (file_chains.index(chain), int(number), icode)

        got = [(f"{identifier(r[0], r[1], r[2])}:{r[3]}:{r[4]}", f"{identifier(r[5], r[6], r[7])}:{r[8]}:{r[9]}", r[11])
               for r in table]
        expected = []
        for line in open(os.path.join(work, "x.pairtab")):
            a, b, d = line.rstrip("\n").split("\t")
            if second and a not in first_atoms:
                a, b = b, a
            expected.append((a, b, d))
        if second:
            check(f"{name}: the pairtab's atom pairs, the first selection's atom first", sorted(got), sorted(expected))
        else:
            check(f"{name}: the pairtab's atom pairs", sorted(tuple(sorted(p[:2])) + (p[2],) for p in got),
                  sorted(tuple(sorted(p[:2])) + (p[2],) for p in expected))
            check(f"{name}: each pair's first residue first in row order",
                  all(residue_key(*r[0:3]) <= residue_key(*r[5:8]) for r in table), True)

        def order(r):
            return (residue_key(r[0], r[1], r[2]), r[10] != "", r[10], residue_key(r[5], r[6], r[7]), float(r[11]),
                    place[f"{identifier(r[0], r[1], r[2])}:{r[3]}:{r[4]}"],
                    place[f"{identifier(r[5], r[6], r[7])}:{r[8]}:{r[9]}"])
        check(f"{name}: contact rows in order", [order(r) for r in table], sorted(order(r) for r in table))
        if second:
            check(f"{name}: the first selection first", all(a in first_atoms for a, _, _ in got), True)

        # Residue pairs and residues, counted from the contact rows.
        pairs = {}
        for r in table:
            key = (identifier(r[0], r[1], r[2]), identifier(r[5], r[6], r[7]), r[10])
            count, closest = pairs.get(key, (0, None))
            pairs[key] = (count + 1, r[11] if closest is None else min(closest, r[11], key=float))
        _, pair_rows = rows(out["residue-pairs"])
        check(f"{name}: residue pairs", {(identifier(*r[0:3]), identifier(*r[4:7]), r[8]): (int(r[9]), r[10])
                                         for r in pair_rows}, pairs)
        _, residue_rows = rows(out["residues"])
        contacts_of = {}
        for (one, other, _), (count, _) in pairs.items():
            contacts_of[(1, one)] = contacts_of.get((1, one), 0) + count
            contacts_of[(1 if not second else 2, other)] = contacts_of.get((1 if not second else 2, other), 0) + count
        check(f"{name}: residues", {(int(r[0]), identifier(*r[1:4])): int(r[5]) for r in residue_rows}, contacts_of)
        check(f"{name}: residues in order", [(int(r[0]), residue_key(*r[1:4])) for r in residue_rows],
              sorted((int(r[0]), residue_key(*r[1:4])) for r in residue_rows))

print("\n".join(failures) or "all checks passed")
sys.exit(1 if failures else 0)
