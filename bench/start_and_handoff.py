#!/usr/bin/env python3
"""Start-up and hand-off timing against a local page.

  start     launch -> the page's first request, launch -> page loaded (its onload fired),
            each run with a fresh profile after one unmeasured warm-up run
  handoff   with one browser running: a second start's own time (launch -> exit, and its
            CPU time), second start -> the new tab's first request, and ten hand-offs one
            after another -> all ten pages loaded
  files     under strace: which profile files a first run replaces (atomic renames) before
            its page has loaded and during its shutdown, and what a hand-off writes (nothing)

Usage: bench/start_and_handoff.py [start|handoff|files|all] [--runs N] [--no-compositing]
Needs a built tree (build/src/zel). Without a display it runs itself again under xvfb-run.
Prints the median and the spread (min..max) of every figure, in milliseconds.
"""

from __future__ import annotations

import argparse
import http.server
import os
import resource
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ZEL = os.path.join(ROOT, "build", "src", "zel")


class Pages:
    """What the local server saw: the first request of every page and its onload report."""

    def __init__(self) -> None:
        self.lock = threading.Condition()
        self.first: dict[str, float] = {}
        self.loaded: dict[str, float] = {}

    def note(self, table: dict[str, float], name: str) -> None:
        with self.lock:
            table.setdefault(name, time.monotonic())
            self.lock.notify_all()

    def wait(self, table: dict[str, float], names: list[str], timeout: float) -> bool:
        end = time.monotonic() + timeout
        with self.lock:
            while not all(n in table for n in names):
                left = end - time.monotonic()
                if left <= 0:
                    return False
                self.lock.wait(left)
        return True


def serve(pages: Pages) -> tuple[http.server.ThreadingHTTPServer, str]:
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self) -> None:  # noqa: N802
            parts = self.path.strip("/").split("/")
            if len(parts) == 2 and parts[0] == "p":
                pages.note(pages.first, parts[1])
                body = (f"<html><head><title>P{parts[1]}</title></head>"
                        f"<body onload=\"fetch('/loaded/{parts[1]}')\">page {parts[1]}"
                        "</body></html>").encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
            elif len(parts) == 2 and parts[0] == "loaded":
                pages.note(pages.loaded, parts[1])
                body = b"ok"
                self.send_response(200)
                self.send_header("Content-Type", "text/plain")
            else:
                body = b""
                self.send_response(404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args) -> None:
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}"


class Browser:
    """A browser of its own scratch profile and runtime folder."""

    def __init__(self, env_extra: dict[str, str]) -> None:
        self.home = tempfile.mkdtemp(prefix="zel-bench-")
        self.runtime = tempfile.mkdtemp(prefix="zel-bench-rt-")
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, ZEL_HOME=self.home, XDG_RUNTIME_DIR=self.runtime,
                        **env_extra)
        self.proc: subprocess.Popen | None = None

    def launch(self, url: str) -> None:
        self.proc = subprocess.Popen([ZEL, url], env=self.env, stderr=subprocess.DEVNULL)

    def second_start(self, url: str) -> tuple[float, float]:
        """Runs a second start to its end: (wall ms, CPU ms)."""
        t0 = time.monotonic()
        pid = os.posix_spawn(ZEL, [ZEL, url], self.env)
        _, status, usage = os.wait4(pid, 0)
        wall = (time.monotonic() - t0) * 1000
        if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
            raise RuntimeError(f"second start failed ({status})")
        return wall, (usage.ru_utime + usage.ru_stime) * 1000

    def stop(self, keep: bool = False) -> None:
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(20)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if keep:
            return
        shutil.rmtree(self.home, ignore_errors=True)
        shutil.rmtree(self.runtime, ignore_errors=True)


def report(name: str, values: list[float]) -> None:
    if not values:
        print(f"{name:44s} no result")
        return
    print(f"{name:44s} median {statistics.median(values):8.1f} ms   "
          f"spread {min(values):.1f}..{max(values):.1f} ms   ({len(values)} runs)")


def bench_start(pages: Pages, base: str, runs: int, env: dict[str, str], warm: bool) -> None:
    """warm: every run starts on the profile the first (uncounted) run made; else each run
    starts on a profile of its own, as a first run does."""
    first, loaded = [], []
    kept = Browser(env) if warm else None
    for i in range(runs + 1):  # the first run warms the caches and is not counted
        name = f"s{i}{'w' if warm else 'c'}"
        b = kept or Browser(env)
        try:
            t0 = time.monotonic()
            b.launch(f"{base}/p/{name}")
            if not pages.wait(pages.loaded, [name], 30):
                print(f"run {i}: the page did not load", file=sys.stderr)
                continue
            if i:
                first.append((pages.first[name] - t0) * 1000)
                loaded.append((pages.loaded[name] - t0) * 1000)
        finally:
            b.stop(keep=warm)
    if kept:
        kept.stop()
    what = "warm profile" if warm else "new profile"
    report(f"launch -> first request ({what})", first)
    report(f"launch -> page loaded ({what})", loaded)


def bench_handoff(pages: Pages, base: str, runs: int, env: dict[str, str]) -> None:
    b = Browser(env)
    try:
        b.launch(f"{base}/p/h0")
        if not pages.wait(pages.loaded, ["h0"], 30):
            print("the first browser did not load its page", file=sys.stderr)
            return
        walls, cpus, firsts = [], [], []
        for i in range(1, runs + 1):
            name = f"h{i}"
            t0 = time.monotonic()
            wall, cpu = b.second_start(f"{base}/p/{name}")
            walls.append(wall)
            cpus.append(cpu)
            if pages.wait(pages.first, [name], 20):
                firsts.append((pages.first[name] - t0) * 1000)
            pages.wait(pages.loaded, [name], 20)
        report("second start: launch -> exit", walls)
        report("second start: CPU time", cpus)
        report("second start -> the tab's first request", firsts)

        ten = []
        for r in range(max(1, runs // 3)):
            names = [f"t{r}_{k}" for k in range(10)]
            t0 = time.monotonic()
            for n in names:
                b.second_start(f"{base}/p/{n}")
            if pages.wait(pages.loaded, names, 60):
                ten.append((max(pages.loaded[n] for n in names) - t0) * 1000)
        report("ten hand-offs -> all ten loaded", ten)
    finally:
        b.stop()


def renames(log: str, home: str, since: float = 0.0, until: float = 1e18) -> dict[str, int]:
    """The files of the profile replaced by rename in an strace -ttt log, by name."""
    counts: dict[str, int] = {}
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            if "rename" not in line or "= 0" not in line:
                continue
            try:
                stamp = float(line.split()[1])
            except (IndexError, ValueError):
                continue
            if not since <= stamp < until:
                continue
            target = line.rsplit('"', 2)[-2] if line.count('"') >= 4 else ""
            if target.startswith(home):
                name = os.path.relpath(target, home)
                counts[name] = counts.get(name, 0) + 1
    return counts


def bench_files(pages: Pages, base: str, env: dict[str, str]) -> None:
    if not shutil.which("strace"):
        print("files: needs strace (apt-get install strace)")
        return
    b = Browser(env)
    log = os.path.join(b.runtime, "strace.log")
    try:
        b.proc = subprocess.Popen(["strace", "-f", "-ttt", "-qq", "-e", "trace=rename,renameat,"
                                   "renameat2", "-o", log, ZEL, f"{base}/p/f0"], env=b.env,
                                  stderr=subprocess.DEVNULL)
        if not pages.wait(pages.loaded, ["f0"], 60):
            print("files: the page did not load")
            return
        loaded = time.time()
        hand_log = os.path.join(b.runtime, "handoff.log")
        subprocess.run(["strace", "-f", "-qq", "-e", "trace=openat,rename,renameat,renameat2",
                        "-o", hand_log, ZEL, f"{base}/p/f1"], env=b.env, check=False)
        pages.wait(pages.loaded, ["f1"], 20)
        stopping = time.time()
        # The browser, not strace, is asked to end: strace would take the signal itself.
        children = subprocess.run(["pgrep", "-P", str(b.proc.pid)], capture_output=True,
                                  text=True).stdout.split()
        for pid in children:
            os.kill(int(pid), signal.SIGTERM)
        try:
            b.proc.wait(30)
        except subprocess.TimeoutExpired:
            pass
        b.stop(keep=True)
        for phase, counts in (("first run, up to the page loaded",
                               renames(log, b.home, until=loaded)),
                              ("first run, shutdown", renames(log, b.home, since=stopping))):
            listed = ", ".join(f"{k} x{v}" for k, v in sorted(counts.items())) or "nothing"
            print(f"{phase:44s} {listed}")
        with open(hand_log, encoding="utf-8", errors="replace") as f:
            writes = [ln.strip() for ln in f if b.home in ln and ("O_WRONLY" in ln or "O_RDWR" in ln
                                                                   or "rename" in ln)]
        print(f"{'hand-off: profile files opened for writing':44s} {len(writes)}")
        for w in writes[:5]:
            print("   ", w)
    finally:
        b.stop()


def main() -> int:
    ap = argparse.ArgumentParser()
    ap.add_argument("what", nargs="?", default="all", choices=["start", "handoff", "files", "all"])
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--no-compositing", action="store_true",
                    help="WEBKIT_DISABLE_COMPOSITING_MODE=1, as on machines with broken GL")
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset",
                               sys.executable] + sys.argv)
    if not os.access(ZEL, os.X_OK):
        print(f"no browser at {ZEL}: build it first", file=sys.stderr)
        return 2
    env = {"WEBKIT_DISABLE_COMPOSITING_MODE": "1"} if args.no_compositing else {}
    pages = Pages()
    server, base = serve(pages)
    print(f"compositing {'off' if args.no_compositing else 'on (WebKit default)'}")
    if args.what in ("start", "all"):
        bench_start(pages, base, args.runs, env, warm=True)
        bench_start(pages, base, args.runs, env, warm=False)
    if args.what in ("handoff", "all"):
        bench_handoff(pages, base, args.runs, env)
    if args.what in ("files", "all"):
        bench_files(pages, base, env)
    server.shutdown()
    return 0


if __name__ == "__main__":
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    sys.exit(main())
