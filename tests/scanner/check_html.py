#!/usr/bin/python3
"""pairscan --html in headless Chromium with the network off (every host unresolvable) and WebGL through
SwiftShader: the page loads and draws the structure, a click on a map's first cell shows exactly its two residues
as sticks with one dashed line, a click on its first residue's label that residue and all its partners, the
console has no error; a structure and a chain named with markup, quotes and %
render as text; a page of a 10,000-atom entry stays under 2 MB beside its one copy of the viewer.
    check_html.py PAIRSCAN PROJECT_DIR
"""
import html.parser
import json
import os
import re
import subprocess
import sys
import tempfile

BROWSER = ["chromium", "--headless", "--no-sandbox", "--use-gl=angle", "--use-angle=swiftshader",
           "--enable-unsafe-swiftshader", "--host-resolver-rules=MAP * ~NOTFOUND", "--virtual-time-budget=20000"]


def checked(page):
    """What the page's own check reports after load and a click on its first cell."""
    dom = subprocess.run(BROWSER + ["--dump-dom", "file://" + page + "#check"], capture_output=True, text=True,
                         timeout=600).stdout
    found = re.search(r'<pre id="check"[^>]*>(.*?)</pre>', dom, re.S)
    return (json.loads(html.unescape(found.group(1))) if found and found.group(1) else None), dom


def main():
    pairscan, project = sys.argv[1], sys.argv[2]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        hpv = os.path.join(project, "examples", "1hpv.pdb")
        # A name with markup, quotes and %, and chain B named "<".
        odd = os.path.join(work, "x<b>\"'%.pdb")
        with open(hpv) as source, open(odd, "w") as out:
            for line in source:
                if line.startswith(("ATOM", "HETATM")) and line[21] == "B":
                    line = line[:21] + "<" + line[22:]
                out.write(line)
        cases = [
            ("two chains", [hpv, "//A", "//B", os.path.join(work, "ab.pairtab")], "page.html"),
            ("every interface of 7CFN", ["--interfaces", os.path.join(work, "ifs"), "--write", "areas",
                                         os.path.join(project, "examples", "structures", "7CFN.cif.gz")], "cfn.html"),
            ("odd names", [odd, "//A", "//<", os.path.join(work, "odd.pairtab")], "odd.html"),
            ("a ligand of a blank chain", [hpv, "//*/(478)", "//A", os.path.join(work, "ligand.pairtab")], "ligand.html"),
        ]
        for what, arguments, name in cases:
            page = os.path.join(work, name)
            subprocess.run([pairscan, "--html", page, *arguments], check=True)
            result, dom = checked(page)
            if result is None:
                problems.append(f"{what}: the page's check did not run")
                continue
            if result["errors"]:
                problems.append(f"{what}: console errors {result['errors']}")
            if result.get("drawn", 0) < 1000:
                problems.append(f"{what}: the viewer drew {result.get('drawn')} pixels")
            first, second = result.get("cell", " - ").split(" - ")
            if result.get("sticks") != sorted([first, second]) or result.get("shapes") != 1:
                problems.append(f"{what}: a click on {result.get('cell')} shows {result.get('sticks')}, "
                                f"{result.get('shapes')} lines")
            if not result.get("label_sticks") or result.get("label_sticks") != result.get("label_expected"):
                problems.append(f"{what}: a click on a residue's label shows {result.get('label_sticks')}, not "
                                f"{result.get('label_expected')}")
            if what == "odd names":
                title = re.search(r"<h1>(.*?)</h1>", dom, re.S).group(1)
                if html.unescape(title) != os.path.basename(odd) or "<b>" in title:
                    problems.append(f"odd names: the title reads {title!r}")
            if what == "every interface of 7CFN":
                if os.path.getsize(page) > 2_000_000:
                    problems.append(f"7CFN's page is {os.path.getsize(page)} bytes")
                # The areas table of each pair: its rows are the residues areas.tsv lists as buried.
                shown = len(re.findall(r"<table class=\"areas\">", dom))
                if shown != sum(1 for f in os.listdir(os.path.join(work, "ifs")) if "_vs_" in f):
                    problems.append(f"7CFN's page has {shown} areas tables")
        copies = [f for f in os.listdir(work) if f == "3Dmol-min.js"]
        if copies != ["3Dmol-min.js"] or not os.path.exists(os.path.join(work, "3Dmol-LICENSE.txt")):
            problems.append("the viewer and its licence are not beside the pages once")
    for p in problems:
        print(p, file=sys.stderr)
    print(f"html: {len(cases)} pages, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
