"""The structure files of a folder, their batches, and the tables the scans write, shared by the Snakefile and the
tables script so that both list the same. Tables are read and written as UTF-8 with surrogateescape: a chain
name is whatever bytes the file gives, and comes out as it went in."""
import os
import re
import zlib

STRUCTURE_FILE = re.compile(r"^(?P<name>.+\.(pdb|ent|cif|mmcif))(\.gz)?$", re.IGNORECASE | re.DOTALL)
ENCODING = {"encoding": "utf-8", "errors": "surrogateescape"}


def shown(name):
    """A file name quoted as one printable line: a byte that is not UTF-8 as \\xe9, a control character as
    Python writes it (\\t, \\n, \\x1b)."""
    def char(c):
        if 0xDC80 <= ord(c) <= 0xDCFF:
            return f"\\x{ord(c) - 0xDC00:02x}"
        return c if c.isprintable() else repr(c)[1:-1]
    return "'" + "".join(char(c) for c in name) + "'"


def structure_files(folder):
    """Structure name (the file name without .gz) to path, in order of name: PDB or mmCIF, plain or gzipped.
    Raises ValueError, before any job runs, for a missing or empty folder and for a name that the workflow cannot
    keep apart or write: braces (Snakemake's wildcards), a tab, a newline or another control character (they
    would split the tables' rows), bytes that are not UTF-8 (Snakemake records its files as UTF-8), two files
    that would be one structure (x.pdb and x.pdb.gz), or two whose names differ in case alone (X.pdb and x.pdb,
    one folder where case is not told apart)."""
    try:
        entries = sorted(os.listdir(folder))
    except OSError as error:
        raise ValueError(f"structures folder {shown(folder)}: {error.strerror}") from None
    files, lowered = {}, {}
    for entry in entries:
        match = STRUCTURE_FILE.match(entry)
        if not match:
            continue
        if "{" in entry or "}" in entry:
            raise ValueError(f"structure file {entry!r} has '{{' or '}}' in its name, which Snakemake takes for a "
                             "wildcard; rename it")
        if any(ord(c) < 32 or ord(c) == 127 for c in entry):
            raise ValueError(f"structure file {shown(entry)} has a tab, a newline or another control character "
                             "in its name, which would split the tables' rows; rename it")
        try:
            entry.encode("utf-8")
        except UnicodeEncodeError:
            raise ValueError(f"structure file {shown(entry)} has a name that is not UTF-8, which Snakemake cannot "
                             "record; rename it") from None
        name = match["name"]
        if name in files:
            raise ValueError(f"{os.path.basename(files[name])!r} and {entry!r} would be one structure {name!r}; "
                             "keep one of them")
        if name.lower() in lowered:
            raise ValueError(f"structure files {os.path.basename(files[lowered[name.lower()]])!r} and {entry!r} "
                             "differ in case alone; their results would be one folder where case is not told "
                             "apart; rename one")
        lowered[name.lower()] = name
        files[name] = os.path.join(folder, entry)
    if not files:
        raise ValueError(f"structures folder {shown(folder)} holds no structure file (.pdb, .ent, .cif, .mmcif, "
                         "each optionally .gz)")
    return files


def batch_of(name, batches):
    """The batch of a structure: the CRC-32 of its name, modulo the number of batches. A structure added or
    removed changes its own batch only."""
    return zlib.crc32(name.encode("utf-8")) % batches


def read_table(path):
    """The header and rows of a table one scan wrote."""
    with open(path, **ENCODING) as table:
        lines = table.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines[0].split("\t"), [line.split("\t") for line in lines[1:]]


def pair_folders(summary):
    """The pair folders a structure's summary names (its folder column; pairs without contacts have none)."""
    header, rows = read_table(summary)
    if "folder" not in header:
        return []
    column = header.index("folder")
    return [row[column] for row in rows if len(row) > column and row[column]]
