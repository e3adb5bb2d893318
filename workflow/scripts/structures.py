"""The structure files of a folder, shared by the Snakefile and the summary table so that both list the same."""
import os
import re

STRUCTURE_FILE = re.compile(r"^(?P<name>.+\.(pdb|ent|cif|mmcif))(\.gz)?$", re.IGNORECASE)


def structure_files(folder):
    """Structure name (the file name without .gz) to path, in order of name: PDB or mmCIF, plain or gzipped.
    Raises ValueError, before any job runs, for a name Snakemake cannot take as a file name (braces) and for two
    files that would be one structure (x.pdb and x.pdb.gz)."""
    files = {}
    for entry in sorted(os.listdir(folder)):
        match = STRUCTURE_FILE.match(entry)
        if not match:
            continue
        if "{" in entry or "}" in entry:
            raise ValueError(f"structure file {entry!r} has '{{' or '}}' in its name, which Snakemake takes for a "
                             "wildcard; rename it")
        name = match["name"]
        if name in files:
            raise ValueError(f"{os.path.basename(files[name])!r} and {entry!r} would be one structure {name!r}; "
                             "keep one of them")
        files[name] = os.path.join(folder, entry)
    return files
