#!/usr/bin/env python3
"""Per-process figures of a running browser's process tree, to tell which
process holds the memory or spends the time (the program's own process, or
the engine's renderer, GPU and helper processes).

    bench/tree.py PID [--interval 60]

Prints, for PID and each descendant, its PSS and its CPU over --interval
seconds (percent of one core), and the kind of process (--type=... of its
command line).
"""
import argparse
import os
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def descendants(root):
    parents = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                with open(f"/proc/{name}/stat") as stat:
                    text = stat.read()
                parents[int(name)] = int(text[text.rindex(")") + 2:].split()[1])
            except OSError:
                pass
    pids = [root]
    for pid in pids:
        pids.extend(child for child, parent in parents.items() if parent == pid)
    return pids


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        text = stat.read()
    fields = text[text.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def pss_kib(pid):
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        return sum(int(line.split()[1]) for line in rollup if line.startswith("Pss:"))


def kind(pid):
    with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
        args = cmdline.read().decode(errors="replace").split("\0")
    for arg in args:
        if arg.startswith("--type="):
            extra = next((a[len("--utility-sub-type="):] for a in args if a.startswith("--utility-sub-type=")), "")
            return arg[len("--type="):] + (f" ({extra})" if extra else "")
    return os.path.basename(args[0]) + " (browser)"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pid", type=int)
    parser.add_argument("--interval", type=float, default=60)
    args = parser.parse_args()
    pids = descendants(args.pid)
    before = {pid: cpu_ticks(pid) for pid in pids}
    time.sleep(args.interval)
    total_pss = total_cpu = 0.0
    for pid in pids:
        try:
            pss, cpu = pss_kib(pid), 100.0 * (cpu_ticks(pid) - before[pid]) / CLOCK_TICKS / args.interval
        except OSError:
            continue
        total_pss += pss
        total_cpu += cpu
        print(f"{pid:8} {pss / 1024:8.1f} MiB {cpu:6.2f} %  {kind(pid)}")
    print(f"{'total':>8} {total_pss / 1024:8.1f} MiB {total_cpu:6.2f} %")


if __name__ == "__main__":
    main()
