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

__all__ = ["Contacts", "Points", "search", "read", "contacts", "contacts_frame", "tables", "chains", "ligands",
           "interfaces", "frequencies"]

# The tables a call of tables() can return, by the nouns of pairscan's options.
TABLES = ("contacts", "residues", "residue-pairs", "interactions", "areas")

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
    return Contacts(*_engine.search(_real_rows(a, "a"), None if b is None else _real_rows(b, "b"), float(cutoff)))


def read(path: PathLike, selection: str, *, altloc: str = "first", waters: bool = False,
         hydrogens: bool = False, assembly: Optional[str] = None, numbering: str = "author") -> Points:
    """The atoms of a PDB or mmCIF file (gzip too) that a gemmi selection matches, as pairpick writes them.

    As pairpick: the first model unless the selection names one; one conformer of each atom (altloc "first",
    a letter, or "all"); no waters or hydrogens unless asked. Coordinates are the file's, rounded once to float32.
    With assembly="1", biological assembly 1 is built first (copies of chain A named A1, A2, ...).
    """
    return Points(*_engine.read(_path(path), _selection(selection, "selection"), _altloc(altloc), waters, hydrogens,
                                _assembly(assembly), _label_numbers(numbering)))


def contacts(path: PathLike, selection: str, selection2: Optional[str] = None, *, cutoff: float = 4.0,
             same_residue: bool = False, min_separation: int = 0, skip_links: bool = False,
             allow_empty: bool = False, altloc: str = "first", waters: bool = False,
             hydrogens: bool = False, symmetry: bool = False, assembly: Optional[str] = None,
             numbering: str = "author") -> dict:
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
    _check_call(selection2, min_separation)
    return _engine.contacts(_path(path), _selection(selection, "selection"),
                            None if selection2 is None else _selection(selection2, "selection2"), float(cutoff),
                            same_residue, int(min_separation), skip_links, allow_empty, _altloc(altloc), waters,
                            hydrogens, bool(symmetry), _assembly(assembly), _label_numbers(numbering))


def contacts_frame(path: PathLike, selection: str, selection2: Optional[str] = None, **options):
    """contacts() as a pandas DataFrame, one row per contact, the same columns and order."""
    import pandas as pd

    return pd.DataFrame(contacts(path, selection, selection2, **options))


# The largest --min-separation the program takes.
_MAX_SEPARATION = 1000000


def _path(path: PathLike) -> bytes:
    # As open() does: a NUL would cut the path short. "-" is the programs' standard input, which in a module
    # would be the interpreter's own.
    path = os.fspath(path)
    if isinstance(path, bytes):
        path = os.fsdecode(path)
    if "\0" in path:
        raise ValueError("embedded null byte in path")
    if path == "-":
        raise ValueError("'-' (standard input) is not read by the module; give a file's path")
    return os.fsencode(path)  # the file system's bytes: a name that is not UTF-8 still opens


def _selection(text: str, name: str) -> bytes:
    if not isinstance(text, str):
        raise TypeError(f"{name} must be a selection such as '//A', not {text!r}")
    if not text:
        raise ValueError(f"{name} is empty; '//*' selects every chain")
    return os.fsencode(text)  # names are bytes: a chain that is not UTF-8 is selected as os.fsdecode gave it


def _real_rows(points, name: str):
    # Real numbers only: NumPy would drop a complex part, and a bool or a date is no coordinate.
    array = np.asarray(points)
    if array.dtype.kind not in "fiu":
        raise TypeError(f"{name}: expected real coordinates (floats or integers), not an array of {array.dtype}")
    return array


def tables(path: PathLike, selection: str, selection2: Optional[str] = None, *,
           write=("contacts", "residues"), cutoff: float = 4.0, same_residue: bool = False, min_separation: int = 0,
           skip_links: bool = False, allow_empty: bool = False, altloc: str = "first", waters: bool = False,
           hydrogens: bool = False, symmetry: bool = False, assembly=None, numbering: str = "author",
           criteria: Optional[dict] = None) -> dict:
    """The tables pairscan writes with --contacts, --residues and --residue-pairs, as pandas DataFrames keyed by
    those nouns (those named in write), with the same columns and rows: each atom pair with the first selection's
    atom first; each residue in contact of either side (side 1 or 2: the pocket of a ligand); each residue pair;
    each typed interaction ("interactions", as --interactions: the residue pairs then gain one count per type;
    angles are NaN where a type has none); each residue's solvent-accessible area with its side alone and the
    part the other side buries ("areas", as --areas). criteria changes thresholds of the interaction types by
    name, as --criterion does ({"hbond_distance": 4.1}). The other arguments are those of contacts()."""
    import pandas as pd

    if isinstance(write, str):
        write = (write,)
    unknown = [noun for noun in write if noun not in TABLES]
    if unknown:
        raise ValueError(f"write takes some of {', '.join(TABLES)}, not {unknown[0]!r}")
    _check_call(selection2, min_separation)
    found = _engine.tables(_path(path), _selection(selection, "selection"),
                           None if selection2 is None else _selection(selection2, "selection2"), float(cutoff),
                           same_residue, int(min_separation), skip_links, allow_empty, _altloc(altloc), waters,
                           hydrogens, bool(symmetry), _assembly(assembly), list(write), _label_numbers(numbering),
                           _criteria(criteria))
    return {noun: pd.DataFrame(columns) for noun, columns in found.items()}


def _criteria(criteria) -> dict:
    if criteria is None:
        return {}
    if not isinstance(criteria, dict):
        raise TypeError(f"criteria takes a dict of names and numbers, not {type(criteria).__name__}")
    out = {}
    for name, value in criteria.items():
        if not isinstance(name, str) or isinstance(value, bool) or not isinstance(value, (int, float)):
            raise TypeError(f"criteria: {name!r} takes a number, not {value!r}")
        out[name] = repr(float(value))
    return out


def chains(path: PathLike, *, altloc: str = "first", waters: bool = False, hydrogens: bool = False,
           assembly=None, numbering: str = "author"):
    """The chains as pairpick --list lists them, as a DataFrame: chain, residues, atoms (kept by the defaults),
    kind (polymer or other)."""
    import pandas as pd

    return pd.DataFrame(_engine.chains(_path(path), _altloc(altloc), waters, hydrogens, _assembly(assembly),
                                       _label_numbers(numbering)))


def ligands(path: PathLike, *, altloc: str = "first", waters: bool = False, hydrogens: bool = False,
            assembly=None, numbering: str = "author"):
    """The ligands as pairpick --list-ligands lists them (residues of no polymer, not water), as a DataFrame:
    chain, number, icode, name, atoms."""
    import pandas as pd

    return pd.DataFrame(_engine.ligands(_path(path), _altloc(altloc), waters, hydrogens, _assembly(assembly),
                                        _label_numbers(numbering)))


def interfaces(path: PathLike, *, cutoff: float = 4.0, min_separation: int = 0, skip_links: bool = False,
               altloc: str = "first", waters: bool = False, hydrogens: bool = False, symmetry: bool = False,
               assembly=None, self_pairs: bool = False, numbering: str = "author", areas: bool = False,
               interactions: bool = False):
    """Every pair of polymer chains as pairscan --interfaces gives its summary rows, as a DataFrame (closest is
    NaN for a pair without contacts; image_contacts with symmetry=True); self_pairs=True adds each chain against
    itself, with min_separation; areas=True adds buried_area and interface_area (NaN for a chain against
    itself), as --write areas does; interactions=True one count per interaction type, as --write
    interactions does."""
    import pandas as pd

    _check_call(None, min_separation)
    columns = _engine.interfaces(_path(path), float(cutoff), int(min_separation), skip_links, _altloc(altloc), waters,
                                 hydrogens, bool(symmetry), _assembly(assembly), bool(self_pairs),
                                 _label_numbers(numbering), bool(areas), bool(interactions))
    return pd.DataFrame(columns)


def frequencies(topology: PathLike, frames, selection: str, selection2: Optional[str] = None, *, cutoff: float = 4.0,
                min_separation: int = 0, same_residue: bool = False, skip_links: bool = False, altloc: str = "first",
                waters: bool = False, hydrogens: bool = False, numbering: str = "author",
                between_chains: bool = False):
    """How often each residue pair is in contact over the frames of a trajectory, as the residue-pair table
    (pairscan --residue-pairs, contacts and closest of the topology's own coordinates) with models_in_contact
    (frames in contact) and frequency appended.

    topology is a structure file, read once: its first model's atoms in file order, before any selection, are
    the frame layout. frames is a (frames, atoms, 3) array, or any iterable of (atoms, 3) arrays or of objects
    with .positions (MDAnalysis' Universe.trajectory gives those); float32 or float64, each read where it is.
    Each frame is searched as pairscan would search a structure of those coordinates, with the GIL released; a
    KeyboardInterrupt stops the loop between frames. between_chains=True keeps pairs of residues of two chains
    only: with "//*", every interface of the system. The other arguments are those of contacts()."""
    import pandas as pd

    _check_call(selection2, min_separation)
    run = _engine.Frequencies(_path(topology), _selection(selection, "selection"),
                              None if selection2 is None else _selection(selection2, "selection2"), float(cutoff),
                              same_residue, int(min_separation), skip_links, _altloc(altloc), waters, hydrogens,
                              _label_numbers(numbering), bool(between_chains))
    count = 0
    for frame in frames:
        run.add(np.asarray(getattr(frame, "positions", frame)))
        count += 1
    if count == 0:
        raise ValueError("frames holds no frame")
    return pd.DataFrame(run.table())


def _check_call(selection2, min_separation):
    if selection2 is not None and not isinstance(selection2, str):
        raise TypeError(f"selection2 must be a selection such as '//B', not {selection2!r}; "
                        f"the cut-off is given as cutoff={selection2!r}")
    if isinstance(min_separation, bool) or not isinstance(min_separation, (int, np.integer)) \
            or not 0 <= min_separation <= _MAX_SEPARATION:
        raise ValueError(f"min_separation must be a whole number from 0 to {_MAX_SEPARATION}, not {min_separation!r}")


def _label_numbers(numbering: str) -> bool:
    # As the programs' --numbering: author numbers (the default) or mmCIF's label_seq_id.
    if numbering not in ("author", "label"):
        raise ValueError(f"numbering takes 'author' or 'label', not {numbering!r}")
    return numbering == "label"


def _assembly(name) -> str:
    # An id is text ("1", "PAU"); a whole number is taken as its text.
    if name is None:
        return ""
    if isinstance(name, (int, np.integer)) and not isinstance(name, bool):
        name = str(name)
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
