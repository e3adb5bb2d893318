#!/usr/bin/env python3
"""The workflow's tables and report, from the rows each structure's scan wrote beside its pair folders:
results/summary.tsv (every pair), results/structures.tsv (every structure, with its status) and
results/report.html (both, sortable, each pair's map a link away). Warns, counting them, of the structures
that could not be read or whose named selection matched nothing.
    summary_table.py STRUCTURES_DIR RESULTS_DIR chains|named"""
import html
import os
import re
import sys
import urllib.parse

from structures import folder_name, structure_files

HEADER = ["structure", "first", "second", "first_atoms", "second_atoms", "contacts", "residue_pairs", "closest",
          "first_residues", "second_residues"]
STATUS_HEADER = ["structure", "chains", "polymer_chains", "atoms", "pairs", "status", "message", "ligands"]
TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "report.html")


def rows_of(path):
    """The header and rows of a table one scan wrote."""
    with open(path) as table:
        lines = table.read().splitlines()
    return lines[0].split("\t"), [line.split("\t") for line in lines[1:]]


def map_link(structure, row, named):
    """The pair's map, relative to the report: named pairs keep their names, chains are named as pairscan names
    their folders."""
    first, second = (row[1], row[2]) if named else (folder_name(row[1]), folder_name(row[2]))
    # Each part percent-encoded (a browser decodes %2E, #, ? and %), and the path starting with "./", so that no
    # name ("javascript:...") is taken for a scheme.
    parts = [structure, f"{first}_vs_{second}", "map.svg"]
    return "./" + "/".join(urllib.parse.quote(part, safe="", errors="surrogateescape") for part in parts)


def html_table(table_id, header, rows, links=None):
    head = "".join(f"<th>{html.escape(name)}</th>" for name in header)
    # Lists and messages wrap; names and numbers stay on one line.
    wraps = [name.endswith("_residues") or name == "message" for name in header]
    body = []
    for k, row in enumerate(rows):
        cells = "".join(f'<td class="list">{html.escape(v)}</td>' if w else f"<td>{html.escape(v)}</td>"
                        for v, w in zip(row, wraps))
        if links is not None:
            cells += f'<td><a href="{html.escape(links[k])}">map</a></td>'
        body.append(f"<tr>{cells}</tr>")
    if links is not None:
        head += "<th>map</th>"
    return (f'<table id="{table_id}"><thead><tr>{head}</tr></thead>\n<tbody>\n' + "\n".join(body) +
            "\n</tbody></table>")


def fill(template, values):
    """The template's {{key}}s replaced in one pass: a value that itself holds "{{summary}}" (a folder's name)
    stays text."""
    return re.sub(r"\{\{(\w+)\}\}", lambda m: values.get(m.group(1), m.group(0)), template)


def write_report(path, structures_folder, summary_header, summary, status_rows, named):
    counts = {}
    for row in status_rows:
        counts[row[5]] = counts.get(row[5], 0) + 1
    with open(TEMPLATE) as template:
        page = template.read()
    values = {
        "title": html.escape(f"Contacts of {os.path.basename(os.path.normpath(structures_folder))}"),
        "counts": html.escape(", ".join(f"{n} {status}" for status, n in sorted(counts.items())) or "no structure"),
        "structures": html_table("structures", STATUS_HEADER, status_rows),
        "summary": html_table("summary", summary_header, [r for _, r in summary],
                              [map_link(s, r, named) for s, r in summary]),
    }
    page = fill(page, values)
    with open(path, "w") as out:
        out.write(page)


def main(structures_folder, results, mode):
    names = list(structure_files(structures_folder))
    summary, status_rows, header, named = [], [], None, mode == "named"
    for name in names:
        own_header, rows = rows_of(os.path.join(results, name, "summary.tsv"))
        header = header or own_header
        summary += [(name, row) for row in rows]
        status_rows += rows_of(os.path.join(results, name, "status.tsv"))[1]
    header = header or HEADER
    with open(os.path.join(results, "summary.tsv"), "w") as out:
        out.write("\t".join(header) + "\n" + "".join("\t".join(row) + "\n" for _, row in summary))
    with open(os.path.join(results, "structures.tsv"), "w") as out:
        out.write("\t".join(STATUS_HEADER) + "\n" + "".join("\t".join(row) + "\n" for row in status_rows))
    write_report(os.path.join(results, "report.html"), structures_folder, header, summary, status_rows, named)
    unreadable = sum(row[5] == "unreadable" for row in status_rows)
    no_match = sum(row[5] == "no_match" for row in status_rows)
    if unreadable or no_match:
        print(f"warning: {unreadable} of {len(names)} structures could not be read and {no_match} had a selection "
              f"that matched no atom; see {os.path.join(results, 'structures.tsv')}", file=sys.stderr)


if __name__ == "__main__":
    main(*sys.argv[1:])
