# The workflow's settings (checked against its schema before anything else), its structures and their batches,
# and the pairscan command of each structure: what the rules of the Snakefile draw on.
import json
import os
import shlex
import sys

import jsonschema
import yaml
from snakemake.utils import validate

sys.path.insert(0, os.path.join(workflow.basedir, "scripts"))
from structures import batch_of, pair_folders, shown, structure_files  # noqa: E402

PROJECT = os.path.dirname(workflow.basedir)
SCHEMA = os.path.join(workflow.basedir, "schemas", "config.schema.yaml")


def check_config():
    """The settings against the schema, with defaults filled in; one line naming the key for the first fault."""
    if "batch" in config:
        raise WorkflowError(f"config: batch={config['batch']!r} is replaced by batches=K (each structure in batch "
                            "crc32(file name) mod K, so that a new structure reruns its own batch only)")
    with open(SCHEMA) as schema_file:
        schema = yaml.safe_load(schema_file)
    # --config passes "strict=true" as the text 'true': a key that takes no text takes it as YAML.
    for key, value in config.items():
        types = schema["properties"].get(key, {}).get("type", "string")
        if isinstance(value, str) and "string" not in (types if isinstance(types, list) else [types]):
            try:
                config[key] = yaml.safe_load(value)
            except yaml.YAMLError:
                pass
    error = jsonschema.exceptions.best_match(jsonschema.Draft7Validator(schema).iter_errors(config))
    if error is not None:
        key = ".".join(str(part) for part in error.absolute_path)
        raise WorkflowError(f"config: {f'{key}: ' if key else ''}{error.message}")
    validate(config, SCHEMA)  # Snakemake's own check, which fills in the defaults


check_config()
RESULTS = config["results"]
STRUCTURES = config["structures"]
CUTOFF = config["cutoff"]
SELECTIONS = config.get("selections") or {}
NAMED_PAIRS = [tuple(p) for p in config.get("pairs") or []]
STRICT = config["strict"]
SYMMETRY = config["symmetry"]
ASSEMBLY = str(config["assembly"])
SELF_MAPS = config["self_maps"]
MIN_SEPARATION = config["min_separation"]
MAP_MIN_DISTANCE = config["map_min_distance"]
NUMBERING = config["numbering"]
MODELS = str(config["models"])
PAGES = config["pages"]
# Frequencies over models are written in each pair's residue-pair table.
WRITE = list(config["write"]) + (["residue-pairs"] if MODELS and "residue-pairs" not in config["write"] else [])
BATCH_COUNT = config["batches"]


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


def viewer_script():
    """The viewer the pages load (one copy in the results): from the source's viewer/ (setup.sh installs it), or
    an installation's share/pairscan/ beside the bin/ that holds pairscan."""
    places = [os.path.join(PROJECT, "viewer", "node_modules", "3dmol", "build", "3Dmol-min.js")]
    if os.path.isabs(PAIRSCAN):
        places.append(os.path.join(os.path.dirname(os.path.dirname(PAIRSCAN)), "share", "pairscan", "3Dmol-min.js"))
    for place in places:
        if os.path.isfile(place):
            return place
    raise WorkflowError("pages need the 3D viewer (3Dmol.js): run setup.sh, or set pages=false")


VIEWER = viewer_script() if PAGES else ""

try:
    FILES = structure_files(STRUCTURES)
except ValueError as error:
    raise WorkflowError(str(error))


def check_pair_name(name):
    # A name is its pair folder's name too, and "FIRST_vs_SECOND" must split one way only.
    if (not name or "_vs_" in name or name.startswith("vs_") or name.endswith("_vs") or name in (".", "..")
            or not all(c.isascii() and (c.isalnum() or c in "._-") for c in name)):
        raise WorkflowError(f"selection name {name!r} names folders: letters, digits, '.', '_' and '-' only, "
                            "without '_vs_' (nor 'vs_' first, '_vs' last)")


for name in SELECTIONS:
    check_pair_name(name)
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
if len(set(NAMED_PAIRS)) != len(NAMED_PAIRS):
    twice = next(p for k, p in enumerate(NAMED_PAIRS) if p in NAMED_PAIRS[:k])
    raise WorkflowError(f"pair {list(twice)} is given twice; its folder would be written twice")

# Structures in order of name. With batches, each structure is in batch crc32(name) mod K (empty batches have
# no job); without, each structure is a job of its own.
NAMES = list(FILES)
BATCHES = {}
if BATCH_COUNT:
    for s in NAMES:
        BATCHES.setdefault(f"batch{batch_of(s, BATCH_COUNT):06d}", []).append(s)
    BATCH_OF = {s: b for b, members in BATCHES.items() for s in members}
    SCANNED = [f"{RESULTS}/batches/{b}.done" for b in sorted(BATCHES)]
else:
    SCANNED = [f"{RESULTS}/{s}/{name}" for s in NAMES for name in ("summary.tsv", "status.tsv")]


def structure_input(structure):
    """The structure's file as the job's input; none for a file that cannot be read (a dangling link), which
    the job records as unreadable rather than the run stopping before any job."""
    path = FILES[structure]
    return [path] if os.path.isfile(path) and os.access(path, os.R_OK) else []


def scan_command(structure, folder, status=True):
    """The pairscan command of one structure into folder (shell text as it stands): its pair folders with maps
    on one colour scale, its summary rows, its status row."""
    words = [shlex.quote(PAIRSCAN), "--interfaces", folder, "--maps", "--cutoff", shlex.quote(str(CUTOFF))]
    if WRITE:
        words += ["--write", shlex.quote(",".join(WRITE + ["maps"]))]
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
    if MODELS:
        words += ["--models", shlex.quote(MODELS)]
    if PAGES and status:
        # The page loads the one copy of the viewer in the results, beside the report; a pair made again needs none.
        words += ["--html", f"{folder}/page.html", "--html-viewer", "../3Dmol-min.js"]
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


def scanned_by(structure):
    """The file that says a structure's scan is done: its summary, or its batch's mark."""
    return f"{RESULTS}/batches/{BATCH_OF[structure]}.done" if BATCH_COUNT else f"{RESULTS}/{structure}/summary.tsv"


def missing_pair_files(wildcards):
    """The files of the pair folders that are missing from structures otherwise up to date (their summary newer
    than the structure file), so that a deleted pair is made again alone (rule pair). Only missing ones are
    targets: the job graph grows with the structures, not with their pairs."""
    files = []
    for structure, path in FILES.items():
        summary = f"{RESULTS}/{structure}/summary.tsv"
        try:
            if os.path.getmtime(summary) < os.path.getmtime(path):
                continue
        except OSError:
            continue
        for folder in pair_folders(summary):
            for name in ("sorted.pairtab", "map.svg"):
                if not os.path.exists(f"{RESULTS}/{structure}/{folder}/{name}"):
                    files.append(f"{RESULTS}/{structure}/{folder}/{name}")
    return files
