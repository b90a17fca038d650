#!/usr/bin/env python3
"""Zel beside GNOME Web, in one run, on the same local page.

GNOME Web is the Debian package epiphany-browser (`apt-get install epiphany-browser`); it is
needed only by this script, never by the tests. Both browsers are WebKitGTK browsers: each
run starts one of them with a fresh HOME (and for Zel a fresh ZEL_HOME and runtime folder)
under a `dbus-run-session` of its own, with the same WebKit environment, and the browsers
take turns run by run, so both see the same machine.

The page is generated: 51 KB of HTML with 20 PNG images, served from 127.0.0.1; its onload
reports back, which is the "page loaded" moment.

Figures (each the median of the runs, with the spread min..max, and the ratio Zel / GNOME Web):
  warm   launch -> page loaded with warm file caches (one unmeasured run first);
         PSS of the whole process tree with one tab, 5 s after the load; CPU time (user +
         sys) of the tree from launch to 5 s after the load; web processes then
  cold   launch -> page loaded after `echo 3 > /proc/sys/vm/drop_caches` (needs root)
  tabs   ten tabs all loaded: GNOME Web from one command line with ten addresses, Zel by
         hand-off (`zel URL` nine times after the first, one after another, from the moment
         the first browser asked for its page); PSS of the tree 5 s after the last load

Usage: bench/peers.py [warm|cold|tabs|all] [--runs N] [--sandbox on|off|both]
                      [--zel NAME=PATH ...] [--compositing] [--detail]
  --sandbox on    both browsers with WebKit's sandbox as they ship it (GNOME Web's is on;
                  Zel's is on where the machine can run it)
  --sandbox off   both with WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 and ZEL_DISABLE_SANDBOX=1
  --zel NAME=PATH more than one Zel (an older build beside this one: before and after a
                  change in one run); the default is this tree's build/src/zel
  --detail        prints each one-tab run's PSS by process name
  --compositing   leaves WebKit's compositing on (the default run sets
                  WEBKIT_DISABLE_COMPOSITING_MODE=1 for both: Xvfb has no GL)
Without a display the script runs itself again under xvfb-run.
"""

from __future__ import annotations

import argparse
import http.server
import os
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EPIPHANY = shutil.which("epiphany-browser") or shutil.which("epiphany")
TICK = os.sysconf("SC_CLK_TCK")
SETTLE_S = 5.0


# ---- the page ----

def png(width: int, height: int, seed: int) -> bytes:
    """An RGB PNG with a pattern of its own (so the images differ and do not compress away)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            v = (x * 7 + y * 13 + seed * 31 + (x * y) % 17) & 0xFF
            rows += bytes((v, (v * 3 + seed) & 0xFF, (255 - v) & 0xFF))

    def chunk(kind: bytes, data: bytes) -> bytes:
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))


IMAGES = [png(160, 120, i) for i in range(20)]


def page_html(name: str) -> bytes:
    head = (f"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Bench {name}</title>"
            "<style>body{font-family:sans-serif;margin:2em}img{margin:4px}</style></head>"
            f"<body onload=\"fetch('/loaded/{name}')\"><h1>Bench page {name}</h1>")
    images = "".join(f"<img src=\"/img/{i}.png\" width=\"160\" height=\"120\" alt=\"{i}\">"
                     for i in range(20))
    tail = "</body></html>"
    para = ("<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
            "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
            "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat.</p>\n")
    body = ""
    size = 51 * 1024 - len(head) - len(images) - len(tail)
    while len(body) + len(para) <= size:
        body += para
    body += "<!--" + "x" * max(0, size - len(body) - 7) + "-->"
    return (head + body[: len(body) // 2] + images + body[len(body) // 2:] + tail).encode()


class Pages:
    """When each page was first asked for and when its onload reported."""

    def __init__(self) -> None:
        self.cv = threading.Condition()
        self.first: dict[str, float] = {}
        self.loaded: dict[str, float] = {}
        self.serial = 0

    def new_name(self) -> str:
        with self.cv:
            self.serial += 1
            return f"n{self.serial}"

    def note(self, table: dict[str, float], name: str) -> None:
        with self.cv:
            table.setdefault(name, time.monotonic())
            self.cv.notify_all()

    def wait(self, table: dict[str, float], names: list[str], timeout: float) -> bool:
        end = time.monotonic() + timeout
        with self.cv:
            while not all(n in table for n in names):
                left = end - time.monotonic()
                if left <= 0:
                    return False
                self.cv.wait(left)
        return True


def serve(pages: Pages) -> tuple[http.server.ThreadingHTTPServer, str]:
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self) -> None:  # noqa: N802
            parts = self.path.split("?")[0].strip("/").split("/")
            kind = "text/plain"
            if len(parts) == 2 and parts[0] == "p":
                pages.note(pages.first, parts[1])
                body, kind = page_html(parts[1]), "text/html; charset=utf-8"
            elif len(parts) == 2 and parts[0] == "loaded":
                pages.note(pages.loaded, parts[1])
                body = b"ok"
            elif len(parts) == 2 and parts[0] == "img" and parts[1].endswith(".png"):
                body, kind = IMAGES[int(parts[1][:-4]) % len(IMAGES)], "image/png"
            else:
                self.send_response(404)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args) -> None:
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}"


# ---- the process tree ----

def processes() -> dict[int, tuple[int, str, list[str]]]:
    """pid -> (parent, name, the fields of /proc/pid/stat after the name)."""
    out = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", encoding="utf-8", errors="replace") as f:
                line = f.read()
        except OSError:
            continue
        name = line[line.find("(") + 1: line.rfind(")")]
        rest = line[line.rfind(")") + 2:].split()
        out[int(entry)] = (int(rest[1]), name, rest)
    return out


def tree(root: int) -> dict[int, tuple[int, str, list[str]]]:
    """The processes below root (root included), without the session's own bus daemon."""
    procs = processes()
    below = {}
    for pid, info in procs.items():
        p = pid
        while p > 1 and p != root:
            p = procs.get(p, (0,))[0]
        if p == root and info[1] != "dbus-daemon" and info[1] != "dbus-run-sessio":
            below[pid] = info
    return below


def pss_mb(pids) -> float:
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup", encoding="utf-8") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total / 1024


def pss_by_name(procs) -> str:
    """PSS per process name (summed over processes of that name), largest first."""
    sizes: dict[str, float] = {}
    for pid, info in procs.items():
        sizes[info[1]] = sizes.get(info[1], 0.0) + pss_mb([pid])
    return ", ".join(f"{n} {v:.0f}" for n, v in sorted(sizes.items(), key=lambda kv: -kv[1]))


def cpu_s(procs: dict[int, tuple[int, str, list[str]]]) -> float:
    # utime, stime, cutime, cstime: fields 14..17 of stat, 11..14 after the name.
    return sum(sum(int(v) for v in info[2][11:15]) for info in procs.values()) / TICK


def web_processes(procs) -> int:
    return sum(1 for info in procs.values() if info[1].startswith("WebKitWebProces"))


# ---- the browsers ----

class Run:
    """One browser started in a fresh HOME under a session bus of its own."""

    def __init__(self, kind: str, binary: str, env_extra: dict[str, str]) -> None:
        self.kind, self.binary = kind, binary
        self.home = tempfile.mkdtemp(prefix=f"peers-{kind}-")
        runtime = os.path.join(self.home, "run")
        os.mkdir(runtime, 0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("DBUS_", "XDG_", "ZEL_", "WEBKIT_"))}
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_DATA_HOME=os.path.join(self.home, ".local/share"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                        ZEL_HOME=os.path.join(self.home, "zel"), NO_AT_BRIDGE="1", **env_extra)
        self.proc: subprocess.Popen | None = None

    def launch(self, urls: list[str]) -> None:
        args = [self.binary] + urls
        self.proc = subprocess.Popen(["dbus-run-session", "--"] + args, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True)

    def hand_off(self, url: str) -> None:
        subprocess.run([self.binary, url], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=False)

    def tree(self):
        return tree(self.proc.pid) if self.proc else {}

    def stop(self) -> None:
        if self.proc and self.proc.poll() is None:
            # The browser first (its normal shutdown), then whatever is left of the session.
            for pid, info in self.tree().items():
                if info[0] == self.proc.pid:
                    try:
                        os.kill(pid, signal.SIGTERM)
                    except ProcessLookupError:
                        pass
            try:
                self.proc.wait(15)
            except subprocess.TimeoutExpired:
                pass
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        shutil.rmtree(self.home, ignore_errors=True)


def drop_caches() -> None:
    subprocess.run(["sync"], check=False)
    with open("/proc/sys/vm/drop_caches", "w", encoding="ascii") as f:
        f.write("3\n")


class Bench:
    def __init__(self, browsers: list[tuple[str, str, str]], env: dict[str, str], base: str,
                 pages: Pages) -> None:
        self.browsers, self.env, self.base, self.pages = browsers, env, base, pages
        self.results: dict[tuple[str, str], list[float]] = {}
        self.detail = False

    def note(self, figure: str, who: str, value: float) -> None:
        self.results.setdefault((figure, who), []).append(value)

    def name(self) -> str:
        # Page names are never used twice in one run: the server keeps when each was loaded,
        # and a second bench (sandbox off after on) asking for "n1" again would find the first
        # bench's times (negative launch times, a tree measured before it had started).
        return self.pages.new_name()

    def one_tab(self, label: str, kind: str, binary: str, cold: bool, record: bool) -> None:
        run = Run(kind, binary, self.env)
        name = self.name()
        try:
            if cold:
                drop_caches()
            t0 = time.monotonic()
            run.launch([f"{self.base}/p/{name}"])
            if not self.pages.wait(self.pages.loaded, [name], 60):
                print(f"  {label}: the page did not load", file=sys.stderr)
                return
            loaded = self.pages.loaded[name] - t0
            time.sleep(max(0.0, self.pages.loaded[name] + SETTLE_S - time.monotonic()))
            procs = run.tree()
            if not record:
                return
            mode = "cold" if cold else "warm"
            if self.detail:
                print(f"  {label}: PSS (MB) by process: {pss_by_name(procs)}")
            self.note(f"launch -> page loaded, {mode} (s)", label, loaded)
            if not cold:
                self.note("PSS of the tree, 1 tab, 5 s after load (MB)", label,
                          pss_mb(procs.keys()))
                self.note("CPU user+sys, launch to load + 5 s (s)", label, cpu_s(procs))
                self.note("processes in the tree, 1 tab", label, len(procs))
                self.note("web processes, 1 tab", label, web_processes(procs))
        finally:
            run.stop()

    def ten_tabs(self, label: str, kind: str, binary: str) -> None:
        run = Run(kind, binary, self.env)
        names = [self.name() for _ in range(10)]
        urls = [f"{self.base}/p/{n}" for n in names]
        try:
            t0 = time.monotonic()
            if kind == "zel":
                run.launch(urls[:1])
                if not self.pages.wait(self.pages.first, names[:1], 60):
                    print(f"  {label}: the first page was not asked for", file=sys.stderr)
                    return
                for url in urls[1:]:
                    run.hand_off(url)
            else:
                run.launch(urls)
            if not self.pages.wait(self.pages.loaded, names, 120):
                got = sum(1 for n in names if n in self.pages.loaded)
                print(f"  {label}: {got} of 10 pages loaded", file=sys.stderr)
                return
            last = max(self.pages.loaded[n] for n in names)
            time.sleep(max(0.0, last + SETTLE_S - time.monotonic()))
            procs = run.tree()
            self.note("10 tabs all loaded (s)", label, last - t0)
            self.note("PSS of the tree, 10 tabs (MB)", label, pss_mb(procs.keys()))
            self.note("web processes, 10 tabs", label, web_processes(procs))
        finally:
            run.stop()

    def each(self, runs: int, what) -> None:
        for r in range(runs):
            order = self.browsers if r % 2 == 0 else list(reversed(self.browsers))
            for label, kind, binary in order:
                what(label, kind, binary)

    def report(self, title: str) -> None:
        print(f"\n== {title}")
        labels = [b[0] for b in self.browsers]
        peer = labels[0]
        figures = []
        for figure, _ in self.results:
            if figure not in figures:
                figures.append(figure)
        for figure in figures:
            print(f"{figure}")
            base = self.results.get((figure, peer))
            for label in labels:
                values = self.results.get((figure, label), [])
                if not values:
                    print(f"    {label:14s} no result")
                    continue
                med = statistics.median(values)
                line = (f"    {label:14s} median {med:8.2f}   spread {min(values):.2f}..{max(values):.2f}"
                        f"   ({len(values)} runs)")
                if label != peer and base and statistics.median(base):
                    line += f"   ratio {med / statistics.median(base):.2f}"
                print(line)
        self.results.clear()


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("what", nargs="?", default="all", choices=["warm", "cold", "tabs", "all"])
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--sandbox", default="both", choices=["on", "off", "both"])
    ap.add_argument("--zel", action="append", default=[],
                    help="NAME=PATH of a zel launcher (repeatable)")
    ap.add_argument("--compositing", action="store_true")
    ap.add_argument("--detail", action="store_true", help="print each run's PSS by process")
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset",
                               sys.executable] + sys.argv)
    if not EPIPHANY:
        print("GNOME Web is not installed: apt-get install epiphany-browser", file=sys.stderr)
        return 2
    zels = []
    for spec in args.zel or [f"Zel={os.path.join(ROOT, 'build', 'src', 'zel')}"]:
        label, _, path = spec.partition("=")
        if not os.access(path, os.X_OK):
            print(f"no zel at {path}: build it first", file=sys.stderr)
            return 2
        zels.append((label, "zel", os.path.abspath(path)))
    browsers = [("GNOME Web", "epiphany", EPIPHANY)] + zels
    if args.what == "cold" or args.what == "all":
        if os.geteuid() != 0:
            print("cold runs need root (drop_caches)", file=sys.stderr)
            return 2
    pages = Pages()
    server, base = serve(pages)
    version = subprocess.run([EPIPHANY, "--version"], capture_output=True, text=True).stdout.strip()
    print(f"{version}; {', '.join(f'{z[0]}: {z[2]}' for z in zels)}")
    print(f"page: {len(page_html('x'))} bytes of HTML, {len(IMAGES)} images of "
          f"{sum(map(len, IMAGES)) // len(IMAGES)} bytes; compositing "
          f"{'on' if args.compositing else 'off'}")
    for sandbox in (["on", "off"] if args.sandbox == "both" else [args.sandbox]):
        env = {} if args.compositing else {"WEBKIT_DISABLE_COMPOSITING_MODE": "1"}
        if sandbox == "off":
            env.update(WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS="1", ZEL_DISABLE_SANDBOX="1")
        bench = Bench(browsers, env, base, pages)
        bench.detail = args.detail
        # One unmeasured start of each fills the file caches.
        for label, kind, binary in browsers:
            bench.one_tab(label, kind, binary, cold=False, record=False)
        if args.what in ("warm", "all"):
            bench.each(args.runs, lambda l, k, b: bench.one_tab(l, k, b, cold=False, record=True))
        if args.what in ("cold", "all"):
            bench.each(max(1, (args.runs + 1) // 2),
                       lambda l, k, b: bench.one_tab(l, k, b, cold=True, record=True))
        if args.what in ("tabs", "all"):
            bench.each(max(1, (args.runs + 1) // 2), bench.ten_tabs)
        bench.report(f"sandbox {sandbox}")
    server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
