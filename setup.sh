#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the examples need, and the report's viewer from npm;
# does nothing when all are there.
set -euo pipefail
packages=(
  cmake g++ make                          # the build
  gemmi-dev tao-pegtl-dev zlib1g-dev      # pairpick reads structures with gemmi
  libdeflate-dev                          # and decompresses whole gzip files with libdeflate
  libssl-dev                              # SHA-256 of pair folder names too long for a file system
  gemmi libbenchmark-dev                  # the benchmark: gemmi contact beside pairscan, stage timings
  pybind11-dev python3-dev python3-numpy  # the Python module
  python3-pytest python3-pandas           # its tests and data frames
  python3-scipy python3-gemmi             # the module's benchmark: cKDTree and gemmi's NeighborSearch beside it
  freesasa python3-freesasa               # surface radii from its classifier; its areas check ours
  python3-mdanalysis                      # trajectories written and read in the frequency tests
  python3-mdtraj                          # the frequency benchmark: mdtraj's compute_contacts beside ours
  plip                                    # interaction types: the field's profiler, checked against ours
  libgtest-dev                            # unit tests
  python3-biopython                       # an independent structure reader to check pairpick against
  libxml2-utils librsvg2-bin              # pairmap's pictures: parsed and drawn in the tests
  help2man                                # man pages made from the programs' --help
  snakemake python3-jsonschema            # the workflow, and its configuration checked against a schema
  slurm-wlm munge                         # a one-node Slurm cluster that the workflow test submits to
  chromium                                # its report, opened in a real browser by the tests
  clang libclang-rt-dev                   # fuzzing (libFuzzer)
  time                                    # the benchmark driver's peak memory
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The report's 3D viewer (3Dmol.js) from npm, at the version viewer/package-lock.json pins, into viewer/node_modules
# (which git ignores). The nodejs of some machines bundles npm, and Debian's npm package conflicts with it: npm is
# installed only when missing.
viewer=$(cd "$(dirname "$0")" && pwd)/viewer
if [ ! -s "$viewer/node_modules/3dmol/build/3Dmol-min.js" ]; then
  command -v npm >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq npm >/dev/null
  (cd "$viewer" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
