#!/usr/bin/python3
"""Snakemake's status of a Slurm job: prints running, success or failed. Asks squeue, then scontrol for a job
that has left the queue; neither needs an accounting database. A job that is gone without a recorded success
(purged from the controller's memory, cancelled, out of time or memory, its node lost) is a failure, so that
Snakemake reruns it rather than trusting outputs it never checked.
    status.py JOBID[;CLUSTER]"""
import subprocess
import sys

WAITING = {"PENDING", "CONFIGURING", "RUNNING", "COMPLETING", "SUSPENDED", "REQUEUED", "REQUEUE_HOLD",
           "REQUEUE_FED", "RESIZING", "SIGNALING", "STAGE_OUT", "STOPPED", "RESV_DEL_HOLD"}


def state(command):
    """The job's state as the command tells it; "" when the controller does not know the job; None when the
    controller could not be asked (try again later)."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired):
        return None
    if done.returncode != 0:
        return "" if "Invalid job id" in done.stderr else None
    for word in done.stdout.split():
        if word.startswith("JobState="):
            return word.split("=", 1)[1]
    return done.stdout.strip().split("\n")[0].strip()


def status(job):
    for command in (["squeue", "--noheader", "--jobs", job, "--format", "%T"],
                    ["scontrol", "--oneliner", "show", "job", job]):
        found = state(command)
        if found is None:
            return "running"  # the controller is busy or restarting: ask again at the next check
        if found:
            break
    if found in WAITING:
        return "running"
    return "success" if found == "COMPLETED" else "failed"


if __name__ == "__main__":
    print(status(sys.argv[1].split(";")[0]))
