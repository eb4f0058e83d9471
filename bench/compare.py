#!/usr/bin/env python3
"""Quillory on each of its engines beside Chromium's own kiosk mode, on the
same local page.

    bench/compare.py [--runs 5] [--idle 60] [--settle 5] [--quillory PATH]
                     [--chromium PATH] [--chromium-gpu]

Runs three contenders one after the other, the order turning at each run,
each from a fresh profile and cache, on bench/pages/home.html served by
tests/http_server.py: Quillory with QUILLORY_ENGINE=chromium (which starts
Debian's chromium as its child), Quillory with QUILLORY_ENGINE=qtwebengine,
and `chromium --kiosk`. Prints per run and as medians, with each Quillory
engine's figure over chromium --kiosk's:
  - spawn -> load: from starting the browser until the page's load event
    beacon (/loaded?...) reaches the server;
  - PSS: the proportional set size of all the run's processes, --settle
    seconds after the load, and its anonymous part;
  - idle CPU: their user+system time over --idle seconds of doing nothing,
    as percent of one core.
The run's processes are the started one, all its descendants, and those that
left the tree but belong to the run (Chromium's crash handlers): every
process with the run's own cache folder (XDG_CACHE_HOME) in its environment.
Each run's line says how many there were, how many Chromium browser
processes the tree holds (1 for chromium --kiosk and for Quillory on
Chromium, 0 on Qt WebEngine) and how many processes were outside it.
Without a DISPLAY it starts itself again under tests/with-xvfb.sh.
One discarded warm-up run of each contender comes first.
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
        # The name in parentheses may hold spaces; the fields after it do not.
        parents[int(name)] = int(text[text.rindex(")") + 2:].split()[1])
    return parents


def tree(root):
    """The process and all its descendants."""
    parents = parents_of_all()
    pids = [root]
    for pid in pids:
        pids.extend(child for child, parent in parents.items() if parent == pid)
    return pids


def left_the_tree(root, cache):
    """The run's processes outside the tree: those with the run's own cache
    folder in their environment. Chromium's crash handler, say, leaves the
    tree of the browser that starts it (it forks twice and makes a session of
    its own), whether that browser is chromium --kiosk or the one Quillory's
    Chromium control starts."""
    in_tree = set(tree(root))
    marker = f"XDG_CACHE_HOME={cache}".encode()
    found = []
    for pid in parents_of_all():
        try:
            with open(f"/proc/{pid}/environ", "rb") as environ:
                variables = environ.read().split(b"\0")
        except OSError:
            continue
        if pid not in in_tree and marker in variables:
            found.append(pid)
    return found


def run_processes(root, cache):
    return tree(root) + left_the_tree(root, cache)


def browsers(pids):
    """Chromium's browser processes among these: chromium without a --type= (its
    helpers have one; Chromium rewrites their command lines into one string)."""
    found = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                words = cmdline.read().replace(b"\0", b" ").split()
        except OSError:
            continue
        if words and words[0].endswith(b"/chromium") and not any(w.startswith(b"--type=") for w in words):
            found += 1
    return found


def pss_kib(pids):
    """The processes' whole PSS, and its anonymous part (the processes' own data;
    the rest is mapped files, whose pages the kernel may drop at any time)."""
    total = anonymous = 0
    for pid in pids:
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


def cpu_ticks(pids):
    """utime+stime of each process, by pid."""
    ticks = {}
    for pid in pids:
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


# The contenders, by name: Quillory on each of its engines, chosen explicitly
# (the default may change), and Chromium's own kiosk mode.
CONTENDERS = ["quillory-chromium", "quillory-qtwebengine", "chromium-kiosk"]
QUILLORY_ENGINES = {"quillory-chromium": "chromium", "quillory-qtwebengine": "qtwebengine"}


def command(name, args, url, profile):
    if name in QUILLORY_ENGINES:
        return [args.quillory, f"{url},3600"]  # no reset during the measurement
    flags = ["--kiosk", "--no-sandbox", "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync", "--disable-quic",
             f"--user-data-dir={profile}/user-data"]
    if not args.chromium_gpu:
        flags.append("--disable-gpu")
    return [args.chromium] + flags + [url]


def measure(name, args, server):
    profile = tempfile.mkdtemp(prefix=f"bench-{name}-")
    # Caches and settings in the run's folder. Not TMPDIR: Chromium's socket
    # in a folder of Quillory's site data there would pass the length a
    # socket's path may have.
    cache = f"{profile}/cache"
    env = dict(os.environ, XDG_CACHE_HOME=cache, XDG_CONFIG_HOME=f"{profile}/config")
    if name in QUILLORY_ENGINES:
        env["QUILLORY_ENGINE"] = QUILLORY_ENGINES[name]
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
        pids = run_processes(process.pid, cache)
        pss, anonymous = pss_kib(pids)
        before = cpu_ticks(pids)
        time.sleep(args.idle)
        pids = run_processes(process.pid, cache)
        after = cpu_ticks(pids)
        used = sum(ticks - before.get(pid, 0) for pid, ticks in after.items())
        cpu = 100.0 * used / CLOCK_TICKS / args.idle
        return {"load": loaded - start, "pss": pss, "anon": anonymous, "cpu": cpu, "processes": len(pids),
                "browsers": browsers(tree(process.pid)), "outside": len(left_the_tree(process.pid, cache))}
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(15)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)  # the group this run started
            process.wait()
        log.close()
        shutil.rmtree(profile, ignore_errors=True)


def load_average():
    return " ".join(f"{figure:.2f}" for figure in os.getloadavg())


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

    print(f"load average before: {load_average()}", flush=True)
    server = Server()
    results = {name: [] for name in CONTENDERS}
    try:
        for run in range(args.runs + 1):
            # Each contender in each place of the order in turn.
            turn = run % len(CONTENDERS)
            order = CONTENDERS[turn:] + CONTENDERS[:turn]
            for name in order:
                figures = measure(name, args, server)
                label = "warm-up" if run == 0 else f"run {run}"
                if figures is None:
                    print(f"{label:8} {name:20} the load event never reached the server", flush=True)
                    continue
                print(f"{label:8} {name:20} spawn->load {figures['load'] * 1000:6.0f} ms   "
                      f"PSS {figures['pss'] / 1024:6.1f} MiB (anonymous {figures['anon'] / 1024:6.1f})   "
                      f"idle CPU {figures['cpu']:5.2f} %   {figures['processes']} processes, "
                      f"{figures['browsers']} browser in the tree, {figures['outside']} outside it   "
                      f"load avg {os.getloadavg()[0]:.2f}", flush=True)
                if run > 0:
                    results[name].append(figures)
    finally:
        server.stop()

    print(f"\nmedians of {args.runs} runs each, and each Quillory engine's over chromium --kiosk's")
    print(f"  {'':26} {'Q-chromium':>10} {'Q-qtwebeng':>10} {'kiosk':>10} {'ratio':>7} {'ratio':>7}")
    rows = [("spawn -> load event (ms)", "load", 1000), ("tree PSS (MiB)", "pss", 1 / 1024),
            ("  of it anonymous (MiB)", "anon", 1 / 1024), ("idle CPU (% of a core)", "cpu", 1),
            ("processes", "processes", 1)]
    for title, key, scale in rows:
        medians = [statistics.median([r[key] * scale for r in results[name]]) if results[name] else float("nan")
                   for name in CONTENDERS]
        kiosk = medians[2]
        ratios = [f"{m / kiosk:6.2f}x" if kiosk else "    n/a" for m in medians[:2]]
        print(f"  {title:26} {medians[0]:10.2f} {medians[1]:10.2f} {medians[2]:10.2f} {ratios[0]} {ratios[1]}")
    print("targets: Quillory on Chromium within 1.05x of chromium --kiosk in spawn -> load and PSS, idle CPU under "
          "0.2 %;\n         Quillory on Qt WebEngine at most 0.65x in both, idle CPU at most 0.5 %")
    print(f"load average after: {load_average()}")


if __name__ == "__main__":
    main()
