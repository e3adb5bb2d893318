"""Exact contacts between atoms, from NumPy arrays or structure files.

The same engine as the pairscan, pairsweep and pairsift programs: single-precision distances, a documented order,
NumPy arrays out. A notebook session:

    >>> import pairscan
    >>> points = pairscan.read("1hpv.pdb", "//A")            # labels, float32 coordinates, residues
    >>> found = pairscan.search(points.coordinates, cutoff=4) # every pair within 4 Angstrom once, i < j
    >>> frame = pairscan.contacts_frame("1hpv.pdb", "//A", "//B")

Errors are exceptions with the programs' messages: FileNotFoundError and other OSErrors for files, ValueError
for everything else (a bad selection, a cut-off that is not positive, a file that is not a structure).
"""
from __future__ import annotations

import os
from typing import NamedTuple, Optional, Union

import numpy as np

from . import _engine

__all__ = ["Contacts", "Points", "search", "read", "contacts", "contacts_frame"]

PathLike = Union[str, "os.PathLike[str]"]


class Contacts(NamedTuple):
    """Pairs of points within the cut-off, as columns of equal length."""

    i: np.ndarray  # int64: the row in the first array
    j: np.ndarray  # int64: the row in the second array (or in the first, for self-contacts)
    distance: np.ndarray  # float32


class Points(NamedTuple):
    """The atoms of a structure as pairpick writes them, one row each."""

    labels: np.ndarray  # object: "A25:ASP:OD1", residue identifier, residue name and atom name
    coordinates: np.ndarray  # float32, shape (n, 3)
    residues: np.ndarray  # object: "A25", the residue identifier of each label


def search(a: np.ndarray, b: Optional[np.ndarray] = None, *, cutoff: float) -> Contacts:
    """Every pair of points within cutoff (distance <= cutoff), with its exact single-precision distance.

    a and b are arrays of shape (n, 3). A float32 C-contiguous array is read where it lies; any other array is
    converted to float32 once. The GIL is released while the search runs.

    With b: every point of a against every point of b, in the order pairsweep writes the same points (by grid
    cell of the a point, then a's row, then neighbour cell, then b's row), with the same distances to the bit.
    Without b: self-contacts, every unordered pair of distinct points of a once, i < j, ordered by i, then j.
    """
    return Contacts(*_engine.search(a, b, float(cutoff)))


def read(path: PathLike, selection: str, *, altloc: str = "first", waters: bool = False,
         hydrogens: bool = False, assembly: Optional[str] = None) -> Points:
    """The atoms of a PDB or mmCIF file (gzip too) that a gemmi selection matches, as pairpick writes them.

    As pairpick: the first model unless the selection names one; one conformer of each atom (altloc "first",
    a letter, or "all"); no waters or hydrogens unless asked. Coordinates are the file's, rounded once to float32.
    With assembly="1", biological assembly 1 is built first (copies of chain A named A1, A2, ...).
    """
    return Points(*_engine.read(os.fspath(path), selection, _altloc(altloc), waters, hydrogens, _assembly(assembly)))


def contacts(path: PathLike, selection: str, selection2: Optional[str] = None, *, cutoff: float = 4.0,
             same_residue: bool = False, min_separation: int = 0, skip_links: bool = False,
             allow_empty: bool = False, altloc: str = "first", waters: bool = False,
             hydrogens: bool = False, symmetry: bool = False, assembly: Optional[str] = None) -> dict:
    """The contacts pairscan writes for the same arguments, in its order, as a dict of NumPy arrays.

    Keys: residue1, type1, atom1, residue2, type2, atom2 (object arrays of str) and distance (float32). Rows are
    grouped by residue pair (the residue identifier that sorts first as text is residue1), by distance within a
    pair, each atom pair once.

    Two selections: the first against the second without the atoms of the first. One selection: its
    self-contacts, without pairs inside one residue (same_residue=True keeps them, each once) and, with
    min_separation=N, without pairs of polymer residues of one chain less than N apart in number. skip_links
    leaves out atom pairs the file records as covalently bonded; allow_empty gives no rows instead of an error
    for a selection that matches nothing.

    symmetry=True adds the contacts with the crystal's symmetry images of the second selection (of the
    selection itself with one), their residues named by operation and cell shift ("A25@2_655"); assembly="1"
    builds biological assembly 1 first. As pairscan's --symmetry and --assembly.
    """
    return _engine.contacts(os.fspath(path), selection, selection2, float(cutoff), same_residue,
                            int(min_separation), skip_links, allow_empty, _altloc(altloc), waters, hydrogens,
                            bool(symmetry), _assembly(assembly))


def contacts_frame(path: PathLike, selection: str, selection2: Optional[str] = None, **options):
    """contacts() as a pandas DataFrame, one row per contact, the same columns and order."""
    import pandas as pd

    return pd.DataFrame(contacts(path, selection, selection2, **options))


def _assembly(name: Optional[str]) -> str:
    if name is None:
        return ""
    if not isinstance(name, str) or not name:
        raise ValueError(f"assembly takes an assembly id such as '1', not {name!r}")
    return name


def _altloc(choice: str) -> str:
    # The programs' --altloc takes a letter or "all"; "first" is what they do without it.
    if choice == "first":
        return ""
    if choice == "all" or (isinstance(choice, str) and len(choice) == 1 and not choice.isspace()):
        return choice
    raise ValueError(f"altloc takes one letter, 'first' or 'all', not {choice!r}")
