"""The structure files of a folder, shared by the Snakefile and the summary table so that both list the same."""
import os
import re

STRUCTURE_FILE = re.compile(r"^(?P<name>.+\.(pdb|ent|cif|mmcif))(\.gz)?$", re.IGNORECASE)


def structure_files(folder):
    """Structure name (the file name without .gz) to path, in order of name: PDB or mmCIF, plain or gzipped."""
    files = {}
    for entry in sorted(os.listdir(folder)):
        match = STRUCTURE_FILE.match(entry)
        if match:
            files[match["name"]] = os.path.join(folder, entry)
    return files
