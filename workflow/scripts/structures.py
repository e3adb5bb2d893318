"""The structure files of a folder and the names of their pair folders, shared by the Snakefile and the tables so
that both list the same."""
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


def folder_name(side):
    """A chain's name as pairscan names its folders: letters, digits and '-' kept, a lower-case letter after '_'
    (chains 'A' and 'a' stay apart where case is not told apart), any other byte as %XX, an empty name as %."""
    if not side:
        return "%"
    name = []
    for byte in side.encode():
        c = chr(byte)
        if ("A" <= c <= "Z") or ("0" <= c <= "9") or c == "-":
            name.append(c)
        elif "a" <= c <= "z":
            name.append("_" + c)
        else:
            name.append(f"%{byte:02X}")
    return "".join(name)
