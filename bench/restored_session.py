#!/usr/bin/env python3
"""A large restored session: start mode 2 with N pages of the last run in last.ini.

Prints, 10 s after the page in front has loaded: the pages asked for from the server, the web
processes and the PSS of the browser's process tree.

Usage: bench/restored_session.py [--pages N] [--zel PATH]   (default 100 pages, build/src/zel)
Without a display it runs itself again under xvfb-run.
"""

from __future__ import annotations

import argparse
import importlib.util
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("peers", os.path.join(HERE, "peers.py"))
peers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(peers)


def main() -> int:
    ap = argparse.ArgumentParser()
    ap.add_argument("--pages", type=int, default=100)
    ap.add_argument("--zel", default=os.path.join(os.path.dirname(HERE), "build", "src", "zel"))
    args = ap.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset",
                               sys.executable] + sys.argv)
    pages = peers.Pages()
    server, base = peers.serve(pages)
    run = peers.Run("zel", os.path.abspath(args.zel), {"WEBKIT_DISABLE_COMPOSITING_MODE": "1"})
    profile = os.path.join(run.env["ZEL_HOME"], "profile", "Defaults")
    os.makedirs(profile)
    with open(os.path.join(profile, "config.ini"), "w", encoding="utf-8") as f:
        f.write("[GENERAL]\r\nstartmode=2\r\nnormalquit=1\r\n")
    names = [f"r{i}" for i in range(args.pages)]
    with open(os.path.join(profile, "last.ini"), "w", encoding="utf-8") as f:
        f.write(f"[visit]\r\ncount={args.pages}\r\n")
        for i, n in enumerate(names):
            f.write(f"title_{i}=Page {i}\r\nurl_{i}={base}/p/{n}\r\n")
    peak_mb, peak_web = 0.0, 0
    try:
        t0 = time.monotonic()
        run.launch([])
        # Sampled every half second until 10 s after the page in front loaded (at most 60 s).
        end = t0 + 60
        while time.monotonic() < end:
            procs = run.tree()
            peak_mb = max(peak_mb, peers.pss_mb(procs.keys()))
            peak_web = max(peak_web, peers.web_processes(procs))
            if names[0] in pages.loaded:
                end = min(end, pages.loaded[names[0]] + 10)
            time.sleep(0.5)
        front = (f"{pages.loaded[names[0]] - t0:.2f} s" if names[0] in pages.loaded
                 else "never (60 s)")
        asked = sum(1 for n in names if n in pages.first)
        print(f"{args.pages} restored pages: page in front loaded after {front}; "
              f"pages asked for {asked}; web processes (peak) {peak_web}; "
              f"PSS of the tree (peak) {peak_mb:.0f} MB")
    finally:
        run.stop()
        server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
