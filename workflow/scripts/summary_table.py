#!/usr/bin/env python3
"""The workflow's summary table: one row per structure and pair, then the whole table. Plain scripts rather than
Snakemake `run:` or `script:` jobs, so that a job costs one Python start, not a copy of the workflow.
    summary_table.py row STRUCTURE FIRST SECOND FIRST.xyz SECOND.xyz CONTACTS.pairtab ROW.tsv
    summary_table.py table STRUCTURES_DIR RESULTS_DIR/summary.tsv"""
import os
import re
import sys

from structures import structure_files

HEADER = ["structure", "first", "second", "first_atoms", "second_atoms", "contacts", "residue_pairs", "closest",
          "first_residues", "second_residues"]

NUMBERED = re.compile(r"^(?P<chain>.*?)(?:_|(?=-\d)|(?<=\D)(?=\d)|^(?=\d))(?P<number>-?\d+)(?P<insertion>[A-Za-z]*)$")


def natural(identifier):
    """Chain, number as a number, insertion code; identifiers that are not chain and number after, as text."""
    match = NUMBERED.match(identifier)
    if not match:
        return (1, identifier, 0, "")
    return (0, match["chain"], int(match["number"]), match["insertion"])


def count_lines(path):
    with open(path, "rb") as f:
        return sum(1 for line in f if line.strip())


def write_row(structure, first, second, first_xyz, second_xyz, contacts_path, output):
    """One row, from the two sides' coordinate lists and pairsweep's contact list (whose first label is always
    the first side's). A pair without contacts has zeros and empty fields."""
    first_residues, second_residues, residue_pairs = set(), set(), set()
    contacts, closest = 0, None
    with open(contacts_path) as f:
        for line in f:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) < 3:
                continue
            a, b = fields[0].split(":")[0], fields[1].split(":")[0]
            first_residues.add(a)
            second_residues.add(b)
            residue_pairs.add((a, b))
            contacts += 1
            d = float(fields[2])
            if closest is None or d < closest[0]:
                closest = (d, fields[2])
    row = [structure, first, second, count_lines(first_xyz), count_lines(second_xyz), contacts, len(residue_pairs), closest[1] if closest else "",
           ",".join(sorted(first_residues, key=natural)), ",".join(sorted(second_residues, key=natural))]
    with open(output, "w") as f:
        f.write("\t".join(str(v) for v in row) + "\n")



def write_table(structures, output):
    """A header, then the rows of every structure in order of file name, each with its pairs in the order of its
    pairs.tsv (the structure's rows.tsv beside the table). Listed here, not on a command line, which thousands of
    structures would overflow."""
    results = os.path.dirname(output)
    with open(output, "w") as out:
        out.write("\t".join(HEADER) + "\n")
        for name in structure_files(structures):
            with open(os.path.join(results, name, "rows.tsv")) as rows:
                out.write(rows.read())


if __name__ == "__main__":
    {"row": write_row, "table": write_table}[sys.argv[1]](*sys.argv[2:])
