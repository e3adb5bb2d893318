#!/usr/bin/env bash
# One output policy for the four programs, run as CI runs them (as root): a link stays a link and its target gets
# the output; /dev/stdout, /dev/fd/N, "-" and a FIFO are written in place; a replaced file keeps its mode bits
# but never set-user-ID. /dev/stdout itself is tried only inside a mount namespace with a /dev of its own, so
# that a regression cannot replace the machine's.
#   output_test.sh PAIRSWEEP PAIRSIFT PAIRPICK PAIRMAP EXAMPLES_DIR
set -u
pairsweep=$(realpath "$1") pairsift=$(realpath "$2") pairpick=$(realpath "$3") pairmap=$(realpath "$4")
examples=$(realpath "$5")
here=$(dirname "$(realpath "$0")")
. "$here/../cli/harness.sh"

# Each program with OUT where its output goes.
programs=(
  "$pairsweep $examples/1hpv_ligand.xyz $examples/1hpv_chainA.xyz 4 OUT"
  "$pairsift $examples/ligand_chainA_4.pairtab OUT"
  "$pairpick $examples/1hpv.pdb //A/25 OUT"
  "$pairmap $examples/chainA_ligand_4_sorted.pairtab OUT"
)
for n in "${!programs[@]}"; do
  command=${programs[$n]}
  name=$(basename "${command%% *}")
  ${command/OUT/expected.out} 2>/dev/null
  [ -s expected.out ] || { echo "FAIL $name: no expected output"; failed=$((failed + 1)); continue; }

  # A link to an existing file, to a file not yet there, and a relative link from another folder.
  rm -rf sub && mkdir sub && printf 'old\n' >real.out && ln -sf real.out link.out && ln -s ../real.out sub/up.out
  for target in link.out sub/up.out; do
    printf 'old\n' >real.out
    ${command/OUT/$target}
    same "$name: through $target" expected.out real.out
    expect "$name: $target stays a link" 'link\n' <([ -L "$target" ] && echo link || echo replaced)
  done
  rm -f real.out && ln -sf new.out dangling.out
  ${command/OUT/dangling.out}
  same "$name: through a link to a new file" expected.out new.out
  expect "$name: the new file's link" 'link\n' <([ -L dangling.out ] && echo link || echo replaced)
  rm -f new.out dangling.out

  # Held descriptors: standard output to a file and to a pipe, "-", /dev/fd/N, and a link of our own to one.
  ${command/OUT/-} >got.out
  same "$name: -" expected.out got.out
  ${command/OUT//dev/fd/3} 3>got.out
  same "$name: /dev/fd/3" expected.out got.out
  ${command/OUT//proc/self/fd/1} | cat >got.out
  same "$name: /proc/self/fd/1 to a pipe" expected.out got.out
  ln -sf /proc/self/fd/1 mystdout
  ${command/OUT/mystdout} >got.out
  same "$name: a link to /proc/self/fd/1" expected.out got.out
  expect "$name: that link stays" 'link\n' <([ -L mystdout ] && echo link || echo replaced)

  # A FIFO is written in place, not replaced by a file.
  rm -f fifo && mkfifo fifo
  cat fifo >got.out &
  ${command/OUT/fifo}
  wait
  same "$name: a FIFO" expected.out got.out
  expect "$name: the FIFO stays" 'fifo\n' <([ -p fifo ] && echo fifo || echo replaced)

  # A replaced file keeps its permission bits, without set-user-ID or set-group-ID.
  printf 'old\n' >moded.out && chmod 6750 moded.out
  ${command/OUT/moded.out}
  expect "$name: mode kept without set-ID bits" '750\n' <(stat -c %a moded.out)

  # /dev/stdout to a file and to a pipe, in a namespace whose /dev is a scratch tmpfs.
  if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
    unshare -m bash -c '
      mount -t tmpfs scratch /dev && ln -s /proc/self/fd/1 /dev/stdout && ln -s /proc/self/fd/2 /dev/stderr &&
      touch /dev/null && '"${command/OUT//dev/stdout}"' >got.out && '"${command/OUT//dev/stdout}"' | cat >piped.out
      [ -L /dev/stdout ] && echo link >kind.txt || echo replaced >kind.txt'
    same "$name: /dev/stdout to a file" expected.out got.out
    same "$name: /dev/stdout to a pipe" expected.out piped.out
    expect "$name: /dev/stdout stays a link" 'link\n' kind.txt
  fi
done
# No temporary file is left anywhere.
expect 'no temporary file' '' <(find . -name '.*.??????' | head -n 3)
finish
