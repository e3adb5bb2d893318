"""Residue-pair frequencies over frames: the module against pairscan --models on an NMR entry, frames given as
an array, as objects with .positions, and through trajectory files that MDAnalysis writes and reads."""
import os
import subprocess
import warnings

import gemmi
import numpy as np
import pandas as pd
import pytest

import pairscan
from test_module import ROOT, as_text, tool

NMR = os.path.join(ROOT, "tests", "scanner", "data", "1d3z.pdb.gz")


def models_array(path):
    """Every model's atoms in file order: the frames of the entry."""
    structure = gemmi.read_structure(path)
    return np.array([[a.pos.tolist() for chain in model for residue in chain for a in residue] for model in structure],
                    dtype=np.float32)


def program_table(tmp_path, models="all"):
    out = tmp_path / "pairs.tsv"
    subprocess.run([tool("pairscan"), "--models", models, "--residue-pairs", out, "--min-separation", "3", NMR, "//A",
                    tmp_path / "x.pairtab"], check=True)
    return pd.read_csv(out, sep="\t", keep_default_na=False, dtype=str)


def test_frames_as_the_program_counts_models(tmp_path):
    frames = models_array(NMR)
    expected = program_table(tmp_path)
    got = pairscan.frequencies(NMR, frames, "//A", min_separation=3)
    pd.testing.assert_frame_equal(as_text(got), expected)
    assert got.frequency.between(0, 1).all() and (got.models_in_contact <= len(frames)).all()

    # The same frames one by one, as objects with .positions in double precision.
    class Step:
        def __init__(self, xyz):
            self.positions = xyz.astype(np.float64)

    pd.testing.assert_frame_equal(pairscan.frequencies(NMR, (Step(f) for f in frames), "//A", min_separation=3), got)
    # One frame: every pair listed is in contact in it.
    one = pairscan.frequencies(NMR, frames[:1], "//A", min_separation=3)
    assert (one.frequency == 1).all() and (one.models_in_contact == 1).all()
    pd.testing.assert_frame_equal(as_text(one), program_table(tmp_path, "1"))


@pytest.mark.parametrize("frames, error, message", [
    (np.zeros((2, 5, 3), np.float32), ValueError, r"frame 1 must be an array of shape \(1231, 3\)"),
    (np.zeros((1, 1231, 3), np.int32), TypeError, "float32 or float64"),
    (np.zeros((0, 1231, 3), np.float32), ValueError, "no frame"),
    (np.full((1, 1231, 3), np.nan, np.float32), ValueError, "not a finite number"),
])
def test_frames_refused(frames, error, message):
    with pytest.raises(error, match=message):
        pairscan.frequencies(NMR, frames, "//A")


def test_trajectory_files_through_mdanalysis(tmp_path):
    """DCD keeps float32 coordinates: the same frequencies as the array. XTC keeps them to 0.01 A: the same as
    the array read back from it, and within a few frames in all of the exact ones (pairs at the cut-off move)."""
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        import MDAnalysis as mda
    structure = gemmi.read_structure(NMR)
    for k in reversed(range(1, len(structure))):
        del structure[k]
    topology = str(tmp_path / "topology.pdb")
    structure.write_pdb(topology)
    generator = np.random.default_rng(11)
    frames = np.concatenate([models_array(NMR)] * 3)
    frames += generator.uniform(-0.3, 0.3, frames.shape).astype(np.float32)
    exact = pairscan.frequencies(topology, frames, "//A", min_separation=3)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        universe = mda.Universe(topology)
        for suffix in ("dcd", "xtc"):
            with mda.Writer(str(tmp_path / f"run.{suffix}"), universe.atoms.n_atoms) as writer:
                for frame in frames:
                    universe.atoms.positions = frame
                    writer.write(universe.atoms)
        dcd = pairscan.frequencies(topology, mda.Universe(topology, str(tmp_path / "run.dcd")).trajectory, "//A",
                                   min_separation=3)
        xtc_run = mda.Universe(topology, str(tmp_path / "run.xtc")).trajectory
        xtc = pairscan.frequencies(topology, xtc_run, "//A", min_separation=3)
        read_back = np.array([step.positions.copy() for step in xtc_run])
    pd.testing.assert_frame_equal(dcd, exact)
    # The program reads the DCD that MDAnalysis wrote as the module counts it.
    out = tmp_path / "dcd.tsv"
    subprocess.run([tool("pairscan"), "--trajectory", tmp_path / "run.dcd", "--residue-pairs", out, "--min-separation", "3",
                    topology, "//A", tmp_path / "x.pairtab"], check=True)
    pd.testing.assert_frame_equal(pd.read_csv(out, sep="\t", keep_default_na=False, dtype=str), as_text(dcd))
    pd.testing.assert_frame_equal(xtc, pairscan.frequencies(topology, read_back, "//A", min_separation=3))
    merged = exact.merge(xtc, on=["number1", "number2"], how="outer", suffixes=("", "_xtc")).fillna(0)
    moved = (merged.models_in_contact - merged.models_in_contact_xtc).abs().sum()
    assert len(merged) > 100 and moved <= 0.01 * merged.models_in_contact.sum(), moved


def write_dcd(path, frames, order="<", cell=True, charmm=True, fixed=0, four_d=0, cut=0):
    """A DCD file as CHARMM and NAMD (version 24) or X-PLOR (version 0) write it, in either byte order."""
    import struct

    def record(data):
        return struct.pack(order + "i", len(data)) + data + struct.pack(order + "i", len(data))

    control = [len(frames), 0, 1, len(frames), 0, 0, 0, 0, fixed, 0, int(cell and charmm), four_d, 0, 0, 0, 0, 0, 0, 0,
               24 if charmm else 0]
    header = b"CORD" + struct.pack(order + "9i", *control[:9]) + struct.pack(order + "f", 0.002) + \
        struct.pack(order + "10i", *control[10:])
    out = record(header) + record(struct.pack(order + "i", 1) + b"written by the test".ljust(80)) + \
        record(struct.pack(order + "i", frames.shape[1]))
    for frame in frames:
        if cell and charmm:
            out += record(struct.pack(order + "6d", 50, 90, 50, 90, 90, 50))
        for axis in range(3):
            out += record(frame[:, axis].astype(order + "f4").tobytes())
    with open(path, "wb") as f:
        f.write(out[:len(out) - cut])


def test_dcd_in_the_program(tmp_path):
    """pairscan --trajectory reads DCD in every variant and byte order as the module counts the same frames;
    other files are refused with one line."""
    frames = models_array(NMR)
    expected = as_text(pairscan.frequencies(NMR, frames, "//A", min_separation=3))
    for variant in [dict(order="<"), dict(order=">"), dict(order="<", cell=False), dict(order=">", charmm=False)]:
        path = tmp_path / "run.dcd"
        write_dcd(path, frames, **variant)
        out = tmp_path / "pairs.tsv"
        subprocess.run([tool("pairscan"), "--trajectory", path, "--residue-pairs", out, "--min-separation", "3", NMR,
                        "//A", tmp_path / "x.pairtab"], check=True)
        pd.testing.assert_frame_equal(pd.read_csv(out, sep="\t", keep_default_na=False, dtype=str), expected,
                                      obj=str(variant))
    for variant, message in [
            (dict(fixed=5), "fixed atoms in a DCD trajectory are not read"),
            (dict(four_d=1), "a fourth dimension"),
            (dict(cut=7), "ends within a frame"),
            (dict(), "frames of 7 atoms"),
    ]:
        path = tmp_path / "bad.dcd"
        write_dcd(path, frames[:, :7] if message.startswith("frames of") else frames, **variant)
        done = subprocess.run([tool("pairscan"), "--trajectory", path, "--residue-pairs", tmp_path / "bad.tsv", NMR, "//A",
                               tmp_path / "bad.pairtab"], capture_output=True, text=True)
        assert done.returncode == 2 and message in done.stderr and done.stderr.count("\n") == 1, done.stderr
        assert not (tmp_path / "bad.tsv").exists()
    done = subprocess.run([tool("pairscan"), "--trajectory", NMR, "--residue-pairs", tmp_path / "bad.tsv", NMR, "//A",
                           tmp_path / "bad.pairtab"], capture_output=True, text=True)
    assert done.returncode == 2 and "not a DCD trajectory" in done.stderr
