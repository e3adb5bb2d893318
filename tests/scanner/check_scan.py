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
failures = []


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
        if links and frozenset({p[0], q[0]}) in BONDED:
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
