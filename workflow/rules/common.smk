# The workflow's settings, its structures and their batches, and the pairscan command of each structure: what
# the rules of the Snakefile draw on.
import os
import shlex
import sys

sys.path.insert(0, os.path.join(workflow.basedir, "scripts"))
from structures import folder_name, structure_files  # noqa: E402

PROJECT = os.path.dirname(workflow.basedir)
RESULTS = config["results"]
STRUCTURES = config["structures"]
CUTOFF = config["cutoff"]
SELECTIONS = config.get("selections") or {}
NAMED_PAIRS = [tuple(p) for p in config.get("pairs") or []]
STRICT = bool(config.get("strict", False))
SYMMETRY = bool(config.get("symmetry", False))
ASSEMBLY = str(config.get("assembly") or "")
SELF_MAPS = bool(config.get("self_maps", False))
MIN_SEPARATION = int(config.get("min_separation", 6))
MAP_MIN_DISTANCE = float(config.get("map_min_distance", 2.5))
NUMBERING = str(config.get("numbering") or "author")
if NUMBERING not in ("author", "label"):
    raise WorkflowError(f"numbering takes author or label, not {NUMBERING!r}")
try:
    BATCH = int(config.get("batch", 1))
except (TypeError, ValueError):
    BATCH = 0
if BATCH < 1:
    raise WorkflowError(f"batch must be a whole number from 1, not {config.get('batch')!r}")


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


# The table script runs under Snakemake's own Python: no second interpreter to find, and no wrapper on PATH.
PYTHON = sys.executable
PAIRSCAN = program("pairscan", "scanner")

try:
    FILES = structure_files(STRUCTURES)
except ValueError as error:
    raise WorkflowError(str(error))
for name in SELECTIONS:
    if not name or "_vs_" in name or name in (".", "..") or not all(c.isalnum() or c in "._-" for c in name):
        raise WorkflowError(f"selection name {name!r} names folders: letters, digits, '.', '_' and '-' only, "
                            "without '_vs_'")
lowered = {}
for name in SELECTIONS:
    if name.lower() in lowered:
        raise WorkflowError(f"selection names {lowered[name.lower()]!r} and {name!r} differ in case alone; their "
                            "folders would be one where case is not told apart")
    lowered[name.lower()] = name
for pair in NAMED_PAIRS:
    missing = [name for name in pair if name not in SELECTIONS]
    if len(pair) != 2 or missing:
        raise WorkflowError(f"pair {list(pair)} must name two of the selections {sorted(SELECTIONS)}")

# Structures in order of name, BATCH to a job; with one, each structure is a job of its own.
NAMES = list(FILES)
BATCHES = {f"batch{k // BATCH + 1:06d}": NAMES[k:k + BATCH] for k in range(0, len(NAMES), BATCH)}
if BATCH == 1:
    SCANNED = [f"{RESULTS}/{s}/{name}" for s in NAMES for name in ("summary.tsv", "status.tsv")]
else:
    SCANNED = [f"{RESULTS}/batches/{b}.done" for b in BATCHES]



def scan_command(structure, folder, status=True):
    """The pairscan command of one structure into folder (shell text as it stands): its pair folders with maps
    on one colour scale, its summary rows, its status row."""
    words = [shlex.quote(PAIRSCAN), "--interfaces", folder, "--maps", "--cutoff", shlex.quote(str(CUTOFF))]
    if MAP_MIN_DISTANCE < float(CUTOFF):
        words += ["--min-distance", shlex.quote(str(MAP_MIN_DISTANCE)), "--max-distance", shlex.quote(str(CUTOFF))]
    if NAMED_PAIRS:
        lines = "".join(f"{a}\t{SELECTIONS[a]}\t{b}\t{SELECTIONS[b]}\n" for a, b in NAMED_PAIRS)
        words += ["--pairs", f"<(printf '%s' {shlex.quote(lines)})"]
    elif SELF_MAPS:
        words += ["--self", "--min-separation", str(MIN_SEPARATION)]
    if SYMMETRY:
        words.append("--symmetry")
    if ASSEMBLY:
        words += ["--assembly", shlex.quote(ASSEMBLY)]
    if NUMBERING == "label":
        words += ["--numbering", "label"]
    if status:
        words += ["--status", f"{folder}/status.tsv"] + ([] if STRICT else ["--record-failures"])
    words.append(shlex.quote(os.path.abspath(FILES[structure])))
    command = " ".join(words)
    if status and STRICT and NAMED_PAIRS:
        # Strict: a selection that matches nothing fails the structure's job, with the status row's message.
        command += (f" && {{ ! grep -q $'\\tno_match\\t' {folder}/status.tsv ||"
                    f" {{ cut -f 7 {folder}/status.tsv | tail -n 1 >&2; exit 1; }}; }}")
    return command


def structure_job(structure):
    """One structure's job: its scan.sh (the command without the status, for a folder given as $1), then the
    scan into its folder."""
    folder = shlex.quote(f"{RESULTS}/{structure}")
    remake = "#!/usr/bin/env bash\n# Scans the structure again into the folder $1, as the workflow did.\n" + \
        scan_command(structure, '"$1"', status=False) + "\n"
    return f"printf '%s' {shlex.quote(remake)} > {folder}/scan.sh && {scan_command(structure, folder)}"


def known_pair_files(wildcards):
    """The pair files of every structure whose summary is there and newer than the structure: a target list of
    its own, so that a deleted pair file is made again (rule pair) while the rest of the structure stays."""
    files = []
    for structure, path in FILES.items():
        summary = f"{RESULTS}/{structure}/summary.tsv"
        if not os.path.exists(summary) or os.path.getmtime(summary) < os.path.getmtime(path):
            continue
        with open(summary) as rows:
            next(rows, None)
            for row in rows:
                fields = row.rstrip("\n").split("\t")
                if len(fields) < 3:
                    continue
                # Named pairs keep their names; chains are named as pairscan names their folders.
                first, second = (fields[1], fields[2]) if NAMED_PAIRS else (folder_name(fields[1]), folder_name(fields[2]))
                files += [f"{RESULTS}/{structure}/{first}_vs_{second}/{name}" for name in ("sorted.pairtab", "map.svg")]
    return files
