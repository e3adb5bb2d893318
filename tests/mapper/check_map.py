#!/usr/bin/python3
"""pairmap's pictures read back with an XML parser: one cell per residue pair in the right row and column,
residues in natural order, colours ordered as distances are, tooltips checked by hand, and a sorted and an
unsorted list of one interface giving one map.
    check_map.py PAIRMAP PAIRSWEEP PAIRSIFT EXAMPLES_DIR"""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"
pairmap, pairsweep, pairsift, examples = sys.argv[1:5]
failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}:\n  expected {expected!r}\n  got      {got!r}")


def draw(contacts_path, *options):
    svg = contacts_path + ".svg"
    subprocess.run([pairmap, *options, contacts_path, svg], check=True)
    return ET.parse(svg).getroot(), svg


def luminance(colour):
    r, g, b = (int(colour[i:i + 2], 16) for i in (1, 3, 5))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


with tempfile.TemporaryDirectory() as work:
    # Rows and columns in natural order (a blank chain's 200 first, a ligand's LIG after the numbered ones),
    # the smallest distance of each residue pair with its atom pair, and the contacts counted.
    contacts = os.path.join(work, "hand.pairtab")
    with open(contacts, "w") as f:
        f.write("A10:ALA:CA\tB2:GLY:N\t3.5\nA2:SER:OG\tB2:GLY:N\t2.5\nA10:ALA:CB\tB2:GLY:CA\t3\n"
                "A100A:LYS:NZ\tB10:ASP:OD1\t2.8\nA100:LYS:NZ\tB1:ASP:OD1\t3.9\nLIG:HEM:FE\tB1:ASP:OD2\t3.3\n"
                "200:478:C1\tB1:ASP:OD2\t3.25\nA10:ALA:N\tB2:GLY:O\t3\n10_5:LYS:NZ\tB1:ASP:OD1\t3.1\n"
                "1_23:ARG:NE\tB1:ASP:OD1\t3.8\nA5z:GLY:N\tB10:ASP:OD1\t3.6\n")
    root, _ = draw(contacts, "--max-distance", "4")
    rows = [t.text for t in root.find(f"{SVG}g[@id='row-labels']")]
    columns = [t.text for t in root.find(f"{SVG}g[@id='column-labels']")]
    check("rows", rows, ["200 478", "1_23 ARG", "10_5 LYS", "A2 SER", "A5z GLY", "A10 ALA", "A100 LYS", "A100A LYS",
                         "LIG HEM"])
    check("columns", columns, ["B1 ASP", "B2 GLY", "B10 ASP"])
    cells = {(rows[int(c.get("data-row"))], columns[int(c.get("data-column"))]): c
             for c in root.find(f"{SVG}g[@id='cells']")}
    check("cells", sorted(cells), sorted([("200 478", "B1 ASP"), ("1_23 ARG", "B1 ASP"), ("10_5 LYS", "B1 ASP"),
                                          ("A2 SER", "B2 GLY"), ("A10 ALA", "B2 GLY"), ("A100 LYS", "B1 ASP"),
                                          ("A100A LYS", "B10 ASP"), ("A5z GLY", "B10 ASP"), ("LIG HEM", "B1 ASP")]))
    check("tooltip A10-B2", cells[("A10 ALA", "B2 GLY")].find(f"{SVG}title").text,
          "A10 ALA - B2 GLY: closest CB - CA at 3, 3 contacts")
    check("tooltip A2-B2", cells[("A2 SER", "B2 GLY")].find(f"{SVG}title").text,
          "A2 SER - B2 GLY: closest OG - N at 2.5, 1 contact")
    by_distance = sorted(cells.values(), key=lambda c: float(c.get("data-distance")))
    shades = [luminance(c.get("fill")) for c in by_distance]
    check("darker when closer", shades == sorted(shades) and len(set(shades)) == len(shades), True)
    ground = root.find(f"{SVG}rect[@fill='#f4f4f4']")
    placed = {(round((float(c.get("y")) - float(ground.get("y"))) / float(c.get("height"))),
               round((float(c.get("x")) - float(ground.get("x"))) / float(c.get("width")))) for c in cells.values()}
    check("cells drawn at their row and column", placed,
          {(int(c.get("data-row")), int(c.get("data-column"))) for c in cells.values()})
    check("chain boundaries (200|1_23|10_5|A2, A100A|LIG)", len(root.find(f"{SVG}g[@id='chains']")), 4)
    check("numbering gaps (A2|A5z|A10|A100; B2|B10)", len(root.find(f"{SVG}g[@id='gaps']")), 4)
    check("chain names", [t.text for t in root.find(f"{SVG}g[@id='chain-names']")],
          ["B", "1", "10", "chain A"])
    bar = [t.text for t in root.find(f"{SVG}g[@id='colour-bar']").findall(f"{SVG}text")]
    check("colour bar from the smallest distance rounded down to the largest", bar,
          ["distance (\u00c5)", "2.5", "3", "3.5", "4"])
    check("title", root.findall(f"{SVG}text")[1].text, "11 contacts, 9 residue pairs")

    # One interface, unsorted from pairsweep and sorted by pairsift: the same map, which is the bundled one (the
    # README's commands); and the bundled ligand map.
    chain_a = f"{examples}/1hpv_chainA.xyz"
    unsorted = os.path.join(work, "ab.pairtab")
    subprocess.run([pairsweep, chain_a, f"{examples}/1hpv_chainB.xyz", "4", unsorted], check=True)
    subprocess.run([pairsift, unsorted, unsorted + ".sorted"], check=True)
    options = ["--rows", chain_a, "--row-title", "chain A", "--column-title", "chain B", "--cutoff", "4",
               "--title", "1HPV: chains A and B"]
    maps = [open(draw(p, *options)[1]).read() for p in (unsorted, unsorted + ".sorted")]
    check("sorted and unsorted lists", maps[0] == maps[1], True)
    check("bundled map", maps[1], open(f"{examples}/1hpv_AB_map.svg").read())
    pocket = os.path.join(work, "ligand_a.pairtab")
    subprocess.run([pairsweep, f"{examples}/1hpv_ligand.xyz", chain_a, "4", pocket], check=True)
    drawn = draw(pocket, "--rows", f"{examples}/1hpv_ligand.xyz", "--row-title", "inhibitor VX-478", "--column-title",
                 "chain A", "--cutoff", "4", "--title", "1HPV: inhibitor and chain A")[1]
    check("bundled ligand map", open(drawn).read(), open(f"{examples}/1hpv_ligand_A_map.svg").read())

    # Without --max-distance the scale's top is the largest distance of the list, even below 1.
    with open(contacts, "w") as f:
        f.write("A1:ALA:CA\tB1:GLY:N\t0.5\nA2:ALA:CA\tB1:GLY:N\t0.25\n")
    root = draw(contacts)[0]
    check("scale from 0.2 to 0.5", [c.get("fill") for c in root.find(f"{SVG}g[@id='cells']")], ["#fde725", "#433981"])
    bar = root.find(f"{SVG}g[@id='colour-bar']")
    check("scale ticks", [t.text for t in bar.findall(f"{SVG}text")], ["distance (\u00c5)", "0.2", "0.3", "0.4", "0.5"])
    shape = bar.find(f"{SVG}rect")
    check("a one-row map has its colour bar below, across", float(shape.get("width")) > float(shape.get("height")), True)

    # Sides: a ligand numbered 903 beside residues 90 and 92 of its own chain. pairsweep's list has the ligand
    # first; pairsift's puts first whichever identifier sorts first as text ('A90' < 'A903' < 'A92').
    sweep = os.path.join(work, "ligand.pairtab")
    with open(sweep, "w") as f:
        f.write("A903:NAG:C1\tA90:ASN:ND2\t1.45\nA903:NAG:O5\tA92:THR:OG1\t3.1\nA903:NAG:C2\tA92:THR:CB\t3.6\n"
                "A904:ZN:ZN\tA92:THR:OG1\t2.1\n")
    subprocess.run([pairsift, sweep, sweep + ".sorted"], check=True)
    ligand = os.path.join(work, "ligand.xyz")
    with open(ligand, "w") as f:
        f.write("A903:NAG:C1\t1\t2\t3\nA903:NAG:O5\t1\t2\t4\nA904:ZN:ZN\t5\t5\t5\n")

    def axes(root):
        return ([t.text for t in root.find(f"{SVG}g[@id='row-labels']")],
                [t.text for t in root.find(f"{SVG}g[@id='column-labels']")])

    named = [draw(p, "--rows", ligand, "--title", "T") for p in (sweep, sweep + ".sorted")]
    check("rows named: the ligand's residues are rows, the chain's columns", axes(named[0][0]),
          (["A903 NAG", "A904 ZN"], ["A90 ASN", "A92 THR"]))
    check("rows named: sorted and unsorted lists give one map", open(named[0][1]).read(), open(named[1][1]).read())
    check("rows named: titles", [t.text for t in named[0][0].find(f"{SVG}g[@id='axis-titles']")],
          ["other residues", "ligand.xyz"])
    check("unsorted, unnamed: pairsweep's sides", axes(draw(sweep)[0]), (["A903 NAG", "A904 ZN"], ["A90 ASN", "A92 THR"]))
    root = draw(sweep + ".sorted")[0]
    every = ["A90 ASN", "A92 THR", "A903 NAG", "A904 ZN"]
    check("sorted, unnamed: one square map over every residue", axes(root), (every, every))
    check("square: each pair in both triangles", len(root.find(f"{SVG}g[@id='cells']")), 6)
    check("square: the subtitle says so", "both sides" in root.findall(f"{SVG}text")[1].text, True)
    # A self-contact list is square too, and a named side that holds both residues of a pair is refused.
    with open(contacts, "w") as f:
        f.write("A1:ALA:CA\tA2:GLY:N\t3\nA2:GLY:N\tA1:ALA:CA\t3\nA1:ALA:CB\tA3:SER:OG\t3.5\n")
    check("self list", axes(draw(contacts)[0]), (["A1 ALA", "A2 GLY", "A3 SER"], ["A1 ALA", "A2 GLY", "A3 SER"]))
    with open(ligand, "w") as f:
        f.write("A1:ALA:CA\t1\t2\t3\nA2:GLY:N\t1\t2\t4\n")
    os.remove(contacts + ".svg")
    refused = subprocess.run([pairmap, "--rows", ligand, contacts, contacts + ".svg"], capture_output=True, text=True)
    check("both residues on the named side", (refused.returncode, refused.stderr, os.path.exists(contacts + ".svg")),
          (2, f"pairmap: {contacts}:1: residues 'A1' and 'A2' are both rows\n", False))

    # Chains ending in "-" (joined with "_") and negative numbers in natural order; markup characters and UTF-8
    # in names and the title come back as they were, a byte that is not UTF-8 as "?".
    with open(contacts, "wb") as f:
        f.write(b"Z-_5:ARG:CA\tB-3:ALA:N\t3\nZ-_12:ARG:CA\tB-10:ALA:N\t3.1\nZ-_7:A&<>\":CA\tB2:ALA:N\t3.2\n")
    root, _ = draw(contacts, "--title", "\u00c5ngstr\u00f6m & <b> \"q\" " + os.fsdecode(b"\xff"))
    check("chains ending in -", ([t.text for t in root.find(f"{SVG}g[@id='row-labels']")],
                                 [t.text for t in root.find(f"{SVG}g[@id='column-labels']")]),
          (["Z-_5 ARG", "Z-_7 A&<>\"", "Z-_12 ARG"], ["B-10 ALA", "B-3 ALA", "B2 ALA"]))
    check("title text", root.findall(f"{SVG}text")[0].text, "\u00c5ngstr\u00f6m & <b> \"q\" ?")

    # A map of 3,000 residues in two chains, read at 1,200 pixels wide: no text under 9 pixels, labels never
    # overlapping, both chains named.
    with open(contacts, "w") as f:
        for r in range(1, 1501):
            f.write(f"A{r}:ALA:CA\tB{r}:GLY:N\t3\nB{r}:GLY:N\tA{r}:ALA:CA\t3\n")
    root, _ = draw(contacts)
    scale = 1200 / float(root.get("width"))
    sizes = [float(t.get("font-size", root.get("font-size"))) for t in root.iter(f"{SVG}text")]
    check("smallest text at 1,200 pixels wide is 9 pixels or more", min(sizes) * scale >= 9, True)
    steps = [float(b.get("y")) - float(a.get("y")) for a, b in zip(list(root.find(f"{SVG}g[@id='row-labels']")),
                                                                      list(root.find(f"{SVG}g[@id='row-labels']"))[1:])]
    check("labels at least a line apart", min(steps) >= 11, True)
    check("chain blocks named", [t.text for t in root.find(f"{SVG}g[@id='chain-names']")],
          ["chain A", "chain B", "chain A", "chain B"])

    # A self map of 1,062 residues with a gap in numbering after every third one, read at 1,200 pixels wide:
    # gap lines at least 6 pixels apart (where every gap would be a grey hatch), and every cell at least 2 pixels
    # square, so that no contact is fainter than a dot.
    numbers = [r + r // 3 * 5 for r in range(1062)]
    with open(contacts, "w") as f:
        for k in range(len(numbers) - 7):
            f.write(f"A{numbers[k]}:ALA:CA\tA{numbers[k + 7]}:GLY:N\t3.5\n")
    root, _ = draw(contacts)
    scale = 1200 / float(root.get("width"))
    ys = [float(line.get("y1")) for line in root.find(f"{SVG}g[@id='gaps']") if line.get("y1") == line.get("y2")]
    check("gap lines drawn", len(ys) > 10, True)
    check("gap lines at least 6 pixels apart", min(b - a for a, b in zip(ys, ys[1:])) * scale >= 6 - 1e-9, True)
    sides = [float(c.get("width")) for c in root.find(f"{SVG}g[@id='cells']")]
    check("cells at least 2 pixels square", min(sides) * scale >= 2 - 1e-9, True)

    # No contacts: still a picture, that says so.
    empty = os.path.join(work, "empty.pairtab")
    open(empty, "w").close()
    root, _ = draw(empty)
    check("empty list", [t.text for t in root.findall(f"{SVG}text")], ["empty.pairtab", "no contacts"])

print("\n".join(failures) or "all checks passed")
sys.exit(1 if failures else 0)
