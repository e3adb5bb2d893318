#!/usr/bin/python3
"""Interaction types: pairscan --interactions side by side with plipcmd (Debian's plip) on the 16 complexes of
the shared structures, for agreement and speed, and every chain pair of the six-chain entries typed.

Agreement: per type, the set of (entry, ligand residue, partner residue) pairs each tool finds, for each of
plip's binding sites (its ligands and ions), and the Jaccard index of the two sets. pairscan types each binding
site's residues against the rest of the model with waters kept (water bridges); its partners that are waters or
the site's own residues are left out, as plip leaves them out. The protein-protein check does the same for the
Fab's heavy and light chains (1A0Q) against plipcmd --peptides L.

Speed: wall time of one plipcmd process and of one pairscan process (every ligand of the entry at once) on each
entry, and the processor time of pairscan --interfaces --write interactions against the plain run.

    /usr/bin/python3 bench/interactions.py --build build [--entries 1acj,1rmd] [--repeat 3]
Prints Markdown tables.
"""
import argparse
import collections
import gzip
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

from measure import cpu

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.path.join(ROOT, "..", "shared", "data", "structures")
COMPLEXES = os.path.join(SHARED, "complexes")
# plip's element names and ours.
PLIP_TYPES = {"hydrogen_bond": "hydrogen_bond", "salt_bridge": "salt_bridge", "hydrophobic_interaction": "hydrophobic",
              "pi_stack": "stacking", "pi_cation_interaction": "cation_pi", "halogen_bond": "halogen_bond",
              "metal_complex": "metal", "water_bridge": "water_bridge"}
OURS = {"stacking_parallel": "stacking", "stacking_t_shaped": "stacking"}
TYPES = ["hydrogen_bond", "salt_bridge", "hydrophobic", "stacking", "cation_pi", "halogen_bond", "metal", "water_bridge"]


def table(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as lines:
        header = next(lines).rstrip("\n").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in lines]


def run_plip(pdb, out, peptides=None):
    """Wall time and report; with PLIP_CACHE set, a report kept there from an earlier run is read instead (time 0)."""
    cache = os.environ.get("PLIP_CACHE")
    if cache and os.path.exists(os.path.join(cache, os.path.basename(out), "report.xml")):
        return 0.0, ET.parse(os.path.join(cache, os.path.basename(out), "report.xml")).getroot()
    command = ["plipcmd", "-f", pdb, "-x", "-o", out] + (["--peptides", peptides] if peptides else [])
    started = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    took = time.perf_counter() - started
    if cache:
        os.makedirs(os.path.join(cache, os.path.basename(out)), exist_ok=True)
        with open(os.path.join(out, "report.xml"), "rb") as source, \
                open(os.path.join(cache, os.path.basename(out), "report.xml"), "wb") as copy:
            copy.write(source.read())
    return took, ET.parse(os.path.join(out, "report.xml")).getroot()


# The distance plip reports for each type, and ours for the same type: a pair plip finds only beyond ours is
# a difference of threshold.
PLIP_DISTANCE = {"hydrogen_bond": ("dist_d-a", 3.5), "salt_bridge": ("dist", 4.0), "water_bridge": ("dist_a-w", 3.5),
                 "hydrophobic": ("dist", 4.0), "metal": ("dist", 3.0)}
PLIP_DISTANCES = {}  # (entry, pair, type): the smallest distance plip gives the pair


def plip_pairs(report, entry=""):
    """Binding sites (their member residues) and each type's pairs of residues (a member and its partner, in
    sorted order: an ion and a ligand are each other's partners)."""
    sites, pairs = [], collections.defaultdict(set)
    for site in report.iter("bindingsite"):
        members = []
        for member in site.iter("member"):
            name, chain, number = member.text.split(":")
            members.append((chain, int(number), name))
        sites.append(members)
        for kind, ours in PLIP_TYPES.items():
            for found in site.iter(kind):
                ligand = (found.findtext("reschain_lig"), int(found.findtext("resnr_lig")))
                partner = (found.findtext("reschain"), int(found.findtext("resnr")))
                if ligand != partner:
                    pair = tuple(sorted((ligand, partner)))
                    pairs[ours].add(pair)
                    if ours in PLIP_DISTANCE:
                        field = PLIP_DISTANCE[ours][0]
                        texts = [found.findtext(f) for f in (field, "dist_d-w") if found.findtext(f)]
                        # A water bridge is as long as its longer leg.
                        d = (max if ours == "water_bridge" else min)(float(t) for t in texts) if texts else 0.0
                        key = (entry, pair, ours)
                        PLIP_DISTANCES[key] = min(d, PLIP_DISTANCES.get(key, d))
    # Between two binding sites only a metal's pairs count, as for pairscan's.
    in_sites = {(c, n) for members in sites for c, n, _ in members}
    for kind in pairs:
        if kind != "metal":
            pairs[kind] = {p for p in pairs[kind] if not (p[0] in in_sites and p[1] in in_sites)}
    return sites, pairs


def our_pairs(pairscan, path, sites, work, criteria=()):
    """Each site's residues typed against the rest of the model; as plip reports them, a partner is not a
    water, and only a metal's partner may be another binding site's residue (a ligand beside its ion)."""
    pairs = collections.defaultdict(set)
    in_sites = {(c, n) for members in sites for c, n, _ in members}
    for members in sites:
        own = {(c, n) for c, n, _ in members}
        for chain, number, name in members:
            out = os.path.join(work, "i.tsv")
            subprocess.run([pairscan, "--waters", "--interactions", out, *criteria, path, f"//{chain}/{number}({name})", "/1",
                            os.path.join(work, "o.pairtab")], check=True, stdout=subprocess.DEVNULL)
            for row in table(out):
                partner = (row["chain2"], int(row["number2"]))
                water = row["resname2"] in ("HOH", "WAT", "DOD")
                if (water and row["type"] != "metal") or partner in own or \
                        (partner in in_sites and row["type"] != "metal"):
                    continue
                pairs[OURS.get(row["type"], row["type"])].add(tuple(sorted(((row["chain1"], int(row["number1"])), partner))))
    return pairs


def jaccard(a, b):
    return len(a & b) / len(a | b) if a | b else None


def wall(command, repeat):
    times = []
    for _ in range(repeat):
        started = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        times.append(time.perf_counter() - started)
    return min(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--entries", default="")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    pairscan = os.path.join(args.build, "scanner", "pairscan")
    names = sorted(f[:-7] for f in os.listdir(COMPLEXES) if f.endswith(".pdb.gz"))
    if args.entries:
        names = args.entries.split(",")
    totals = {t: [set(), set()] for t in TYPES}
    plip_distance = {t: set() for t in TYPES}
    speed = []
    with tempfile.TemporaryDirectory() as work:
        for name in names:
            pdb = os.path.join(work, name + ".pdb")
            with gzip.open(os.path.join(COMPLEXES, name + ".pdb.gz")) as source, open(pdb, "wb") as out:
                out.write(source.read())
            plip_time, report = run_plip(pdb, os.path.join(work, "plip_" + name))
            sites, theirs = plip_pairs(report, name)
            ours = our_pairs(pairscan, pdb, sites, work)
            wider = our_pairs(pairscan, pdb, sites, work, ["--criterion", "hbond_distance=4.1"])
            for t in TYPES:
                totals[t][0] |= {(name,) + p for p in ours[t]}
                totals[t][1] |= {(name,) + p for p in theirs[t]}
                plip_distance[t] |= {(name,) + p for p in wider[t]}
            ligands = sorted({n for members in sites for _, _, n in members})
            if ligands:
                ours_time = wall([pairscan, "--waters", "--interactions", os.path.join(work, "all.tsv"), pdb,
                                  "//*/(" + ",".join(ligands) + ")", "/1", os.path.join(work, "all.pairtab")], args.repeat)
                speed.append((name, plip_time, ours_time))
        print("| type | pairscan | plipcmd | both | Jaccard | Jaccard, hbond_distance=4.1 |")
        print("|---|---|---|---|---|---|")
        for t in TYPES:
            a, b = totals[t]
            j, k = jaccard(a, b), jaccard(plip_distance[t], b)
            print(f"| {t} | {len(a)} | {len(b)} | {len(a & b)} | {'-' if j is None else f'{j:.2f}'} | "
                  f"{'-' if k is None else f'{k:.2f}'} |")
        # The differences by their reason: plip's longer thresholds, and plip's rule that a salt bridge's groups
        # make no hydrogen bond (or water bridge) as well.
        print()
        print("| type | only pairscan | of them plip's salt bridges | only plip | of them beyond our distance | "
              "Jaccard without these |")
        print("|---|---|---|---|---|---|")
        for t in TYPES:
            a, b = totals[t]
            salts = {p for p in a - b if p in totals["salt_bridge"][1]} if t in ("hydrogen_bond", "water_bridge") else set()
            limit = PLIP_DISTANCE.get(t, (None, float("inf")))[1]
            beyond = {p for p in b - a if PLIP_DISTANCES.get((p[0], p[1:], t), 0) > limit}
            j = jaccard(a - salts, b - beyond)
            print(f"| {t} | {len(a - b)} | {len(salts)} | {len(b - a)} | {len(beyond)} | {'-' if j is None else f'{j:.2f}'} |")
        if os.environ.get("SHOW_DIFFERENCES"):
            for t in TYPES:
                a, b = totals[t]
                for p in sorted(a - b):
                    print("only pairscan", t, p, file=sys.stderr)
                for p in sorted(b - a):
                    print("only plip", t, p, file=sys.stderr)
        print()
        print("| entry | plipcmd wall (s) | pairscan wall (s) | ratio |")
        print("|---|---|---|---|")
        for name, p, o in speed:
            print(f"| {name} | {p:.2f} | {o:.4f} | {p / o:.0f}x |")
        # Protein-protein: the Fab's heavy and light chains.
        fab = os.path.join(work, "1a0q.pdb")
        with gzip.open(os.path.join(SHARED, "1a0q.pdb.gz")) as source, open(fab, "wb") as out:
            out.write(source.read())
        plip_time, report = run_plip(fab, os.path.join(work, "plip_fab"), peptides="L")
        _, theirs = plip_pairs(report, "1a0q")
        out = os.path.join(work, "fab.tsv")
        started = time.perf_counter()
        subprocess.run([pairscan, "--waters", "--interactions", out, fab, "//L", "//H", os.path.join(work, "fab.pairtab")],
                       check=True)
        ours_time = time.perf_counter() - started
        ours = collections.defaultdict(set)
        for row in table(out):
            if row["resname2"] not in ("HOH",):
                ours[OURS.get(row["type"], row["type"])].add(tuple(sorted(((row["chain1"], int(row["number1"])),
                                                                           (row["chain2"], int(row["number2"]))))))
        print()
        print(f"1A0Q light chain against heavy chain: plipcmd --peptides L {plip_time:.2f} s, pairscan {ours_time:.3f} s")
        print()
        print("| type | pairscan | plipcmd | both | Jaccard |")
        print("|---|---|---|---|---|")
        for t in TYPES:
            theirs_h = {p for p in theirs[t] if {p[0][0], p[1][0]} == {"H", "L"}}
            a, b = ours[t], theirs_h
            j = jaccard(a, b)
            print(f"| {t} | {len(a)} | {len(b)} | {len(a & b)} | {'-' if j is None else f'{j:.2f}'} |")
        # Every chain pair of the six-chain entries, typed, against the plain run.
        print()
        print("| entry | --interfaces (s) | with --write interactions (s) | ratio | chain pairs |")
        print("|---|---|---|---|---|")
        for name in ("1hwu", "1tf6"):
            path = os.path.join(COMPLEXES, name + ".pdb.gz")
            plain = cpu([pairscan, "--interfaces", os.path.join(work, "plain"), path], args.repeat)
            typed = cpu([pairscan, "--interfaces", os.path.join(work, "typed"), "--write", "interactions", path], args.repeat)
            pairs = len([r for r in table(os.path.join(work, "typed", "summary.tsv")) if r["folder"]])
            print(f"| {name} | {plain:.4f} | {typed:.4f} | {typed / plain:.2f} | {pairs} |")


if __name__ == "__main__":
    main()
