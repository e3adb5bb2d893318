"""The Python module against the programs it shares its engine with, and against NumPy brute force."""
import os
import re
import subprocess
import threading
import time

import numpy as np
import pytest

import pairscan

ROOT = os.environ["PAIRSCAN_SOURCE"]
EXAMPLES = os.path.join(ROOT, "examples")
HPV = os.path.join(EXAMPLES, "1hpv.pdb")
A8O = os.path.join(EXAMPLES, "structures", "1A8O.cif.gz")


def tool(name):
    """A built program; ctest names each in the environment (PAIRSWEEP=...)."""
    return os.environ[name.upper()]


def float_text(d):
    """A distance as the programs write it (a default C++ stream: six significant digits)."""
    return f"{float(d):g}"


def brute_force(a, b, cutoff):
    """Every pair within cutoff, distances computed as the engine does: float32 squares, x and y summed first,
    then z, the square root in double, narrowed."""
    a, b = a.astype(np.float32), b.astype(np.float32)
    dx, dy, dz = (a[:, None, k] - b[None, :, k] for k in range(3))
    s = dx * dx + dy * dy
    s = dz * dz + s
    d = np.sqrt(s.astype(np.float64)).astype(np.float32)
    i, j = np.nonzero(d <= np.float32(cutoff))
    return i, j, d[i, j]


def points_text(points):
    """Coordinates as the shortest decimal text that reads back to the same float32."""
    return "".join(f"P{n}:X:C\t" + "\t".join(np.format_float_positional(v, unique=True) for v in row) + "\n"
                   for n, row in enumerate(points))


def random_points(seed, n, box):
    rng = np.random.default_rng(seed)
    points = rng.uniform(-box, box, size=(n, 3)).astype(np.float32)
    # A lattice at spacing 2 puts many pairs at exactly 2 and 4 Angstrom: the cut-off itself must count.
    lattice = np.array([(x, y, z) for x in range(0, 8, 2) for y in range(0, 8, 2) for z in range(0, 4, 2)],
                       dtype=np.float32)
    return np.concatenate([points, lattice])


@pytest.mark.parametrize("cutoff, other", [(4.0, True), (2.0, True), (4.0, False), (2.0, False), (0.5, False)])
def test_search_against_brute_force(cutoff, other):
    a = random_points(1, 700, 12)
    b = random_points(2, 500, 12) if other else None
    if b is None:
        a = np.concatenate([a, np.repeat(a[:1], 40, axis=0)])  # a pile: one point with more than 32 partners
    found = pairscan.search(a, b, cutoff=cutoff)
    assert found.i.dtype == np.int64 and found.j.dtype == np.int64 and found.distance.dtype == np.float32
    i, j, d = brute_force(a, a if b is None else b, cutoff)
    if b is None:
        keep = i < j  # self-contacts: each unordered pair of distinct points once, by i, then j
        i, j, d = i[keep], j[keep], d[keep]
        assert np.array_equal(found.i, i) and np.array_equal(found.j, j)
        assert np.array_equal(found.distance.view(np.uint32), d.view(np.uint32))
    else:
        got = sorted(zip(found.i.tolist(), found.j.tolist(), found.distance.view(np.uint32).tolist()))
        assert got == sorted(zip(i.tolist(), j.tolist(), d.view(np.uint32).tolist()))
    if cutoff in (2.0, 4.0):  # the lattice has pairs at exactly these distances
        assert np.any(found.distance == np.float32(cutoff))


def test_search_order_and_text_match_pairsweep(tmp_path):
    """Two arrays give pairsweep's lines for the same points: its order, its distances, to the last byte."""
    cases = [(os.path.join(EXAMPLES, "1hpv_ligand.xyz"), os.path.join(EXAMPLES, "1hpv_chainA.xyz"), "4"),
             (os.path.join(EXAMPLES, "1hpv_chainA.xyz"), os.path.join(EXAMPLES, "1hpv_chainB.xyz"), "6.5")]
    generated = random_points(3, 400, 9)
    (tmp_path / "g.xyz").write_text(points_text(generated))
    cases.append((str(tmp_path / "g.xyz"), str(tmp_path / "g.xyz"), "4"))
    for list_a, list_b, cutoff in cases:
        out = tmp_path / "out.pairtab"
        subprocess.run([tool("pairsweep"), list_a, list_b, cutoff, str(out)], check=True)
        sides = []
        for path in (list_a, list_b):
            rows = [line.split("\t") for line in open(path).read().splitlines() if line.strip()]
            sides.append(([r[0] for r in rows], np.array([[float(v) for v in r[1:4]] for r in rows], dtype=np.float32)))
        found = pairscan.search(sides[0][1], sides[1][1], cutoff=float(cutoff))
        lines = "".join(f"{sides[0][0][i]}\t{sides[1][0][j]}\t{float_text(d)}\n"
                        for i, j, d in zip(found.i, found.j, found.distance))
        assert lines == out.read_text(), (list_a, list_b)


def test_contacts_match_pairscan(tmp_path):
    cases = [(HPV, ["//A"], {}), (HPV, ["//A", "//B"], {}), (HPV, ["//*/(478)", "//A"], {"cutoff": 5.5}),
             (HPV, ["//A"], {"min_separation": 3, "same_residue": True}),
             (A8O, ["//A"], {"symmetry": True}), (A8O, ["//A1", "//A2"], {"assembly": "1"})]
    for path, selections, options in cases:
        out = tmp_path / "scan.pairtab"
        flags = []
        if "cutoff" in options:
            flags += ["--cutoff", str(options["cutoff"])]
        if options.get("same_residue"):
            flags.append("--same-residue")
        if "min_separation" in options:
            flags += ["--min-separation", str(options["min_separation"])]
        if options.get("symmetry"):
            flags.append("--symmetry")
        if "assembly" in options:
            flags += ["--assembly", options["assembly"]]
        subprocess.run([tool("pairscan"), *flags, path, *selections, str(out)], check=True)
        found = pairscan.contacts(path, *selections, **options)
        assert list(found) == ["residue1", "type1", "atom1", "residue2", "type2", "atom2", "distance"]
        lines = "".join(f"{r1}:{t1}:{a1}\t{r2}:{t2}:{a2}\t{float_text(d)}\n" for r1, t1, a1, r2, t2, a2, d in
                        zip(*found.values()))
        assert lines and lines == out.read_text(), selections
        if path == HPV and "min_separation" in options:
            self_contacts = found
    frame = pairscan.contacts_frame(HPV, "//A", min_separation=3, same_residue=True)
    assert list(frame.columns) == list(self_contacts)
    assert frame["distance"].tolist() == self_contacts["distance"].tolist()


def test_read_matches_pairpick(tmp_path):
    out = tmp_path / "a.xyz"
    subprocess.run([tool("pairpick"), HPV, "//A", str(out)], check=True)
    rows = [line.split("\t") for line in out.read_text().splitlines()]
    points = pairscan.read(HPV, "//A")
    assert points.labels.tolist() == [r[0] for r in rows]
    assert points.residues.tolist() == [r[0].split(":")[0] for r in rows]
    assert points.coordinates.dtype == np.float32 and points.coordinates.shape == (len(rows), 3)
    assert np.array_equal(points.coordinates, np.array([[float(v) for v in r[1:]] for r in rows], dtype=np.float32))
    subprocess.run([tool("pairpick"), "--assembly", "1", A8O, "//A2", str(out)], check=True)
    copy = pairscan.read(A8O, "//A2", assembly="1")
    assert copy.labels.tolist() == [line.split("\t")[0] for line in out.read_text().splitlines()]


def test_results_are_the_engines_arrays_and_any_real_dtype_gives_the_same_pairs():
    # The columns are the engine's own vectors handed over, not copies that NumPy owns.
    found = pairscan.search(random_points(3, 2000, 20), cutoff=3)
    assert len(found.i) > 0
    assert all(not column.flags.owndata and column.base is not None for column in found)
    # Other dtypes and layouts give the same pairs as their float32 values.
    a = random_points(4, 300, 8)
    expected = pairscan.search(a, cutoff=3)
    for variant in (a.astype(np.float64), np.asfortranarray(a), a.tolist()):
        found = pairscan.search(variant, cutoff=3)
        assert all(np.array_equal(x, y) for x, y in zip(found, expected))
    integers = np.array([[0, 0, 0], [3, 0, 0], [0, 5, 0]], dtype=np.int32)
    assert pairscan.search(integers, cutoff=3).j.tolist() == [1]


def test_search_releases_the_gil():
    a = random_points(5, 600_000, 120)
    done = threading.Event()
    result = {}
    worker = threading.Thread(target=lambda: (result.update(found=pairscan.search(a, cutoff=4)), done.set()))
    worker.start()
    ticks = 0
    while not done.is_set():
        ticks += 1
        time.sleep(0.001)
    worker.join()
    # Held through the search, the GIL would let this loop run once or twice at most.
    assert ticks > 20 and len(result["found"].i) > 0


def test_errors(tmp_path):
    (tmp_path / "junk.pdb").write_text("hello\n")
    cases = [
        (lambda: pairscan.read(tmp_path / "missing.pdb", "//A"), FileNotFoundError,
         r"^cannot read .*missing\.pdb: No such file or directory$"),
        (lambda: pairscan.contacts(tmp_path, "//A"), IsADirectoryError, r"^cannot read .*: Is a directory$"),
        (lambda: pairscan.read(tmp_path / "junk.pdb", "//A"), ValueError, r"neither a PDB nor an mmCIF file$"),
        (lambda: pairscan.read(HPV, "//A/(nothing"), ValueError, r"^selection"),
        (lambda: pairscan.read(HPV, "//Q"), ValueError, r"^selection '//Q' matches no atom"),
        (lambda: pairscan.contacts(HPV, "//A", cutoff=0), ValueError, r"^the cut-off must be a positive number, not 0$"),
        (lambda: pairscan.contacts(HPV, "//A", altloc="xy"), ValueError, r"altloc takes one letter"),
        (lambda: pairscan.contacts(HPV, "//A", min_separation=-1), ValueError, r"min_separation"),
        (lambda: pairscan.contacts(HPV, "//A", assembly="1"), ValueError, r"^no assembly '1' in .*1hpv.pdb; it declares none$"),
        (lambda: pairscan.read(HPV, "//A", assembly=""), ValueError, r"^assembly takes an assembly id"),
        (lambda: pairscan.contacts(os.path.join(EXAMPLES, "structures", "2BEG.pdb.gz"), "//A", symmetry=True),
         ValueError, r"^--symmetry needs a crystal: .*2BEG.pdb.gz is SOLUTION NMR, not a diffraction method$"),
        (lambda: pairscan.contacts(A8O, "//A", symmetry=True, assembly="1"), ValueError, r"one or the other$"),
        (lambda: pairscan.search(np.zeros((4, 2)), cutoff=1), ValueError, r"^a: expected an array of shape \(n, 3\)$"),
        (lambda: pairscan.search(np.zeros((4, 3)), np.zeros(3), cutoff=1), ValueError, r"^b: expected"),
        (lambda: pairscan.search(np.zeros((4, 3)), cutoff=-1), ValueError, r"^the cut-off must be a positive number"),
        (lambda: pairscan.search(np.array([[0, 0, np.nan]]), cutoff=1), ValueError,
         r"^a: row 0 has a coordinate that is not a finite number$"),
        # The edges of a notebook: an infinite cut-off, a path cut by a NUL or read from the interpreter's own
        # stdin, arrays that are not real numbers, a cut-off given where the second selection goes.
        (lambda: pairscan.contacts(HPV, "//A", cutoff=1e39), ValueError, r"^the cut-off must be a positive finite number"),
        (lambda: pairscan.search(np.zeros((4, 3)), cutoff=float("inf")), ValueError, r"positive finite number, not inf$"),
        (lambda: pairscan.read(HPV + "\0junk", "//A"), ValueError, r"^embedded null byte"),
        (lambda: pairscan.read("-", "//A"), ValueError, r"^'-' \(standard input\) is not read by the module"),
        (lambda: pairscan.search(np.zeros((4, 3), complex), cutoff=1), TypeError, r"^a: expected real coordinates"),
        (lambda: pairscan.search(np.zeros((4, 3)), np.zeros((4, 3), bool), cutoff=1), TypeError, r"^b: expected real"),
        (lambda: pairscan.search(np.zeros((4, 3), "datetime64[s]"), cutoff=1), TypeError, r"^a: expected real"),
        (lambda: pairscan.contacts(HPV, "//A", 5), TypeError, r"the cut-off is given as cutoff=5$"),
        (lambda: pairscan.contacts(HPV, "//A", min_separation=2**31), ValueError, r"^min_separation must be a whole"),
        (lambda: pairscan.contacts(HPV, ""), ValueError, r"^selection is empty"),
        (lambda: pairscan.contacts(HPV, "//A", ""), ValueError, r"^selection2 is empty"),
    ]
    for call, kind, message in cases:
        with pytest.raises(kind, match=message):
            call()
    with pytest.raises(FileNotFoundError) as caught:
        pairscan.read(tmp_path / "missing.pdb", "//A")
    assert caught.value.errno == 2 and not str(caught.value).startswith("pairscan")
    empty = pairscan.contacts(HPV, "//Q", "//A", allow_empty=True)
    assert all(len(column) == 0 for column in empty.values())


def test_a_coordinate_that_is_not_a_number(tmp_path):
    """A picked atom with nan is refused, whether first or later, on either side, with symmetry or not; an atom
    the selection leaves out does not matter."""
    import gzip
    text = gzip.open(os.path.join(EXAMPLES, "structures", "1A8O.pdb.gz"), "rt").read().split("\n")
    atoms = [k for k, line in enumerate(text) if line.startswith("ATOM")]
    for which, selection, options in [(0, "//A", {}), (0, "//A", {"symmetry": True}), (40, "//A", {}),
                                       (0, "//A/170-180", {"selection2": "//A"})]:
        broken = list(text)
        broken[atoms[which]] = broken[atoms[which]][:30] + "     nan" + broken[atoms[which]][38:]
        path = tmp_path / "nan.pdb"
        path.write_text("\n".join(broken))
        second = options.pop("selection2", None)
        with pytest.raises(ValueError, match=r"nan\.pdb: atom '\S+' of residue A\d+ \(\w+, chain 'A'\) has a coordinate "
                                             r"that is not a finite number$"):
            pairscan.contacts(path, selection, second, **options)
    # The 41st atom lies in the first residues: a selection past them is untouched.
    assert len(pairscan.contacts(path, "//A/170-180")["distance"]) == len(
        pairscan.contacts(os.path.join(EXAMPLES, "structures", "1A8O.pdb.gz"), "//A/170-180")["distance"])


def test_any_byte_of_a_name_survives(tmp_path):
    """A chain byte that is not UTF-8 comes back as os.fsdecode gives it, and encodes back to the same byte."""
    raw = open(HPV, "rb").read().split(b"\n")
    raw = [line[:21] + b"\xe9" + line[22:] if line[:4] == b"ATOM" and line[21:22] == b"B" else line for line in raw]
    (tmp_path / "e9.pdb").write_bytes(b"\n".join(raw))
    found = pairscan.contacts(tmp_path / "e9.pdb", "//A", os.fsdecode(b"//\xe9"))
    assert len(found["distance"]) > 0
    assert {os.fsencode(r)[:1] for r in found["residue2"]} | {os.fsencode(r)[:1] for r in found["residue1"]} >= {b"\xe9"}


def test_ctrl_c_stops_a_long_search():
    """SIGINT during a search of 300k points at 6 A (seconds of work) raises KeyboardInterrupt long before the
    search would end."""
    import signal
    points = (np.random.default_rng(1).random((300000, 3)) * 60).astype(np.float32)
    fired = []
    timer = threading.Timer(0.3, lambda: (fired.append(time.monotonic()), os.kill(os.getpid(), signal.SIGINT)))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        pairscan.search(points, cutoff=6)
    timer.join()
    assert time.monotonic() - fired[0] < 3


def test_readme_session():
    """The module's page and the README's three lines run as shown, from the project folder."""
    code = []
    for page in ("docs/python.md", "README.md"):
        code += re.findall(r"```python\n(.*?)```", open(os.path.join(ROOT, page)).read(), re.S)
    assert len(code) >= 2
    here = os.getcwd()
    os.chdir(ROOT)
    try:
        for block in code:
            exec(compile(block, "docs", "exec"), {})
    finally:
        os.chdir(here)



def as_text(frame):
    """A data frame as the programs' text fields: numbers as they write them, empty fields empty."""
    frame = frame.copy()
    for column in frame.columns:
        if frame[column].dtype.kind == "f":
            frame[column] = [float_text(v) if v == v else "" for v in frame[column]]
        else:
            frame[column] = frame[column].astype(str)
    return frame.reset_index(drop=True)


def test_tables_chains_ligands_and_interfaces_are_the_programs(tmp_path):
    """Each data frame holds what the programs write, column for column and row for row (their files read back
    as text)."""
    import pandas as pd

    def read(path, **options):
        return pd.read_csv(path, sep="\t", keep_default_na=False, dtype=str, **options)

    for first, second, options in [("//*/(478)", "//A", {}), ("//*/(478)", "//A,B", {"waters": True}),
                                   ("//A", None, {"min_separation": 6}),
                                   ("//A", None, {"symmetry": True, "min_separation": 6})]:
        structure = A8O if options.get("symmetry") else HPV
        flags = [f"--{k.replace('_', '-')}" + ("" if v is True else f"={v}") for k, v in options.items()]
        # Areas are of the file's chains, not of the crystal around them.
        nouns = [noun for noun in pairscan.TABLES if noun != "areas" or not options.get("symmetry")]
        files = {noun: tmp_path / f"{noun}.tsv" for noun in nouns}
        subprocess.run([tool("pairscan"), *flags, *[a for noun in nouns for a in (f"--{noun}", files[noun])],
                        structure, first, *([second] if second else []), tmp_path / "x.pairtab"], check=True)
        frames = pairscan.tables(structure, first, second, write=nouns, **options)
        for noun in nouns:
            pd.testing.assert_frame_equal(as_text(frames[noun]), read(files[noun]), obj=f"{noun} of {first} {second}")
    # The residues table is the pocket: side 2 lists chain A's residues that touch the inhibitor.
    pocket = pairscan.tables(HPV, "//*/(478)", "//A", write="residues")["residues"]
    assert pocket[pocket.side == 2].number.tolist() == [23, 25, 27, 28, 29, 30, 32, 47, 48, 49, 50, 81, 84]

    listed = subprocess.run([tool("pairpick"), "--list", HPV], check=True, capture_output=True, text=True).stdout
    assert [list(map(str, row)) for row in pairscan.chains(HPV).itertuples(index=False)] == \
        [line.split("\t") for line in listed.splitlines()]
    with_ligands = os.path.join(EXAMPLES, "structures", "7CFN.cif.gz")
    subprocess.run([tool("pairpick"), "--list-ligands", with_ligands, tmp_path / "ligands.tsv"], check=True)
    ligands = pairscan.ligands(with_ligands)
    assert len(ligands) > 0
    pd.testing.assert_frame_equal(as_text(ligands), read(tmp_path / "ligands.tsv"))

    # Label numbering, as the program gives it.
    cfn = os.path.join(EXAMPLES, "structures", "7CFN.cif.gz")
    subprocess.run([tool("pairscan"), "--numbering", "label", "--residues", tmp_path / "label.tsv", cfn, "//R/33",
                    "//R", tmp_path / "x.pairtab"], check=True)
    labelled = pairscan.tables(cfn, "//R/33", "//R", write="residues", numbering="label")["residues"]
    assert labelled.resname[0] == "ALA"
    pd.testing.assert_frame_equal(as_text(labelled), read(tmp_path / "label.tsv"))
    with pytest.raises(ValueError, match="numbering takes"):
        pairscan.chains(HPV, numbering="sequence")

    subprocess.run([tool("pairscan"), "--assembly", "1", "--interfaces", tmp_path / "assembly", A8O], check=True)
    summary = read(tmp_path / "assembly" / "summary.tsv").drop(columns=["structure", "folder"])
    pd.testing.assert_frame_equal(as_text(pairscan.interfaces(A8O, assembly=1)), summary)
    # With areas, as --write areas gives them; a chain against itself has none.
    bundled = os.path.join(EXAMPLES, "structures", "2BEG.pdb.gz")
    subprocess.run([tool("pairscan"), "--self", "--write", "areas,interactions", "--interfaces", tmp_path / "areas",
                    bundled], check=True)
    summary = read(tmp_path / "areas" / "summary.tsv").drop(columns=["structure", "folder"])
    pd.testing.assert_frame_equal(as_text(pairscan.interfaces(bundled, areas=True, self_pairs=True, interactions=True)),
                                  summary)
