#!/usr/bin/env python3
"""The workflow's tables, report and record, from the rows each structure's scan wrote beside its pair folders:
results/summary.tsv (every pair), results/structures.tsv (every structure, with its status),
results/report.html (both, sortable, each pair in contact a link away from its map) and results/provenance.tsv
(the tool's version, the settings, and each input's size and SHA-256). Removes the results of structures no
longer in the folder. Warns, counting them, of the structures that could not be read or whose named selection
matched nothing.
    summary_table.py STRUCTURES_DIR RESULTS_DIR PAIRSCAN CONFIG_JSON [VIEWER_SCRIPT]
With a viewer script (3Dmol-min.js), one copy of it goes beside the report and each structure's row links its
page."""
import hashlib
import html
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

from structures import ENCODING, STRUCTURE_FILE, read_table, structure_files

HEADER = ["structure", "first", "second", "first_atoms", "second_atoms", "contacts", "residue_pairs", "closest",
          "first_residues", "second_residues", "folder"]
STATUS_HEADER = ["structure", "chains", "polymer_chains", "atoms", "pairs", "status", "message", "ligands"]
PROVENANCE_HEADER = ["record", "name", "value", "size", "sha256"]
TEMPLATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "report.html")


def map_link(structure, folder):
    """The pair's map, relative to the report. Each part percent-encoded (a browser decodes %2E, #, ? and %),
    and the path starting with "./", so that no name ("javascript:...") is taken for a scheme."""
    parts = [structure, folder, "map.svg"]
    return "./" + "/".join(urllib.parse.quote(part, safe="", errors="surrogateescape") for part in parts)


def text(value):
    """A field as the page shows it: bytes that are not UTF-8 (a chain named by byte 0xE9) as \\xe9."""
    return value.encode("utf-8", "surrogateescape").decode("utf-8", "backslashreplace")


def page_link(structure):
    """A structure's page, relative to the report, encoded as the map links are."""
    return "./" + urllib.parse.quote(structure, safe="", errors="surrogateescape") + "/page.html"


def html_table(table_id, header, rows, links=None, pages=None):
    head = "".join(f"<th>{html.escape(name)}</th>" for name in header)
    # Lists and messages wrap; names and numbers stay on one line.
    wraps = ["list" if name.endswith("_residues") else name == "message" for name in header]
    body = []
    for k, row in enumerate(rows):
        # A list breaks between its identifiers only (at the space after each comma), never inside one ("B13"
        # stays whole); a space costs the page nothing, where an element per break slowed a large index tenfold.
        cells = "".join(f'<td class="list residues">{", ".join(html.escape(part) for part in text(v).split(","))}</td>' if w == "list"
                        else f'<td class="list">{html.escape(text(v))}</td>' if w
                        else f"<td>{html.escape(text(v))}</td>" for v, w in zip(row, wraps))
        if pages is not None and pages[k]:
            # The structure's name opens its page.
            first = f"<td>{html.escape(text(row[0]))}</td>"
            cells = f'<td><a class="page" href="{html.escape(pages[k])}">{html.escape(text(row[0]))}</a></td>' + \
                cells[len(first):]
        if links is not None:
            # A small picture of the map, which opens it; a pair without contacts has none.
            # The picture is loaded when its row comes into view (the page's script), so that thousands of them
            # do not hold up the page.
            cells += (f'<td><a href="{html.escape(links[k])}"><img data-src="{html.escape(links[k])}" alt="map" '
                      f'width="48" height="48"></a></td>' if links[k] else "<td></td>")
        body.append(f"<tr>{cells}</tr>")
    if links is not None:
        head += "<th>map</th>"
    return (f'<table id="{table_id}"><thead><tr>{head}</tr></thead>\n<tbody>\n' + "\n".join(body) +
            "\n</tbody></table>")


def fill(template, values):
    """The template's {{key}}s replaced in one pass: a value that itself holds "{{summary}}" (a folder's name)
    stays text."""
    return re.sub(r"\{\{(\w+)\}\}", lambda m: values.get(m.group(1), m.group(0)), template)


def write_report(path, structures_folder, summary_header, summary, status_rows, pages=False):
    counts = {}
    for row in status_rows:
        counts[row[5]] = counts.get(row[5], 0) + 1
    with open(TEMPLATE) as template:
        page = template.read()
    folder = summary_header.index("folder") if "folder" in summary_header else None
    links = [map_link(s, r[folder]) if folder is not None and len(r) > folder and r[folder] else ""
             for s, r in summary]
    values = {
        "title": html.escape(text(f"Contacts of {os.path.basename(os.path.normpath(structures_folder))}")),
        "counts": html.escape(", ".join(f"{n} {status}" for status, n in sorted(counts.items())) or "no structure"),
        "structures": html_table("structures", STATUS_HEADER, status_rows,
                                 pages=[page_link(r[0]) if pages and os.path.isfile(os.path.join(os.path.dirname(path), r[0], "page.html"))
                                        else "" for r in status_rows]),
        "summary": html_table("summary", summary_header, [r for _, r in summary], links),
    }
    write_text(path, fill(page, values))


def write_text(path, content):
    with open(path, "w", **ENCODING) as out:
        out.write(content)


def table_text(header, rows):
    return "\t".join(header) + "\n" + "".join("\t".join(row) + "\n" for row in rows)


def file_digests(files, previous):
    """Size and SHA-256 of each structure file, taken from the previous record where the file is unchanged (same
    size, last modified before that record was written): a rerun does not read the whole archive again."""
    known, written = {}, None
    if os.path.exists(previous):
        written = os.stat(previous).st_mtime_ns
        header, rows = read_table(previous)
        if header == PROVENANCE_HEADER:
            known = {(row[1], row[2]): (row[3], row[4]) for row in rows if row[0] == "structure"}
    digests = {}
    for name, path in files.items():
        try:
            status = os.stat(path)
        except OSError:
            digests[name] = ("", "")  # unreadable: recorded as such in structures.tsv
            continue
        old = known.get((name, path))
        if old and written is not None and status.st_mtime_ns < written and old[0] == str(status.st_size):
            digests[name] = old
            continue
        digest = hashlib.sha256()
        try:
            with open(path, "rb") as data:
                for block in iter(lambda: data.read(1 << 20), b""):
                    digest.update(block)
        except OSError:
            digests[name] = ("", "")
            continue
        digests[name] = (str(status.st_size), digest.hexdigest())
    return digests


def remove_stale(results, names):
    """Removes the folders of structures no longer in the structures folder: only folders this workflow made
    (a scan's status.tsv and scan.sh in them, named as a structure)."""
    for entry in os.listdir(results):
        folder = os.path.join(results, entry)
        if (entry not in names and STRUCTURE_FILE.match(entry) and os.path.isdir(folder) and
                not os.path.islink(folder) and os.path.isfile(os.path.join(folder, "status.tsv")) and
                os.path.isfile(os.path.join(folder, "scan.sh"))):
            shutil.rmtree(folder)


def main(structures_folder, results, pairscan, config_json, viewer=""):
    files = structure_files(structures_folder)
    names = list(files)
    summary, status_rows, header = [], [], None
    for name in names:
        own_header, rows = read_table(os.path.join(results, name, "summary.tsv"))
        header = header or own_header
        summary += [(name, row) for row in rows]
        status_rows += read_table(os.path.join(results, name, "status.tsv"))[1]
    header = header or HEADER
    remove_stale(results, set(names))
    write_text(os.path.join(results, "summary.tsv"), table_text(header, [row for _, row in summary]))
    write_text(os.path.join(results, "structures.tsv"), table_text(STATUS_HEADER, status_rows))
    if viewer:
        # One copy of the viewer beside the report, for every structure's page, with its licence.
        shutil.copyfile(viewer, os.path.join(results, "3Dmol-min.js"))
        licence = os.path.join(os.path.dirname(os.path.dirname(viewer)), "LICENSE")
        for source in (licence, os.path.join(os.path.dirname(viewer), "3Dmol-LICENSE.txt")):
            if os.path.isfile(source):
                shutil.copyfile(source, os.path.join(results, "3Dmol-LICENSE.txt"))
                break
    write_report(os.path.join(results, "report.html"), structures_folder, header, summary, status_rows, bool(viewer))

    provenance = os.path.join(results, "provenance.tsv")
    version = subprocess.run([pairscan, "--version"], capture_output=True, text=True, check=True).stdout.strip()
    config = json.loads(config_json)
    rows = [["tool", "pairscan", version.splitlines()[0] if version else "", "", ""]]
    rows += [["config", key, json.dumps(config[key], sort_keys=True, ensure_ascii=False), "", ""] for key in sorted(config)]
    digests = file_digests(files, provenance)
    rows += [["structure", name, files[name], *digests[name]] for name in names]
    write_text(provenance, table_text(PROVENANCE_HEADER, rows))

    unreadable = sum(row[5] == "unreadable" for row in status_rows)
    no_match = sum(row[5] == "no_match" for row in status_rows)
    no_assembly = sum(row[5] == "no_assembly" for row in status_rows)
    if unreadable or no_match or no_assembly:
        print(f"warning: {unreadable} of {len(names)} structures could not be read, {no_match} had a selection "
              f"that matched no atom and {no_assembly} declare no such assembly; see "
              f"{os.path.join(results, 'structures.tsv')}", file=sys.stderr)


if __name__ == "__main__":
    main(*sys.argv[1:])
