#!/usr/bin/python3
"""pairscan --symmetry against gemmi's own contact search (Debian python3-gemmi), and pairpick --assembly
against the file's matrices applied with NumPy to Biopython's reading of the same file.
    check_crystal.py PAIRSCAN PAIRPICK 1A8O.cif.gz 4ZHL.cif.gz"""
import gzip
import io
import subprocess
import sys
import warnings

import gemmi
import numpy
from Bio.PDB import MMCIFParser
from Bio.PDB.MMCIF2Dict import MMCIF2Dict

CUTOFF = 4.0


def ours(pairscan, path, selections):
    """{(atom, image atom, code): distance} of the image lines of one run."""
    out = subprocess.run([pairscan, "--symmetry", path, *selections, "-"], check=True, capture_output=True,
                         text=True).stdout
    found = {}
    for line in out.splitlines():
        first, second, distance = line.split("\t")
        if "@" in first:  # the grouping puts first the identifier that sorts first: put the image second
            first, second = second, first
        if "@" not in second:
            continue
        rid, code = second.split(":", 1)[0].split("@")
        key = (first, rid + second[second.index(":"):], code)
        assert key not in found, f"{key} twice"
        found[key] = float(distance)
    return found


def gemmi_label(cra):
    chain, seqid = cra.chain.name, cra.residue.seqid
    joint = "_" if chain[-1:].isdigit() or chain.endswith("-") else ""
    return f"{chain}{joint}{seqid.num}{seqid.icode.strip()}:{cra.residue.name}:{cra.atom.name}"


def theirs(path, in_first, in_second):
    """The same from gemmi: each contact of a first-chain atom with an image (not 1_555) of a second-chain atom."""
    st = gemmi.read_structure(path)
    st.setup_entities()
    st.remove_alternative_conformations()
    st.remove_hydrogens()
    st.remove_waters()
    search = gemmi.NeighborSearch(st[0], st.cell, 5).populate()
    contacts = gemmi.ContactSearch(CUTOFF)
    contacts.ignore = gemmi.ContactSearch.Ignore.Nothing
    contacts.twice = True  # both atoms' view of each contact: the first chain's atom may be either partner
    found = {}
    for r in contacts.find_contacts(search):
        if not in_first(r.partner1) or not in_second(r.partner2):
            continue
        code = st.cell.find_nearest_pbc_image(r.partner1.atom.pos, r.partner2.atom.pos, r.image_idx).symmetry_code(True)
        if code != "1_555":
            found[(gemmi_label(r.partner1), gemmi_label(r.partner2), code)] = r.dist
    return found


def picks(selection):
    """gemmi's test of an atom for the selections used here: //C or //C/FROM-TO."""
    fields = selection.split("/")
    numbers = [int(n) for n in fields[3].split("-")] if len(fields) > 3 else None
    return lambda cra: cra.chain.name == fields[2] and (numbers is None or numbers[0] <= cra.residue.seqid.num <= numbers[1])


def compare_images(pairscan, path, first, second):
    selections = [first] + ([second] if second != first else [])
    a, b = ours(pairscan, path, selections), theirs(path, picks(first), picks(second))
    near_cutoff = lambda found: {k for k, d in found.items() if abs(d - CUTOFF) < 1e-4}
    skip = near_cutoff(a) | near_cutoff(b)
    only_ours = sorted(set(a) - set(b) - skip)
    only_gemmi = sorted(set(b) - set(a) - skip)
    off = sorted(k for k in set(a) & set(b) if abs(a[k] - b[k]) > 1e-5)
    problems = [f"only pairscan: {k}" for k in only_ours[:3]] + [f"only gemmi: {k}" for k in only_gemmi[:3]]
    problems += [f"distance {a[k]} against gemmi's {b[k]}: {k}" for k in off[:3]]
    print(f"{path} {first} with images of {second}: {len(a)} image contacts, gemmi {len(b)}"
          + "".join(f"\n  {p}" for p in problems))
    return bool(problems), len(b)


def compare_assembly(pairpick, path):
    """Assembly 1 of the file: each copy is the file's operator applied to Biopython's atoms."""
    with gzip.open(path, "rt") as f:
        text = f.read()
    table = MMCIF2Dict(io.StringIO(text))
    operators = {}
    for k, oid in enumerate(table["_pdbx_struct_oper_list.id"]):
        matrix = numpy.array([[float(table[f"_pdbx_struct_oper_list.matrix[{i}][{j}]"][k]) for j in (1, 2, 3)]
                              for i in (1, 2, 3)])
        vector = numpy.array([float(table[f"_pdbx_struct_oper_list.vector[{i}]"][k]) for i in (1, 2, 3)])
        operators[oid] = (matrix, vector)
    gen = list(table["_pdbx_struct_assembly_gen.assembly_id"]).index("1")
    expression = table["_pdbx_struct_assembly_gen.oper_expression"][gen]
    names = expression.strip("()").split(",")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        model = MMCIFParser(QUIET=True).get_structure("s", io.StringIO(text))[0]
    expected = {}
    for copy, name in enumerate(names, start=1):
        matrix, vector = operators[name]
        for chain in model:
            for residue in chain:
                if residue.get_resname() == "HOH":
                    continue
                for atom in residue:
                    if atom.is_disordered():
                        atom = atom.disordered_get_list()[0]
                    label = f"{chain.id}{copy}_{residue.id[1]}:{residue.get_resname()}:{atom.get_name()}"
                    expected[label] = matrix @ atom.coord.astype(numpy.float64) + vector
    out = subprocess.run([pairpick, "--assembly", "1", path, "//*", "-"], check=True, capture_output=True,
                         text=True).stdout
    got = {f[0]: numpy.array([float(v) for v in f[1:4]]) for f in map(str.split, out.splitlines())}
    problems = [] if set(got) == set(expected) else [f"{len(got)} atoms, expected {len(expected)}"]
    problems += [f"{k}: {got[k]} against {expected[k]}" for k in sorted(set(got) & set(expected))
                 if numpy.abs(got[k] - expected[k]).max() > 5e-5][:3]  # Biopython keeps float32
    print(f"{path} assembly 1: {len(got)} atoms in {len(names)} copies" + "".join(f"\n  {p}" for p in problems))
    return bool(problems)


def main():
    pairscan, pairpick, a8o, zhl = sys.argv[1:5]
    failures = compare_assembly(pairpick, a8o)
    seen = 0
    for path, first, second in ((a8o, "//A", "//A"), (a8o, "//A/151-185", "//A/186-220"),
                                 (zhl, "//U", "//U"), (zhl, "//P", "//P"), (zhl, "//P", "//U"), (zhl, "//U", "//P")):
        failed, count = compare_images(pairscan, path, first, second)
        failures += failed
        seen += count
    if seen < 400:
        print(f"only {seen} image contacts in all: the comparison tells little")
        failures += 1
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
