#!/usr/bin/python3
"""pairscan's pairs against a brute-force single-precision scan written here: every unordered pair of distinct
atoms once, no atom with itself, and the rules for one residue, separation along a chain and covalent links, on
a hand-made structure with a disulfide, a glycosylation, a zinc, insertion codes, conformers, a ligand numbered
903 inside chain A and a chain named 1. The atoms come from pairpick (checked against Biopython elsewhere).
    check_scan.py PAIRSCAN PAIRPICK STRUCTURE"""
import itertools
import re
import subprocess
import sys

import numpy as np

pairscan, pairpick, structure = sys.argv[1:4]
LIGANDS = {"NAG", "ZN"}
BONDED = {frozenset({"A3:CYS:SG", "A10:CYS:SG"}), frozenset({"A20:ASN:ND2", "A901:NAG:C1"})}  # ZN-HIS stays
# --skip-links also leaves out two atoms of different residues within their covalent radii (Cordero) plus 0.4,
# but a metal's, and the peptide bond of residues next to each other in their chain.
COVALENT = {"C": 0.76, "N": 0.71, "O": 0.66, "S": 1.05}
failures = []


def chain_places(path):
    """Each residue identifier's place in its chain, in file order."""
    places, seen = {}, {}
    with open(path) as lines:
        for line in lines:
            if line.startswith(("ATOM", "HETATM")):
                chain, number = line[21], line[22:27].strip()
                key = f"{chain}{'_' if chain[-1].isdigit() else ''}{number}"
                if key not in places:
                    seen[chain] = seen.get(chain, -1) + 1
                    places[key] = (chain, seen[chain])
    return places


PLACES = chain_places(structure)


def bonded_by_distance(p, q, d):
    (id_p, kind_p, atom_p), (id_q, kind_q, atom_q) = p[0].split(":"), q[0].split(":")
    element_p, element_q = re.sub(r"[^A-Z]", "", atom_p)[0], re.sub(r"[^A-Z]", "", atom_q)[0]
    if id_p == id_q or "ZN" in (kind_p, kind_q) or d > COVALENT[element_p] + COVALENT[element_q] + 0.4:
        return False
    (chain_p, at_p), (chain_q, at_q) = PLACES[id_p], PLACES[id_q]
    return not (chain_p == chain_q and abs(at_p - at_q) == 1 and {atom_p, atom_q} == {"C", "N"})


def points(selection):
    text = subprocess.run([pairpick, structure, selection, "-"], check=True, capture_output=True, text=True).stdout
    return [(f[0], np.float32(f[1]), np.float32(f[2]), np.float32(f[3])) for f in (l.split("\t") for l in text.splitlines())]


def distance(p, q):
    dx, dy, dz = p[1] - q[1], p[2] - q[2], p[3] - q[3]
    s = np.float32(np.float32(dx * dx) + np.float32(dy * dy))
    s = np.float32(np.float32(dz * dz) + s)
    return np.float32(np.sqrt(np.float64(s)))


def residue(label):
    identifier, kind = label.split(":")[:2]
    match = re.match(r"^(.*?)_?(-?\d+)([A-Za-z]?)$", identifier)
    return identifier, match[1], int(match[2]), kind not in LIGANDS


def expected(first, second, cutoff=4.0, same_residue=True, separation=0, links=False):
    pairs = {}
    if second is None:
        candidates = itertools.combinations(first, 2)
    else:
        labels = {p[0] for p in first}
        candidates = itertools.product(first, [q for q in second if q[0] not in labels])
    for p, q in candidates:
        d = distance(p, q)
        if d > np.float32(cutoff):
            continue
        (id_p, chain_p, n_p, poly_p), (id_q, chain_q, n_q, poly_q) = residue(p[0]), residue(q[0])
        if not same_residue and id_p == id_q:
            continue
        if separation and poly_p and poly_q and chain_p == chain_q and abs(n_p - n_q) < separation:
            continue
        if links and (frozenset({p[0], q[0]}) in BONDED or bonded_by_distance(p, q, d)):
            continue
        pairs[frozenset({p[0], q[0]})] = "%g" % d
    return pairs


def scanned(*arguments):
    text = subprocess.run([pairscan, *arguments], check=True, capture_output=True, text=True).stdout
    lines = [l.split("\t") for l in text.splitlines()]
    found = {}
    for a, b, d in lines:
        key = frozenset({a, b})
        if len(key) == 1 or key in found:
            failures.append(f"{arguments}: {a} {b} twice or with itself")
        found[key] = d
    return found


chain_a, everything, chain_1, sugar = points("//A"), points("//*"), points("//1"), points("//A/901")
cases = [
    (("//A",), expected(chain_a, None, same_residue=False)),
    (("--same-residue", "//A"), expected(chain_a, None)),
    (("--min-separation", "2", "//A"), expected(chain_a, None, same_residue=False, separation=2)),
    (("--min-separation", "6", "--skip-links", "//*"), expected(everything, None, same_residue=False, separation=6, links=True)),
    (("--skip-links", "--cutoff", "2.5", "//A"), expected(chain_a, None, cutoff=2.5, same_residue=False, links=True)),
    (("//A/901", "//A"), expected(sugar, chain_a)),
    (("--skip-links", "//A/901", "//A"), expected(sugar, chain_a, links=True)),
    (("//1", "//A"), expected(chain_1, chain_a)),
]
for arguments, pairs in cases:
    options = [a for a in arguments if not a.startswith("//")]
    selections = [a for a in arguments if a.startswith("//")]
    found = scanned(*options, structure, *selections, "-")
    if found != pairs:
        missing = sorted(tuple(sorted(k)) for k in pairs.keys() - found.keys())
        extra = sorted(tuple(sorted(k)) for k in found.keys() - pairs.keys())
        wrong = sorted(tuple(sorted(k)) for k in pairs.keys() & found.keys() if pairs[k] != found[k])
        failures.append(f"{arguments}: missing {missing[:4]}, extra {extra[:4]}, other distances {wrong[:4]}")
    if not pairs:
        failures.append(f"{arguments}: a case without pairs tells nothing")

print("\n".join(failures) or f"all {len(cases)} cases agree")
sys.exit(1 if failures else 0)
