#!/usr/bin/python3
"""pairscan --interactions against a reference written here in NumPy from the criteria as published (not from
pairscan's code): hand-made structures that put each type just inside and just outside each distance and angle,
with and without hydrogens. Each scene is chain A against chain B; the rows must be the reference's, type by type.
And --vdw-tolerance, contacts by radii, against NumPy on the Fab 1A0Q.
    check_interactions.py PAIRSCAN [1a0q.pdb.gz]
"""
import itertools
import os
import subprocess
import sys
import tempfile

import numpy as np

# Cordero covalent and Bondi van der Waals radii (H 1.1) of the elements the scenes use.
COVALENT = {"H": 0.31, "C": 0.76, "N": 0.71, "O": 0.66, "P": 1.07, "S": 1.05, "CL": 1.02, "ZN": 1.22}
VDW = {"H": 1.1, "C": 1.7, "N": 1.55, "O": 1.52, "P": 1.8, "S": 1.8, "CL": 1.75, "ZN": 1.39}
METALS = {"ZN"}
# The roles of the standard atoms the scenes use, as the criteria name them.
DONORS = {("SER", "OG"), ("LYS", "NZ"), ("HOH", "O")}
ACCEPTORS = {("SER", "OG"), ("ASP", "OD1"), ("ASP", "OD2"), ("HOH", "O")}
GROUPS = {("ASP", "OD1"): -1, ("ASP", "OD2"): -1, ("LYS", "NZ"): +1}
HYDROPHOBIC = {("ALA", "CB")} | {("PHE", a) for a in ("CG", "CD1", "CD2", "CE1", "CE2", "CZ")}
RINGS = {"PHE": ("CG", "CD1", "CE1", "CZ", "CE2", "CD2")}
CATIONS = {("LYS", "NZ")}


class Atom:
    def __init__(self, chain, number, resname, name, element, xyz, het=False):
        self.chain, self.number, self.resname, self.name, self.element = chain, number, resname, name, element
        self.xyz, self.het = np.asarray(xyz, dtype=float), het

    @property
    def residue(self):
        return (self.chain, self.number)


def pdb(atoms):
    lines = []
    for serial, a in enumerate(sorted(atoms, key=lambda a: (a.chain, a.number)), 1):
        record = "HETATM" if a.het else "ATOM  "
        name = a.name if len(a.name) == 4 else " " + a.name
        lines.append(f"{record}{serial:5d} {name:<4} {a.resname:>3} {a.chain}{a.number:4d}    "
                     f"{a.xyz[0]:8.3f}{a.xyz[1]:8.3f}{a.xyz[2]:8.3f}  1.00 20.00          {a.element:>2}")
    for a in atoms:  # what the file says is what the reference reads
        a.xyz = np.round(a.xyz, 3)
    return "\n".join(lines) + "\nEND\n"


def angle(a, b, c):
    u, v = a - b, c - b
    return np.degrees(np.arccos(np.clip(u @ v / np.linalg.norm(u) / np.linalg.norm(v), -1, 1)))


def bonded(a, b):
    return a is not b and not (a.element == "H" and b.element == "H") and \
        np.linalg.norm(a.xyz - b.xyz) <= COVALENT[a.element] + COVALENT[b.element] + 0.4


def neighbours(atom, atoms, heavy=True):
    return [b for b in atoms if b.residue == atom.residue and bonded(atom, b) and (b.element != "H") == heavy]


def roles(atom, atoms):
    key = (atom.resname, atom.name)
    if atom.het and atom.resname not in ("HOH", "ZN"):  # a ligand: from its elements and bonds
        heavy = neighbours(atom, atoms)
        return {"halogen"} if atom.element == "CL" and any(b.element == "C" for b in heavy) else set()
    out = set()
    if key in DONORS: out.add("donor")
    if key in ACCEPTORS: out.add("acceptor")
    if key in HYDROPHOBIC: out.add("hydrophobic")
    return out


def hydrogen_bond(d, a, atoms):
    """Donor d to acceptor a by the criteria: the donor's hydrogens when its residue has any, else heavy angles."""
    if np.linalg.norm(d.xyz - a.xyz) > 3.5:
        return False
    if any(b.element == "H" for b in atoms if b.residue == d.residue):
        return any(np.linalg.norm(h.xyz - a.xyz) <= 2.7 and angle(d.xyz, h.xyz, a.xyz) >= 120
                   for h in neighbours(d, atoms, heavy=False))
    return all(angle(x.xyz, d.xyz, a.xyz) >= 90 for x in neighbours(d, atoms)) and \
        all(angle(d.xyz, a.xyz, y.xyz) >= 90 for y in neighbours(a, atoms))


def ring_of(residue, atoms):
    names = RINGS.get(residue[0].resname)
    if not names:
        return None
    points = np.array([next(a.xyz for a in residue if a.name == n) for n in names])
    centre = points.mean(axis=0)
    normal = sum(np.cross(points[k] - centre, points[(k + 1) % len(points)] - centre) for k in range(len(points)))
    return centre, normal / np.linalg.norm(normal)


def reference(atoms):
    """The set of (type, atom of A, atom of B) the criteria give; rings and groups by residue."""
    found = set()
    side_a = [a for a in atoms if a.chain == "A" and a.element != "H"]
    side_b = [a for a in atoms if a.chain == "B" and a.element != "H"]
    linked, clashes = set(), []
    for x, y in itertools.product(side_a, side_b):
        d = np.linalg.norm(x.xyz - y.xyz)
        name = (x.number, x.name, y.number, y.name)
        if x.element not in METALS and y.element not in METALS and d <= COVALENT[x.element] + COVALENT[y.element] + 0.4:
            found.add(("covalent",) + name)
            linked.add((x.residue, y.residue))
            continue
        rx, ry = roles(x, atoms), roles(y, atoms)
        kept = False
        if d <= 3.0 and ((x.element in METALS and y.element in "NOS") or (y.element in METALS and x.element in "NOS")):
            found.add(("metal",) + name)
            kept = True
        if ("donor" in rx and "acceptor" in ry and hydrogen_bond(x, y, atoms)) or \
                ("donor" in ry and "acceptor" in rx and hydrogen_bond(y, x, atoms)):
            found.add(("hydrogen_bond",) + name)
            kept = True
        gx, gy = GROUPS.get((x.resname, x.name)), GROUPS.get((y.resname, y.name))
        if gx and gy and gx == -gy and d <= 4.0:
            found.add(("salt_bridge", x.number, y.number))  # one per pair of groups
            kept = True
        if "hydrophobic" in rx and "hydrophobic" in ry and d <= 4.0:
            found.add(("hydrophobic",) + name)
        for hal, acc, swap in ((x, y, False), (y, x, True)):
            if "halogen" in roles(hal, atoms) and "acceptor" in roles(acc, atoms) and d <= 4.0:
                carbon = [c for c in neighbours(hal, atoms) if c.element == "C"][0]
                if abs(angle(carbon.xyz, hal.xyz, acc.xyz) - 165) <= 30 and \
                        all(abs(angle(hal.xyz, acc.xyz, y2.xyz) - 120) <= 30 for y2 in neighbours(acc, atoms)):
                    found.add(("halogen_bond",) + name)
        if not kept and VDW[x.element] + VDW[y.element] - d >= 0.4:
            clashes.append((x.residue, y.residue, ("clash",) + name))
    found |= {c for rx, ry, c in clashes if (rx, ry) not in linked}
    # Rings and cations, by residue.
    residues = {}
    for a in atoms:
        residues.setdefault(a.residue, []).append(a)
    for (ka, ra), (kb, rb) in itertools.product(residues.items(), residues.items()):
        if ka[0] != "A" or kb[0] != "B":
            continue
        ring_a, ring_b = ring_of(ra, atoms), ring_of(rb, atoms)
        if ring_a and ring_b:
            apart = ring_b[0] - ring_a[0]
            dist = np.linalg.norm(apart)
            tilt = np.degrees(np.arccos(min(1, abs(ring_a[1] @ ring_b[1]))))
            offset = min(np.linalg.norm(apart - (apart @ n) * n) for n in (ring_a[1], ring_b[1]))
            if dist <= 5.5 and tilt <= 30 and offset <= 2.0:
                found.add(("stacking_parallel", ka[1], kb[1]))
            elif dist <= 5.5 and tilt >= 60:
                found.add(("stacking_t_shaped", ka[1], kb[1]))
        for ring, cation_side in ((ring_a, rb), (ring_b, ra)):
            cations = [a for a in cation_side if (a.resname, a.name) in CATIONS]
            if ring and cations:
                apart = cations[0].xyz - ring[0]
                offset = np.linalg.norm(apart - (apart @ ring[1]) * ring[1])
                if np.linalg.norm(apart) <= 6.0 and offset <= 2.0:
                    found.add(("cation_pi", ka[1], kb[1]))
    # Water bridges: a hydrogen bond on each side of one water.
    for w in (a for a in atoms if a.resname == "HOH"):
        ends = {}
        for side, members in (("A", side_a), ("B", side_b)):
            ends[side] = [p for p in members if ("donor" in roles(p, atoms) and hydrogen_bond(p, w, atoms)) or
                          ("acceptor" in roles(p, atoms) and hydrogen_bond(w, p, atoms))]
        for p, q in itertools.product(ends["A"], ends["B"]):
            found.add(("water_bridge", p.number, p.name, q.number, q.name))
    return found


def observed(pairscan, atoms, waters):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "scene.pdb")
        with open(path, "w") as out:
            out.write(pdb(atoms))
        table = os.path.join(folder, "interactions.tsv")
        subprocess.run([pairscan, "--interactions", table] + (["--waters"] if waters else []) +
                       [path, "//A", "//B", os.path.join(folder, "out.pairtab")], check=True, timeout=120)
        with open(table) as lines:
            header = next(lines).rstrip("\n").split("\t")
            rows = [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]
    found = set()
    for r in rows:
        kind = r["type"]
        if kind in ("salt_bridge", "stacking_parallel", "stacking_t_shaped", "cation_pi"):
            found.add((kind, int(r["number1"]), int(r["number2"])))
        else:
            found.add((kind, int(r["number1"]), r["atom1"], int(r["number2"]), r["atom2"]))
    return found


def along(origin, direction, length):
    direction = np.asarray(direction, dtype=float)
    return np.asarray(origin, dtype=float) + length * direction / np.linalg.norm(direction)


def in_plane(degrees_from_x):
    t = np.radians(degrees_from_x)
    return np.array([np.cos(t), np.sin(t), 0.0])


def hexagon(centre, normal, resname, chain, number):
    normal = np.asarray(normal, dtype=float) / np.linalg.norm(normal)
    u = np.cross(normal, [0.0, 0.0, 1.0] if abs(normal[2]) < 0.9 else [1.0, 0.0, 0.0])
    u /= np.linalg.norm(u)
    v = np.cross(normal, u)
    return [Atom(chain, number, resname, name, "C", np.asarray(centre) + 1.39 * (np.cos(k * np.pi / 3) * u + np.sin(k * np.pi / 3) * v))
            for k, name in enumerate(RINGS["PHE"])]


def scenes():
    """(name, atoms, waters, types that must be there): every type just inside and just outside its edges."""
    out = []

    def hbond(d, angle_donor, angle_acceptor, hydrogen=None):
        atoms = [Atom("A", 1, "SER", "OG", "O", [0, 0, 0]), Atom("A", 1, "SER", "CB", "C", along([0, 0, 0], in_plane(angle_donor), 1.43)),
                 Atom("B", 2, "ASP", "OD1", "O", [d, 0, 0]),
                 Atom("B", 2, "ASP", "CG", "C", along([d, 0, 0], -in_plane(-angle_acceptor), 1.25))]
        if hydrogen is not None:
            atoms.append(Atom("A", 1, "SER", "HG", "H", hydrogen))
        return atoms

    for d in (3.49, 3.51):
        out.append((f"hbond distance {d}", hbond(d, 120, 120), False))
    for a in (89, 91):
        out.append((f"hbond donor angle {a}", hbond(3.0, a, 120), False))
        out.append((f"hbond acceptor angle {a}", hbond(3.0, 120, a), False))
    # With a hydrogen: D-H...A at 119 and 121 degrees, H...A at 2.69 and 2.71 Angstrom.
    for target in (119, 121):
        for t in np.linspace(0, 180, 18001):
            h = 0.96 * in_plane(t)
            if abs(angle(np.zeros(3), h, np.array([3.0, 0, 0])) - target) < 0.02:
                break
        out.append((f"hbond D-H...A {target}", hbond(3.0, 150, 120, h), False))
    for target in (2.69, 2.71):
        for t in np.linspace(0, 90, 9001):
            h = 0.96 * in_plane(t)
            if abs(np.linalg.norm(h - np.array([3.45, 0, 0])) - target) < 0.002:
                break
        out.append((f"hbond H...A {target}", hbond(3.45, 150, 120, h), False))
    # Salt bridges: one per pair of groups.
    for d in (3.0, 3.99, 4.01):
        out.append((f"salt bridge {d}", [Atom("A", 1, "LYS", "NZ", "N", [0, 0, 0]), Atom("A", 1, "LYS", "CE", "C", [-1.49, 0, 0]),
                                         Atom("B", 2, "ASP", "OD1", "O", [d, 0, 0]), Atom("B", 2, "ASP", "OD2", "O", [d + 0.6, 1.1, 0]),
                                         Atom("B", 2, "ASP", "CG", "C", [d + 1.2, 0, 0])], False))
    for d in (3.99, 4.01):
        out.append((f"hydrophobic {d}", [Atom("A", 1, "ALA", "CB", "C", [0, 0, 0]), Atom("B", 2, "ALA", "CB", "C", [d, 0, 0])], False))
    # Stacking: parallel by offset and by angle, T-shaped by distance and angle.
    for offset in (1.9, 2.1):
        out.append((f"parallel offset {offset}", hexagon([0, 0, 0], [0, 0, 1], "PHE", "A", 1) +
                    hexagon([offset, 0, 3.6], [0, 0, 1], "PHE", "B", 2), False))
    for tilt in (29, 31):
        out.append((f"parallel tilt {tilt}", hexagon([0, 0, 0], [0, 0, 1], "PHE", "A", 1) +
                    hexagon([0, 0, 3.9], [np.sin(np.radians(tilt)), 0, np.cos(np.radians(tilt))], "PHE", "B", 2), False))
    for d in (5.45, 5.55):
        out.append((f"T-shaped distance {d}", hexagon([0, 0, 0], [0, 0, 1], "PHE", "A", 1) +
                    hexagon([0, 0, d], [1, 0, 0], "PHE", "B", 2), False))
    for tilt in (59, 61):
        out.append((f"T-shaped tilt {tilt}", hexagon([0, 0, 0], [0, 0, 1], "PHE", "A", 1) +
                    hexagon([0, 0, 5.0], [np.sin(np.radians(tilt)), 0, np.cos(np.radians(tilt))], "PHE", "B", 2), False))
    # Cation-pi: distance along the axis, and offset from it.
    for off, h in ((0, 5.95), (0, 6.05), (1.95, 4.0), (2.05, 4.0)):
        out.append((f"cation-pi offset {off} height {h}", hexagon([0, 0, 0], [0, 0, 1], "PHE", "A", 1) +
                    [Atom("B", 2, "LYS", "NZ", "N", [off, 0, h]), Atom("B", 2, "LYS", "CE", "C", [off, 0, h + 1.49])], False))
    # Halogen bonds: C-X...A and X...A-Y each side of their windows.
    def halogen(cx, ay, d=3.5):
        return [Atom("A", 1, "CLB", "CL1", "CL", [0, 0, 0], het=True), Atom("A", 1, "CLB", "C1", "C", along([0, 0, 0], in_plane(cx), 1.75), het=True),
                Atom("B", 2, "ASP", "OD1", "O", [d, 0, 0]), Atom("B", 2, "ASP", "CG", "C", along([d, 0, 0], -in_plane(-ay), 1.25))]
    for cx in (134, 136):
        out.append((f"halogen C-X...A {cx}", halogen(cx, 120), False))
    for ay in (89, 91, 149, 151):
        out.append((f"halogen X...A-Y {ay}", halogen(165, ay), False))
    for d in (3.99, 4.01):
        out.append((f"halogen distance {d}", halogen(170, 120, d), False))
    for d in (2.99, 3.01):
        out.append((f"metal {d}", [Atom("A", 1, "ZN", "ZN", "ZN", [0, 0, 0], het=True), Atom("B", 2, "ASP", "OD1", "O", [d, 0, 0]),
                                   Atom("B", 2, "ASP", "CG", "C", [d + 1.25, 0, 0])], False))
    for leg in (3.45, 3.55):
        out.append((f"water bridge leg {leg}", [Atom("A", 1, "SER", "OG", "O", [0, 0, 0]), Atom("A", 1, "SER", "CB", "C", [-1.43, 0, 0]),
                                                Atom("W", 3, "HOH", "O", "O", [leg, 0, 0], het=True),
                                                Atom("B", 2, "SER", "OG", "O", [leg + 3.0, 0, 0]), Atom("B", 2, "SER", "CB", "C", [leg + 4.43, 0, 0])], True))
    for d in (2.04, 2.49, 2.51):
        out.append((f"disulfide {d}", [Atom("A", 1, "CYS", "SG", "S", [0, 0, 0]), Atom("A", 1, "CYS", "CB", "C", along([0, 0, 0], in_plane(105), 1.82)),
                                       Atom("B", 2, "CYS", "SG", "S", [d, 0, 0]), Atom("B", 2, "CYS", "CB", "C", along([d, 0, 0], in_plane(-75), 1.82))], False))
    for d in (2.99, 3.01):
        out.append((f"clash {d}", [Atom("A", 1, "GLY", "CA", "C", [0, 0, 0]), Atom("B", 2, "GLY", "CA", "C", [d, 0, 0])], False))
    return out


def vdw_contacts(pairscan, path):
    """--vdw-tolerance 0.5 on a real interface (the Fab's light chain against its heavy chain) against NumPy: every
    atom pair within the sum of its Bondi radii plus 0.5, distances in single precision as the search takes them."""
    import gemmi
    structure = gemmi.read_structure(path)
    structure.remove_alternative_conformations()
    sides = []
    for chain in "LH":
        atoms = [(f"{chain}{r.seqid.num}{r.seqid.icode.strip()}:{r.name}:{a.name}", a) for r in structure[0][chain]
                 for a in r if not r.is_water() and not a.is_hydrogen()]
        xyz = np.array([[a.pos.x, a.pos.y, a.pos.z] for _, a in atoms], dtype=np.float32)
        radii = np.array([VDW[a.element.name.upper()] for _, a in atoms], dtype=np.float32)
        sides.append(([label for label, _ in atoms], xyz, radii))
    (la, a, ra), (lb, b, rb) = sides
    dx, dy, dz = (a[:, None, k] - b[None, :, k] for k in range(3))
    d = np.sqrt((dz * dz + (dx * dx + dy * dy)).astype(np.float64)).astype(np.float32)
    i, j = np.nonzero(d <= ra[:, None] + rb[None, :] + np.float32(0.5))
    want = {frozenset((la[p], lb[q])) for p, q in zip(i, j)}
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "out.pairtab")
        subprocess.run([pairscan, "--vdw-tolerance", "0.5", path, "//L", "//H", out], check=True, timeout=120)
        with open(out) as lines:
            got = {frozenset(line.split("\t")[:2]) for line in lines}
    return got, want


def main():
    pairscan = sys.argv[1]
    problems, types = [], set()
    if len(sys.argv) > 2:
        got, want = vdw_contacts(pairscan, sys.argv[2])
        if got != want or not got:
            problems.append(f"--vdw-tolerance: {len(got - want)} pairs only pairscan's, {len(want - got)} only the reference's")
    for name, atoms, waters in scenes():
        got = observed(pairscan, atoms, waters)
        want = reference(atoms)
        types |= {t[0] for t in want}
        if got != want:
            problems.append(f"{name}: pairscan {sorted(got)}, reference {sorted(want)}")
    # Every type is met inside its edges somewhere.
    missing = {"hydrogen_bond", "salt_bridge", "hydrophobic", "stacking_parallel", "stacking_t_shaped", "cation_pi",
               "halogen_bond", "metal", "water_bridge", "covalent", "clash"} - types
    if missing:
        problems.append(f"no scene gives {sorted(missing)}")
    for p in problems:
        print(p, file=sys.stderr)
    print(f"{len(scenes())} scenes, {len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
