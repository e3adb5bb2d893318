"""What the benchmarks measure the same way."""
import resource
import subprocess


def cpu(command, repeat):
    """Processor seconds (user and system) of one run of the command, the mean of repeat runs (the kernel counts
    children's time finer than GNU time prints it)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    for _ in range(repeat):
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) / repeat
