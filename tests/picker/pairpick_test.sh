#!/usr/bin/env bash
# pairpick as users run it: whole coordinate lists from real and hand-made structures, messages and statuses.
#   pairpick_test.sh PAIRPICK PAIRSWEEP PROJECT_DIR
set -u
pairpick=$(realpath "$1") pairsweep=$(realpath "$2") project=$(realpath "$3")
data=$project/tests/picker/data examples=$project/examples structures=$project/examples/structures
. "$project/tests/cli/harness.sh"

# picks ARGUMENTS EXPECTED: exit 0, no message, and standard output is EXPECTED.
picks() {
  run "$pairpick" "$1 -"
  expect "$1: status" '0\n' status.txt
  expect "$1: stderr" '' stderr.txt
  expect "$1: output" "$2" stdout.txt
}

# Labels (insertion code, negative number, blank and digit-ending chains), shortest coordinates, and the
# defaults: first conformation of each atom, the first residue type of a site, no water, no hydrogen.
hand=$data/handmade.pdb
picks "$hand '//*'" 'A5:SER:N\t1\t2\t3\nA5:SER:CA\t1.5\t2\t3\nA5:SER:CB\t2\t2.5\t3\nA5:SER:OG\t2.5\t3\t3
A6:SER:N\t3\t1\t1\nA6:SER:OG\t3.5\t1\t1\nA100B:GLY:CA\t-1.25\t0\t-0.5\nB-3:ALA:CA\t10\t-10\t0.001
1_23:LYS:CA\t7\t7\t7\n12_3:LYS:CA\t8\t8\t8\nZ-_5:ARG:CA\t9\t9\t9\n200:LIG:C1\t11.169\t14.977\t2.445\n'
picks "--altloc B $hand //A/5-6" 'A5:SER:N\t1\t2\t3\nA5:SER:CA\t1.5\t2\t3\nA5:SER:CB\t2\t2.75\t3.25
A5:SER:OG\t2.5\t3\t3\nA6:PRO:N\t3\t1.25\t1\nA6:PRO:CD\t4\t1.25\t1\n'
picks "--altloc=all --waters --hydrogens $hand //A/5" 'A5:SER:N\t1\t2\t3\nA5:SER:CA\t1.5\t2\t3
A5:SER:CB\t2\t2.5\t3\nA5:SER:CB\t2\t2.75\t3.25\nA5:SER:OG\t2.5\t3\t3\nA5:SER:OG\t2.5\t3.125\t3.5\nA5:SER:H\t0.5\t2\t3\n'
picks "--waters $hand '//*/(HOH)'" '301:HOH:O\t5\t5\t5\n'
picks "$hand //A/5/CA:" 'A5:SER:CA\t1.5\t2\t3\n'
picks "--list $hand" 'A\t3\t7\tpolymer\nB\t1\t1\tpolymer\n1\t1\t1\tpolymer\n12\t1\t1\tpolymer\nZ-\t1\t1\tpolymer\n\t1\t1\tother\n'
# One conformer per residue: the residue's first letter (B) for every atom that has it, an atom's own first
# where it lacks B; a USER record first is still PDB.
picks "$data/altlocs.pdb //A" 'A7:THR:N\t1\t0\t0\nA7:THR:CA\t2\t0\t0\nA7:THR:CB\t3\t0.5\t0\nA7:THR:OG1\t4\t0.5\t0
A7:THR:CG2\t5\t0.75\t0\nA8:GLY:N\t6\t0\t0\n'
# A missing author residue number takes the label number, and never the placeholder of a real residue -999.
picks "$data/numbers.cif //A" 'A-999:ALA:CA\t1\t0\t0\nA7:GLY:CA\t2\t0\t0\nA8:SER:CA\t3\t0\t0\n'
# Any file gemmi reads: a byte-order mark; gzip of several members (the last one larger than the first) with zero
# padding after them, or with a header checksum; standard input of any kind, a socket too.
{ printf '\xef\xbb\xbf'; cat "$data/altlocs.pdb"; } >bom.pdb
/usr/bin/python3 -c 'import gzip, struct, sys, zlib
head = b"\x1f\x8b\x08\x02\x00\x00\x00\x00\x00\x03"
body = gzip.compress(open(sys.argv[1], "rb").read())[10:]
open("checked.pdb.gz", "wb").write(head + struct.pack("<H", zlib.crc32(head) & 0xffff) + body)
open("mischecked.pdb.gz", "wb").write(head + b"\0\0" + body)' "$data/altlocs.pdb"
run "$pairpick" "$data/altlocs.pdb //A expected.xyz"
for input in bom.pdb members.pdb.gz padded.pdb.gz checked.pdb.gz "- <members.pdb.gz" "- <$data/altlocs.pdb"; do
  head -n 4 "$data/altlocs.pdb" | gzip >members.pdb.gz && tail -n +5 "$data/altlocs.pdb" | gzip >>members.pdb.gz
  { cat members.pdb.gz; head -c 1024 /dev/zero; } >padded.pdb.gz
  run "$pairpick" "$input //A got.xyz"
  same "read from $input" expected.xyz got.xyz
done
/usr/bin/python3 -c 'import socket, subprocess, sys
a, b = socket.socketpair(); b.sendall(open(sys.argv[1], "rb").read()); b.shutdown(socket.SHUT_WR)
sys.exit(subprocess.run(sys.argv[2:], stdin=a).returncode)' "$data/altlocs.pdb" "$pairpick" - //A got.xyz
same 'a socket on standard input' expected.xyz got.xyz

# A LINK record cut in its distance field, which gemmi would read past (seen under the sanitizers).
{ printf 'LINK         O   HOH A   1                 C   ALA A   2     1555   1555    -\n'
  printf 'ATOM      1  CA  ALA A   2       1.000   2.000   3.000  1.00 20.00           C\n'; } >short_link.pdb
picks "short_link.pdb //A" 'A2:ALA:CA\t1\t2\t3\n'

# Real entries: models, DNA with primes in its atom names, five chains, a reduced mmCIF.
picks "--list $structures/1LCD.cif.gz" 'B\t11\t227\tpolymer\nC\t12\t219\tpolymer\nA\t51\t399\tpolymer\n'
picks "$structures/1LCD.cif.gz \"/3/B/1/P,O5'\"" "B1:DA:O5'\t7.85\t31.87\t48.8\n"
picks "--list $structures/7CFN.cif.gz" 'A\t232\t1914\tpolymer\nB\t339\t2587\tpolymer\nG\t58\t438\tpolymer\nN\t128\t970\tpolymer\nR\t278\t2180\tpolymer\n'

# One entry as PDB and as mmCIF gives one list; a gzipped file reads as the plain one, also from a pipe.
run "$pairpick" "$structures/1A8O.pdb.gz '//*' from_pdb.xyz"
run "$pairpick" "$structures/1A8O.cif.gz '//*' from_cif.xyz"
same '1A8O: PDB and mmCIF' from_pdb.xyz from_cif.xyz
expect '1A8O: atoms' '556\n' <(wc -l <from_pdb.xyz)
run "$pairpick" "<(zcat $structures/1A8O.cif.gz) '//*' from_pipe.xyz"
same '1A8O: pipe' from_pdb.xyz from_pipe.xyz

# The bundled lists are what pairpick writes for 1hpv.pdb, whose columns 73-80 hold the entry name and a serial.
for part in chainA://A chainB://B 'ligand://*/(478)'; do
  run "$pairpick" "$examples/1hpv.pdb '${part#*:}' ${part%%:*}.xyz"
  same "bundled ${part%%:*}" "$examples/1hpv_${part%%:*}.xyz" "${part%%:*}.xyz"
done
# The pipe form of the README: both lists straight into pairsweep.
run "$pairsweep" "<($pairpick $examples/1hpv.pdb //*/\(478\) /dev/stdout) <($pairpick $examples/1hpv.pdb //A -) 4 piped.pairtab"
same 'pipe into pairsweep' "$examples/ligand_chainA_4.pairtab" piped.pairtab
# Every selection its page shows selects as many atoms of 1hpv.pdb as it says.
sed -n 's/^| `\(\/[^`]*\)` |.*| \([0-9,]*\) |$/\1 \2/p' "$project/docs/pairpick.md" | awk '{ gsub(",", "", $2); print }' >readme.txt
while read -r selection count; do "$pairpick" "$examples/1hpv.pdb" "$selection" - | wc -l | sed "s|^|$selection |"; done \
  <readme.txt >counted.txt
same 'README selections' readme.txt counted.txt
expect 'selections listed' '9\n' <(wc -l <readme.txt)

# Errors: one line, status 2, the old output kept.
printf 'HEADER    X\nATOM      1  N   PRO A   1      13.120  39.003\n' >short.pdb
printf 'data_x\nloop_\n_atom_site.id\n_atom_site.label_atom_id\n1\n' >ragged.cif
printf 'data_x\nloop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id
_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_seq_id
_atom_site.auth_asym_id\n_atom_site.auth_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z
_atom_site.occupancy\n_atom_site.B_iso_or_equiv\nATOM 1 C "C:1" . LIG A 1 A 1 0 0 0 1 0\nATOM 2 C C2 . "L\tG" A 2 A 2 0 0 0 1 0\n' >names.cif
head -c 2000 "$structures/1A8O.cif.gz" >cut.cif.gz
mkdir -p folder
fails "$pairpick" "missing.pdb //A kept.pairtab" 'pairpick: cannot read missing.pdb: No such file or directory'
fails "$pairpick" "folder //A kept.pairtab" 'pairpick: cannot read folder: Is a directory'
fails "$pairpick" "$examples/1hpv_chainA.xyz //A kept.pairtab" "pairpick: $examples/1hpv_chainA.xyz: neither a PDB nor an mmCIF file"
fails "$pairpick" "cut.cif.gz //A kept.pairtab" 'pairpick: cut.cif.gz: not a valid gzip file: it ends inside the compressed data'
fails "$pairpick" "short.pdb //A kept.pairtab" "pairpick: short.pdb:2: The line is too short to be correct: 'ATOM      1  N   PRO A   1      13.120  39.003'"
fails "$pairpick" "ragged.cif //A kept.pairtab" 'pairpick: ragged.cif:2:1: Wrong number of values in the loop'
printf '>sp|P69905|HBA_HUMAN\nMVLSPADKTNVKAAWGKVGAHAGEYGAEALERMFLSFPTTKTYFPHF\n' >sequence.fasta
printf 'A note about 1abc, not a structure.\n' >note.txt
fails "$pairpick" "sequence.fasta //A kept.pairtab" 'pairpick: sequence.fasta: neither a PDB nor an mmCIF file'
fails "$pairpick" "note.txt //A kept.pairtab" 'pairpick: note.txt: neither a PDB nor an mmCIF file'
fails "$pairpick" "$data/nonumber.cif //A kept.pairtab" "pairpick: $data/nonumber.cif: atom '3' of chain 'A' has no residue number (auth_seq_id and label_seq_id are both missing)"
printf '\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xff\xff' >broken.pdb.gz
fails "$pairpick" "broken.pdb.gz //A kept.pairtab" 'pairpick: broken.pdb.gz: not a valid gzip file: invalid block type'
fails "$pairpick" "mischecked.pdb.gz //A kept.pairtab" 'pairpick: mischecked.pdb.gz: not a valid gzip file: header crc mismatch'
# One byte over the bound only once the second member is in (the last member's size says less).
over=$(( $(wc -c <"$data/altlocs.pdb") - 1 ))
fails "$pairpick" "--max-input-size $over members.pdb.gz //A kept.pairtab" "pairpick: members.pdb.gz: larger than $over bytes decompressed (the largest structures are a few hundred MB); --max-input-size raises the bound"
fails "$pairpick" "$hand '//A/[Q]' kept.pairtab" "pairpick: selection '//A/[Q]': Invalid selection syntax: //A/[Q]"
fails "$pairpick" "$hand //C kept.pairtab" "pairpick: selection '//C' matches no atom; chains: A, B, 1, 12, Z-, (blank)"
fails "$pairpick" "$hand '//*/(HOH)' kept.pairtab" "pairpick: selection '//*/(HOH)' matches no atom that is kept (waters, hydrogens and other conformations need --waters, --hydrogens, --altloc); chains: A, B, 1, 12, Z-, (blank)"
fails "$pairpick" "$hand /2/A kept.pairtab" "pairpick: no model 2 in $hand; models: 1"
fails "$pairpick" "names.cif '//*/1' kept.pairtab" "pairpick: atom name 'C:1' in residue A1 holds a colon, which would break the label"
fails "$pairpick" "names.cif '//*/2' kept.pairtab" "pairpick: residue name 'L\\\\tG' of residue A2 holds a tab, which would break the label"
fails "$pairpick" "$hand //A missing/out.xyz" 'pairpick: cannot create missing/out.xyz: No such file or directory'
fails "$pairpick" "$hand //A /dev/full" 'pairpick: cannot write /dev/full: No space left on device'

# Assemblies: the ones declared (a PDB file's word counted as its mmCIF file counts it), the chains of one
# built (copies named by chain and copy number, no water), one entry's PDB and mmCIF giving one assembly.
picks "--list-assemblies $structures/1A8O.pdb.gz" '1\t2\tdimeric\t0\n'
picks "--list-assemblies $structures/1LCD.cif.gz" '1\t3\ttrimeric\t0\n'
# Ligands: residues of no polymer, not water (the hand-made file's water is left out, kept or not), each with the
# atoms the defaults keep, under a header; a blank chain is an empty field.
picks "--list-ligands $hand" 'chain\tnumber\ticode\tname\tatoms\n\t200\t\tLIG\t1\n'
picks "--list-ligands --waters $hand" 'chain\tnumber\ticode\tname\tatoms\n\t200\t\tLIG\t1\n'
picks "--list-ligands $structures/7CFN.cif.gz" 'chain\tnumber\ticode\tname\tatoms\nR\t401\t\tFX0\t32\nR\t402\t\tCLR\t28\nR\t403\t\tFX0\t32\nR\t404\t\tPLM\t18\n'
# Label numbering (mmCIF label_seq_id) where it differs from the author's: 7CFN's R33 is LEU by author, ALA by
# label; a PDB file has none.
picks "$structures/7CFN.cif.gz //R/33/CA" 'R33:LEU:CA\t88.463\t98.37\t109.31\n'
picks "--numbering label $structures/7CFN.cif.gz //R/33/CA" 'R33:ALA:CA\t98.133\t99.067\t94.18\n'
fails "$pairpick" "--numbering label $project/examples/1hpv.pdb //A kept.pairtab" \
  "pairpick: $project/examples/1hpv.pdb has no label numbers (mmCIF label_seq_id); --numbering label needs them"
# A sulfate on the twofold axis of a hand-made dimer: its five atoms are kept once, in the first copy.
picks "--list-assemblies $project/tests/scanner/data/ion_on_axis.pdb" '1\t2\tdimeric\t5\n'
picks "--list-assemblies $structures/7CFN.cif.gz" ''
picks "--list --assembly 1 $structures/1A8O.pdb.gz" 'A1\t70\t556\tpolymer\nA2\t70\t556\tpolymer\n'
"$pairpick" --assembly 1 "$structures/1A8O.pdb.gz" '//*' pdb.xyz && "$pairpick" --assembly=1 "$structures/1A8O.cif.gz" '//*' cif.xyz
same '1A8O assembly 1: PDB and mmCIF' pdb.xyz cif.xyz
expect '1A8O assembly 1: the second copy' 'A2_151:MSE:N\t9.613\t22.385999999999996\t16.448\n' <(grep -m1 '^A2_' cif.xyz)
fails "$pairpick" "--assembly 2 $structures/1A8O.pdb.gz //A out.xyz" "pairpick: no assembly '2' in $structures/1A8O.pdb.gz; it declares 1"
fails "$pairpick" "--assembly 1 $structures/7CFN.cif.gz //A out.xyz" "pairpick: no assembly '1' in $structures/7CFN.cif.gz; it declares none"
sed 's/CHAINS: A/CHAINS: Q/' "$project/tests/fuzz/corpus/structure/assembly.pdb" >no_chain.pdb
fails "$pairpick" "--assembly 1 no_chain.pdb //A out.xyz" \
  "pairpick: assembly '1' of no_chain.pdb holds no atom of model 1: its generators name no chain or subchain there"

sed 's/^\(REMARK 350   BIOMT[123]   2 .*  \)[ 0-9.]\{8\}$/\1999999.0/' "$project/tests/fuzz/corpus/structure/assembly.pdb" >far.pdb
fails "$pairpick" "--assembly 1 far.pdb //A out.xyz" \
  "pairpick: assembly '1' of far.pdb is too large to build here (a box of more than 33 million 4 A cells), or its matrices are wrong"

# The command line: help and version on standard output, mistakes as the usage on standard error, status 1.
run "$pairpick" '--help'
expect '--help: status' '0\n' status.txt
expect '--help: first line' 'Usage: pairpick [options] STRUCTURE SELECTION OUTPUT\n' <(head -n 1 stdout.txt)
run "$pairpick" '--version'
expect '--version' 'pairpick\n' <(cut -d ' ' -f 1 stdout.txt)
for wrong in '' "$hand //A" "$hand //A out.xyz extra" "--altloc $hand //A out.xyz" '--list' "--frobnicate $hand //A out.xyz" \
    "--list --list-assemblies $hand" "--list-assemblies --assembly 1 $hand" "--assembly= $hand //A out.xyz"; do
  rm -f out.xyz
  run "$pairpick" "$wrong"
  expect "'$wrong': status" '1\n' status.txt
  expect "'$wrong': stdout" '' stdout.txt
  expect "'$wrong': usage" 'Usage: pairpick [options] STRUCTURE SELECTION OUTPUT\n' <(sed -n 2p stderr.txt)
  absent "'$wrong'" out.xyz
done

finish
