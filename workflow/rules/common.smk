# The workflow's settings, its structures, and the pairs of each: what the rules of the Snakefile draw on.
import os
import sys

sys.path.insert(0, os.path.join(workflow.basedir, "scripts"))
from structures import structure_files  # noqa: E402

PROJECT = os.path.dirname(workflow.basedir)
RESULTS = config["results"]
STRUCTURES = config["structures"]
CUTOFF = config["cutoff"]
SELECTIONS = config.get("selections") or {}
NAMED_PAIRS = [tuple(p) for p in config.get("pairs") or []]


def program(name, folder):
    """The program's path: in the configured folder (a build's own subfolder, or an installation's bin/), or
    the bare name for PATH."""
    base = config.get("bin") or ""
    if not base:
        return name
    base = os.path.join(PROJECT, base)
    for path in (os.path.join(base, folder, name), os.path.join(base, name)):
        if os.path.exists(path):
            return os.path.abspath(path)
    raise WorkflowError(f"{name} is neither in {base}/{folder} nor in {base}; build the project or set bin")


# The summary scripts run under Snakemake's own Python: no second interpreter to find, and no wrapper on PATH.
PYTHON = sys.executable
PAIRPICK = program("pairpick", "picker")
PAIRSWEEP = program("pairsweep", "finder")
PAIRSIFT = program("pairsift", "sorter")
PAIRMAP = program("pairmap", "mapper")

try:
    FILES = structure_files(STRUCTURES)
except ValueError as error:
    raise WorkflowError(str(error))
for name in SELECTIONS:
    if "_vs_" in name or "/" in name:
        raise WorkflowError(f"selection name {name!r} may not hold '_vs_' or '/'")
for pair in NAMED_PAIRS:
    missing = [name for name in pair if name not in SELECTIONS]
    if len(pair) != 2 or missing:
        raise WorkflowError(f"pair {list(pair)} must name two of the selections {sorted(SELECTIONS)}")


def selection(name):
    """A pair's side: a configured selection, or a chain."""
    return SELECTIONS[name] if NAMED_PAIRS else f"//{name}"


PAIR_PRODUCTS = ("row.tsv", "sorted.pairtab", "map.svg")


def read_pairs(table):
    with open(table) as lines:
        return [tuple(line.rstrip("\n").split("\t")) for line in lines]


def pair_files(structure, pairs):
    """The products of these pairs of one structure."""
    return [f"{RESULTS}/{structure}/{a}_vs_{b}/{name}" for (a, b) in pairs for name in PAIR_PRODUCTS]


def structure_pair_files(wildcards):
    """The products of every pair of one structure, once its checkpoint has listed them."""
    table = checkpoints.pairs.get(structure=wildcards.structure).output[0]
    return pair_files(wildcards.structure, read_pairs(table))


def known_pair_files(wildcards):
    """The files of every pair of the structures whose pairs.tsv is there and newer than the structure. A target
    list of its own, since a deleted pair file is not made again for an up-to-date rows.tsv alone. It reads
    pairs.tsv itself rather than through the checkpoint, which would hold up every structure until all of
    theirs had run (and for ever, under --keep-going, behind one that fails); the other structures' pairs come
    in through their rows.tsv."""
    files = []
    for structure, path in FILES.items():
        table = f"{RESULTS}/{structure}/pairs.tsv"
        if os.path.exists(table) and os.path.getmtime(table) >= os.path.getmtime(path):
            files += pair_files(structure, read_pairs(table))
    return files
