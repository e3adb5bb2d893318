# A one-node Slurm cluster of its own, for the workflow test (source it; needs root): munged with its own key
# and socket, slurmctld and slurmd from a slurm.conf written here, all in the folder given and stopped by
# their process ids. The clients (sbatch, squeue, scontrol) find the cluster through SLURM_CONF.
#   . slurm_cluster.sh; slurm_start DIR || fail; ...; slurm_stop DIR

# A free TCP port, from the kernel.
free_port() { /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

slurm_start() {
  local dir=$1 host cpus memory
  host=$(hostname -s) cpus=$(nproc)
  memory=$(awk '/^MemTotal/ {print int($2 / 1024 / 2)}' /proc/meminfo)
  mkdir -p "$dir/state" "$dir/spool" "$dir/munge"
  chmod 700 "$dir/munge"
  head -c 1024 /dev/urandom >"$dir/munge/munge.key" && chmod 400 "$dir/munge/munge.key"
  munged --force --socket="$dir/munge/socket" --key-file="$dir/munge/munge.key" --pid-file="$dir/munge/munged.pid" \
    --log-file="$dir/munge/munged.log" --seed-file="$dir/munge/seed" || return 1
  cat >"$dir/slurm.conf" <<CONF
ClusterName=pairscantest
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/socket
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MinJobAge=600
NodeName=$host CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
  export SLURM_CONF=$dir/slurm.conf
  slurmctld -c -f "$dir/slurm.conf" || return 1
  slurmd -c -f "$dir/slurm.conf" || return 1
  # Ready when the node takes jobs.
  local k
  for k in $(seq 1 60); do
    sinfo -h -o %t 2>/dev/null | grep -Eq '^(idle|mix|alloc)' && return 0
    sleep 0.5
  done
  return 1
}

slurm_stop() {
  local dir=$1 name
  for name in slurmd slurmctld munge/munged; do
    [ -s "$dir/$name.pid" ] && kill "$(cat "$dir/$name.pid")" 2>/dev/null
  done
  return 0
}
