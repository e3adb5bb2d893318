#!/usr/bin/python3
"""The workflow's report as a browser shows it (Debian chromium, headless): both tables with their rows, the
summary sorted by a column when the page asks (as a click on its name does), and a pair's map behind its link.
    check_report.py RESULTS/report.html"""
import html
import html.parser
import json
import os
import re
import subprocess
import sys
import urllib.parse


def rendered(url):
    """The page's DOM once its script has run."""
    return subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--dump-dom", url],
                          check=True, capture_output=True, text=True, timeout=600).stdout


class Tables(html.parser.HTMLParser):
    """Each table's header and rows (cell texts), and each row's links."""

    def __init__(self):
        super().__init__()
        self.tables, self.links, self.cell = {}, {}, None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "table":
            self.name = attrs.get("id")
            self.tables[self.name] = []
        elif tag == "tr":
            self.tables[self.name].append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "a" and "href" in attrs:
            self.links.setdefault(self.name, []).append(attrs["href"])

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.tables[self.name][-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def links_and_template():
    """Names that a browser would take for a scheme, a fragment, a query or an escape give links to the files
    themselves, and a value holding a template key stays text."""
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "workflow", "scripts"))
    import summary_table
    problems = []
    for structure, folder, expected in [
            ("javascript:alert(4);x.cif", "A_vs_B", "./javascript%3Aalert%284%29%3Bx.cif/A_vs_B/map.svg"),
            ("x.pdb", "%2E_vs_B", "./x.pdb/%252E_vs_B/map.svg"),
            ("x.pdb", "%23_vs_%3F", "./x.pdb/%2523_vs_%253F/map.svg"),
            ("caf\udce9.pdb", "A_vs_B", "./caf%E9.pdb/A_vs_B/map.svg")]:
        got = summary_table.map_link(structure, folder)
        if got != expected:
            problems.append(f"link of {structure} {folder}: {got}, not {expected}")
    page = summary_table.fill("{{a}} {{b}}", {"a": "{{b}}", "b": "B"})
    if page != "{{b}} B":
        problems.append(f"the template is filled more than once: {page}")
    return problems


def main():
    report = os.path.abspath(sys.argv[1])
    results = os.path.dirname(report)
    with open(os.path.join(results, "summary.tsv")) as f:
        summary = [line.rstrip("\n").split("\t") for line in f]
    with open(os.path.join(results, "structures.tsv")) as f:
        structures = [line.rstrip("\n").split("\t") for line in f]
    problems = links_and_template()
    page = Tables()
    page.feed(rendered("file://" + report))
    if page.tables.get("structures") != structures:
        problems.append("the structures table is not structures.tsv")
    shown = page.tables.get("summary", [])
    # Residue lists break after a comma only: every comma is followed by a space, and nothing lets a line break
    # inside an identifier.
    dom = rendered("file://" + report)
    lists = re.findall(r'<td class="list residues">(.*?)</td>', dom)
    if not lists or any(re.search(r",(?! )", cell) for cell in lists) or "anywhere" in dom:
        problems.append("a residue list can break inside an identifier")
    if [[cell.replace(", ", ",") for cell in row[:-1]] for row in shown] != summary:
        problems.append("the pairs table is not summary.tsv")
    # A link for each pair in contact, none for the others; each opens its map in the browser, whatever the
    # names (a structure named "javascript:...", chains "." and "#").
    folder = summary[0].index("folder")
    expected = [f"./{urllib.parse.quote(row[0], safe='')}/{urllib.parse.quote(row[folder], safe='')}/map.svg"
                for row in summary[1:] if row[folder]]
    if page.links.get("summary", []) != expected:
        problems.append(f"links {page.links.get('summary')}, not {expected}")
    for link in page.links.get("summary", []):
        if not link.startswith("./") or "<svg" not in rendered(urllib.parse.urljoin("file://" + report, link)):
            problems.append(f"no map behind {link}")
    # Each structure with pairs links its page; a page loads the report's one copy of the viewer, draws, and a
    # click on its first map cell shows that cell's two residues.
    pages = page.links.get("structures", [])
    if os.path.exists(os.path.join(results, "3Dmol-min.js")):
        if not pages:
            problems.append("no structure links its page")
        for link in pages[:2]:
            dom = subprocess.run(["chromium", "--headless", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
                                  "--enable-unsafe-swiftshader", "--host-resolver-rules=MAP * ~NOTFOUND",
                                  "--virtual-time-budget=20000", "--dump-dom",
                                  urllib.parse.urljoin("file://" + report, link) + "#check"],
                                 capture_output=True, text=True, timeout=600).stdout
            found = re.search(r'<pre id="check"[^>]*>(.*?)</pre>', dom, re.S)
            result = json.loads(html.unescape(found.group(1))) if found and found.group(1) else {}
            cell = result.get("cell", " - ").split(" - ")
            if result.get("errors") or result.get("drawn", 0) < 1000 or (result.get("cell") and result.get("sticks") != sorted(cell)):
                problems.append(f"the page {link}: {result}")
    # Sorted by contacts, most first, as a second click on the column's name gives.
    page = Tables()
    page.feed(rendered("file://" + report + "#sort=summary:contacts:desc"))
    column = summary[0].index("contacts")
    got = [int(row[column]) for row in page.tables["summary"][1:]]
    if got != sorted((int(row[column]) for row in summary[1:]), reverse=True):
        problems.append(f"not sorted by contacts: {got}")
    page = Tables()
    page.feed(rendered("file://" + report + "#sort=structures:structure:desc"))
    names = [row[0] for row in page.tables["structures"][1:]]
    if names != sorted(names, key=str.lower, reverse=True) and names != sorted(names, reverse=True):
        problems.append(f"not sorted by name: {names}")
    for p in problems:
        print(p, file=sys.stderr)
    print(f"report: {len(structures) - 1} structures, {len(summary) - 1} pairs" + (", failed" if problems else ""))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
