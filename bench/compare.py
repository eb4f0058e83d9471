#!/usr/bin/env python3
"""Quillory beside Chromium's own kiosk mode, on the same local page.

    bench/compare.py [--runs 5] [--idle 60] [--settle 5] [--quillory PATH]
                     [--chromium PATH] [--chromium-gpu]

Runs the two browsers one after the other, alternating, each from a fresh
profile and cache, on bench/pages/home.html served by tests/http_server.py,
and prints per run and as medians (with Quillory's figure over Chromium's):
  - spawn -> load: from starting the browser until the page's load event
    beacon (/loaded?...) reaches the server;
  - PSS: the whole process tree's proportional set size, --settle seconds
    after the load;
  - idle CPU: the whole tree's user+system time over --idle seconds of doing
    nothing, as percent of one core.
Without a DISPLAY it starts itself again under tests/with-xvfb.sh.
One discarded warm-up run of each browser comes first.
"""
import argparse
import os
import queue
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def parents_of_all():
    parents = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as stat:
                text = stat.read()
        except OSError:
            continue
        parents[int(name)] = int(text[text.rindex(")") + 2:].split()[1])
    return parents


def tree(root):
    """The process and all its descendants."""
    parents = parents_of_all()
    pids = [root]
    for pid in pids:
        pids.extend(child for child, parent in parents.items() if parent == pid)
    return pids


def tree_pss_kib(root):
    """The tree's whole PSS, and its anonymous part (the processes' own data;
    the rest is mapped files, whose pages the kernel may drop at any time)."""
    total = anonymous = 0
    for pid in tree(root):
        try:
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                    elif line.startswith(("Pss_Anon:", "Pss_Shmem:")):
                        anonymous += int(line.split()[1])
        except OSError:
            pass
    return total, anonymous


def tree_cpu_ticks(root):
    """utime+stime of every process of the tree, by pid."""
    ticks = {}
    for pid in tree(root):
        try:
            with open(f"/proc/{pid}/stat") as stat:
                text = stat.read()
        except OSError:
            continue
        fields = text[text.rindex(")") + 2:].split()
        ticks[pid] = int(fields[11]) + int(fields[12])
    return ticks


class Server:
    """tests/http_server.py on bench/pages, with the moment each request line arrived."""

    def __init__(self):
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tests", "http_server.py"), "--root",
             os.path.join(HERE, "pages"), "--lifetime", "86400"],
            stdout=subprocess.PIPE, text=True)
        self.port = int(self.process.stdout.readline().split()[1])
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put((time.monotonic(), line.strip()))

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def wait_for(self, prefix, since, timeout):
        """The moment a request line with this prefix arrived after `since`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                at, line = self.lines.get(timeout=0.1)
            except queue.Empty:
                continue
            if at >= since and line.startswith(prefix):
                return at
        return None

    def stop(self):
        self.process.terminate()
        self.process.wait()


def command(name, args, url, profile):
    if name == "quillory":
        return [args.quillory, f"{url},3600"]  # no reset during the measurement
    flags = ["--kiosk", "--no-sandbox", "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--disable-quic",
             f"--user-data-dir={profile}/user-data"]
    if not args.chromium_gpu:
        flags.append("--disable-gpu")
    return [args.chromium] + flags + [url]


def measure(name, args, server):
    profile = tempfile.mkdtemp(prefix=f"bench-{name}-")
    env = dict(os.environ, XDG_CACHE_HOME=f"{profile}/cache", XDG_CONFIG_HOME=f"{profile}/config")
    log = open(f"{profile}/log", "w")
    # Drop request lines left over from the run before.
    while not server.lines.empty():
        server.lines.get()
    start = time.monotonic()
    process = subprocess.Popen(command(name, args, server.url("home.html"), profile), env=env,
                               stdout=log, stderr=log, start_new_session=True)
    try:
        loaded = server.wait_for("GET /loaded", start, 60)
        if loaded is None:
            return None
        time.sleep(args.settle)
        pss, anonymous = tree_pss_kib(process.pid)
        before = tree_cpu_ticks(process.pid)
        time.sleep(args.idle)
        after = tree_cpu_ticks(process.pid)
        used = sum(ticks - before.get(pid, 0) for pid, ticks in after.items())
        cpu = 100.0 * used / CLOCK_TICKS / args.idle
        return {"load": loaded - start, "pss": pss, "anon": anonymous, "cpu": cpu, "processes": len(after)}
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(15)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)  # the group this run started
            process.wait()
        log.close()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=60)
    parser.add_argument("--settle", type=float, default=5)
    parser.add_argument("--quillory", default="/tmp/benchbuild/quillory")
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--chromium-gpu", action="store_true", help="leave out --disable-gpu")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("bash", ["bash", os.path.join(SOURCE, "tests", "with-xvfb.sh"), sys.executable] + sys.argv)

    print(f"load average before: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}",
          flush=True)
    server = Server()
    results = {"quillory": [], "chromium": []}
    try:
        for run in range(args.runs + 1):
            order = ["quillory", "chromium"] if run % 2 == 0 else ["chromium", "quillory"]
            for name in order:
                figures = measure(name, args, server)
                label = "warm-up" if run == 0 else f"run {run}"
                if figures is None:
                    print(f"{label:8} {name:9} the load event never reached the server", flush=True)
                    continue
                print(f"{label:8} {name:9} spawn->load {figures['load'] * 1000:7.0f} ms   PSS {figures['pss'] / 1024:6.1f} MiB"
                      f" (anonymous {figures['anon'] / 1024:6.1f})   idle CPU {figures['cpu']:5.2f} %   {figures['processes']} processes   "
                      f"load avg {os.getloadavg()[0]:.2f}", flush=True)
                if run > 0:
                    results[name].append(figures)
    finally:
        server.stop()

    print(f"\nmedians of {args.runs} runs each (Quillory / Chromium = ratio)")
    rows = [("spawn -> load event (ms)", "load", 1000, "<= 0.65x"), ("tree PSS (MiB)", "pss", 1 / 1024, "<= 0.65x"),
            ("  of it anonymous (MiB)", "anon", 1 / 1024, ""),
            ("idle CPU (% of a core)", "cpu", 1, "Quillory <= 0.5 %")]
    for title, key, scale, target in rows:
        q = [r[key] * scale for r in results["quillory"]]
        c = [r[key] * scale for r in results["chromium"]]
        if not q or not c:
            print(f"  {title:26} not enough runs")
            continue
        mq, mc = statistics.median(q), statistics.median(c)
        ratio = f"{mq / mc:5.2f}x" if mc else "  n/a"
        print(f"  {title:26} {mq:9.2f} / {mc:9.2f} = {ratio}   target {target}")
    print(f"load average after: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")


if __name__ == "__main__":
    main()
