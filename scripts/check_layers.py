#!/usr/bin/env python3
"""Checks that the folders of src/ include each other only downwards.

Layers, lowest first. A folder may include its own files, any folder of a lower layer and
folders of its own layer, as long as the graph of folders of one layer has no cycle.

Toolkit headers (GTK, GDK, WebKit, X11, libsoup ...) belong in gtk/ sub-folders,
platform/linux/ and webext/ only, and the core (everything zel_core is built from: all but
gtk/ folders, platform/linux/, webext/ and main.cpp) never includes a file of a gtk/ folder
or of platform/linux/. A file of X/gtk/ stands at the layer of X.

Project includes are the `#include "a/b.h"` lines whose path holds a '/'; they are rooted at
src/. Others (<...>, or "b.h" beside the file) are left to the compiler.

Usage:
  check_layers.py SRC_DIR [--exceptions FILE]   check a tree, exit 1 on a violation
  check_layers.py --self-test                   check the checker on made-up trees

The exceptions file lists known violations as `from -> to` folder pairs, one a line. Each
pair still present is printed and tolerated; a pair that no longer occurs is an error, so
the list only ever shrinks.
"""

from __future__ import annotations

import argparse
import os
import re
import subprocess
import sys
import tempfile
from dataclasses import dataclass

LAYERS: list[tuple[str, ...]] = [
    ("base", "res"),
    ("platform",),
    ("settings",),
    ("xml", "gestures"),
    ("view",),
    ("services",),
    ("filters", "search", "session", "page", "downloads", "panes", "proxy", "status", "formfill",
     "skin", "window", "privacy", "options", "update", "icons", "favorites", "history",
     "collector", "defbrowser"),
    ("frame",),
    ("host", "webext", "main.cpp"),
]
LAYER_OF: dict[str, int] = {name: i for i, names in enumerate(LAYERS) for name in names}

# Headers only the toolkit side may include. GLib and GIO are fine everywhere.
TOOLKIT_HEADER = re.compile(
    r"^(gtk/|gtkmm|gdk/|gdkmm|gdk-pixbuf/|webkit2/|webkitdom/|JavaScriptCore/|X11/|"
    r"libsoup/|libayatana-appindicator/|cairo|pango|atk|glibmm|giomm|sigc\+\+)")

SOURCE_SUFFIXES = (".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx", ".inc", ".ipp")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')

DEFAULT_EXCEPTIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                  "layer_exceptions.txt")


@dataclass(frozen=True)
class Include:
    file: str   # path below src/, with '/'
    line: int
    text: str   # the include as written, e.g. "frame/commands.h" or <gtk/gtk.h>


@dataclass
class Violation:
    inc: Include
    rule: str
    pair: str   # "from -> to", what the exceptions file names

    def __str__(self) -> str:
        return f"{self.inc.file}:{self.inc.line}: #include {self.inc.text}: {self.rule}"


def unit_of(path: str) -> str:
    """The folder a file of src/ counts as for the direction rule: its top folder (X for
    X/gtk/...), or the file itself directly in src/ (main.cpp)."""
    return path.split("/")[0]


def folder_of(path: str) -> str:
    d = os.path.dirname(path)
    return d if d else path


def in_toolkit_folder(path: str) -> bool:
    """A file of a gtk/ folder or of platform/linux/."""
    dirs = path.split("/")[:-1]
    return "gtk" in dirs or path.startswith("platform/linux/")


def may_use_toolkit_headers(path: str) -> bool:
    return in_toolkit_folder(path) or path.startswith("webext/")


def is_core(path: str) -> bool:
    return not (in_toolkit_folder(path) or path.startswith("webext/") or path == "main.cpp")


def strip_comments(lines: list[str]) -> list[str]:
    """The lines with /* */ and // comments blanked (string literals are not looked at,
    which is good enough for include lines)."""
    out, in_block = [], False
    for line in lines:
        result, i = [], 0
        while i < len(line):
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    in_block, i = False, end + 2
            elif line.startswith("/*", i):
                in_block, i = True, i + 2
            elif line.startswith("//", i):
                break
            else:
                result.append(line[i])
                i += 1
        out.append("".join(result))
    return out


def scan(src: str) -> tuple[list[tuple[str, str]], list[tuple[Include, bool, str]]]:
    """Walks src/. Returns (placement errors as (path, reason), includes as
    (include, is_system, path))."""
    errors: list[tuple[str, str]] = []
    includes: list[tuple[Include, bool, str]] = []
    for entry in sorted(os.listdir(src)):
        full = os.path.join(src, entry)
        if os.path.isdir(full):
            if entry not in LAYER_OF:
                errors.append((entry + "/", "folder has no layer; add it to LAYERS in "
                               "scripts/check_layers.py"))
        elif entry.endswith(SOURCE_SUFFIXES) and entry not in LAYER_OF:
            errors.append((entry, "source file directly in src/ has no layer"))
    for root, dirs, files in os.walk(src):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            full = os.path.join(root, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            with open(full, encoding="utf-8", errors="replace") as f:
                lines = strip_comments(f.read().split("\n"))
            for number, line in enumerate(lines, start=1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                system = m.group(1) == "<"
                path = m.group(2).strip()
                text = f"<{path}>" if system else f'"{path}"'
                includes.append((Include(rel, number, text), system, path))
    return errors, includes


def find_cycles(edges: set[tuple[str, str]]) -> set[tuple[str, str]]:
    """The edges that lie on a cycle (both ends in one strongly connected component)."""
    graph: dict[str, set[str]] = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index: dict[str, int] = {}
    low: dict[str, int] = {}
    stack: list[str] = []
    on_stack: set[str] = set()
    component: dict[str, int] = {}
    counter = [0]

    def visit(v: str) -> None:
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph[v]):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component[w] = index[v]
                if w == v:
                    break

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return {(a, b) for a, b in edges if component[a] == component[b]}


def check(src: str) -> tuple[list[str], list[Violation]]:
    """Returns (placement errors, include violations)."""
    placement, includes = scan(src)
    errors = [f"{path}: {reason}" for path, reason in placement]
    violations: list[Violation] = []
    same_layer: dict[tuple[str, str], list[Include]] = {}

    for inc, system, path in includes:
        src_unit = unit_of(inc.file)
        if src_unit not in LAYER_OF:
            continue  # its folder is already reported
        if system:
            if TOOLKIT_HEADER.match(path) and not may_use_toolkit_headers(inc.file):
                violations.append(Violation(
                    inc, "toolkit headers only from gtk/ folders, platform/linux/ and webext/",
                    f"{folder_of(inc.file)} -> <toolkit>"))
            continue
        if "/" not in path:
            continue
        if TOOLKIT_HEADER.match(path):
            if not may_use_toolkit_headers(inc.file):
                violations.append(Violation(
                    inc, "toolkit headers only from gtk/ folders, platform/linux/ and webext/",
                    f"{folder_of(inc.file)} -> <toolkit>"))
            continue
        dst_unit = unit_of(path)
        if dst_unit not in LAYER_OF:
            violations.append(Violation(
                inc, f"'{dst_unit}/' is no folder of src/ with a layer", f"{src_unit} -> {dst_unit}"))
            continue
        if is_core(inc.file) and in_toolkit_folder(path):
            violations.append(Violation(
                inc, "core code includes toolkit code (a gtk/ folder or platform/linux/)",
                f"{folder_of(inc.file)} -> {folder_of(path)}"))
        src_layer, dst_layer = LAYER_OF[src_unit], LAYER_OF[dst_unit]
        if dst_layer > src_layer:
            violations.append(Violation(
                inc, f"{src_unit} (layer {src_layer}) includes {dst_unit} (layer {dst_layer}), "
                "a higher layer", f"{src_unit} -> {dst_unit}"))
        elif dst_layer == src_layer and dst_unit != src_unit:
            same_layer.setdefault((src_unit, dst_unit), []).append(inc)

    for a, b in sorted(find_cycles(set(same_layer))):
        for inc in same_layer[(a, b)]:
            violations.append(Violation(
                inc, f"{a} and {b} (both layer {LAYER_OF[a]}) include each other, a cycle",
                f"{a} -> {b}"))

    violations.sort(key=lambda v: (v.inc.file, v.inc.line, v.rule))
    return errors, violations


def read_exceptions(path: str) -> tuple[list[tuple[int, str]], list[str]]:
    pairs, errors = [], []
    if not os.path.exists(path):
        return pairs, errors
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, start=1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            parts = [p.strip() for p in line.split("->")]
            if len(parts) != 2 or not all(parts):
                errors.append(f"{path}:{number}: expected 'from-folder -> to-folder': {raw.strip()}")
                continue
            pairs.append((number, f"{parts[0]} -> {parts[1]}"))
    return pairs, errors


def run(src: str, exceptions_path: str) -> int:
    if not os.path.isdir(src):
        print(f"check_layers: {src} is not a folder", file=sys.stderr)
        return 2
    errors, violations = check(src)
    allowed, exception_errors = read_exceptions(exceptions_path)
    errors += exception_errors
    allowed_pairs = {pair for _, pair in allowed}

    failed = False
    for e in errors:
        print(f"error: {e}")
        failed = True
    tolerated = [v for v in violations if v.pair in allowed_pairs]
    for v in violations:
        if v.pair not in allowed_pairs:
            print(f"error: {v}")
            failed = True
    for v in tolerated:
        print(f"allowed for now ({v.pair}): {v}")
    present = {v.pair for v in violations}
    for number, pair in allowed:
        if pair not in present:
            print(f"error: {exceptions_path}:{number}: '{pair}' no longer occurs; "
                  "delete the line")
            failed = True

    if failed:
        print(f"check_layers: FAILED ({len(violations) - len(tolerated)} violation(s), "
              f"{len(errors)} other error(s))")
        return 1
    print(f"check_layers: ok ({len(tolerated)} allowed violation(s) left in "
          f"{os.path.basename(exceptions_path)})")
    return 0


# ---------------------------------------------------------------------------------------
# Self-test: the checker run as a program on made-up trees.

GOOD_TREE = {
    "base/text.h": "#pragma once\n#include <string>\n#include <glib.h>\n",
    "platform/shell_port.h": '#include "base/text.h"\n',
    "platform/linux/gio_shell.cpp":
        '#include <gio/gio.h>\n#include <gtk/gtk.h>\n#include "platform/shell_port.h"\n',
    "view/view.h": '#include "platform/shell_port.h"\n#include "gestures/table.h"\n',
    "view/gtk/engine.cpp":
        '#include <webkit2/webkit2.h>\n#include "view/view.h"\n#include "platform/linux/gio_shell.h"\n',
    "gestures/table.h": '#include "xml/doc.h"\n',
    "xml/doc.h": '#include "base/text.h"\n',
    "filters/popup.h": '#include "search/find.h"\n#include "view/view.h"\n',
    "search/find.h": '// #include "frame/frame.h"  (a comment, not an include)\n'
                     '/* #include "frame/frame.h" */\n#include "nearby.h"\n',
    "frame/frame.h": '#include "filters/popup.h"\n',
    "host/gtk/app.cpp": '#include <gtkmm.h>\n#include "frame/frame.h"\n#include "view/gtk/engine.h"\n',
    "webext/ext.cpp": '#include <webkit2/webkit-web-extension.h>\n#include "filters/popup.h"\n',
    "main.cpp": '#include "host/gtk/app.h"\n',
    "res/js/script.js": "// not C++\n",
}


def _write_tree(root: str, files: dict[str, str]) -> None:
    for rel, body in files.items():
        full = os.path.join(root, rel)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(body)


def _run_checker(files: dict[str, str], exceptions: str | None = None) -> tuple[int, str]:
    with tempfile.TemporaryDirectory(prefix="check_layers_") as tmp:
        src = os.path.join(tmp, "src")
        os.makedirs(src)
        _write_tree(src, files)
        exc = os.path.join(tmp, "layer_exceptions.txt")
        with open(exc, "w", encoding="utf-8") as f:
            f.write(exceptions or "")
        proc = subprocess.run(
            [sys.executable, os.path.abspath(__file__), src, "--exceptions", exc],
            capture_output=True, text=True, check=False)
        return proc.returncode, proc.stdout + proc.stderr


def self_test() -> int:
    failures: list[str] = []

    def expect(name: str, files: dict[str, str], want_rc: int, want: list[str],
               not_want: list[str] = (), exceptions: str | None = None) -> None:
        rc, out = _run_checker(files, exceptions)
        problems = []
        if rc != want_rc:
            problems.append(f"exit {rc}, expected {want_rc}")
        problems += [f"output lacks {w!r}" for w in want if w not in out]
        problems += [f"output has {w!r}" for w in not_want if w in out]
        if problems:
            failures.append(f"{name}: " + "; ".join(problems) + "\n" + out)
        else:
            print(f"ok: {name}")

    expect("a tree that keeps the rules passes", GOOD_TREE, 0, ["check_layers: ok"],
           ["error:"])

    bad = dict(GOOD_TREE)
    bad["view/view.h"] = '#include "platform/shell_port.h"\n\n#include "frame/frame.h"\n'
    expect("a lower layer including a higher one fails and names the line", bad, 1,
           ['view/view.h:3: #include "frame/frame.h"', "view (layer 4) includes frame (layer 7)"])

    bad = dict(GOOD_TREE)
    bad["view/gtk/engine.cpp"] = '#include "host/gtk/app.h"\n'
    expect("a gtk/ file counts at the layer of its folder", bad, 1,
           ['view/gtk/engine.cpp:1: #include "host/gtk/app.h"', "view (layer 4) includes host"])

    bad = dict(GOOD_TREE)
    bad["filters/popup.h"] = '#include <string>\n#include <gtk/gtk.h>\n'
    expect("a toolkit header in the core fails", bad, 1,
           ["filters/popup.h:2: #include <gtk/gtk.h>", "toolkit headers only"])

    bad = dict(GOOD_TREE)
    bad["frame/frame.h"] = '#include "view/gtk/engine.h"\n'
    expect("the core including a gtk/ file fails", bad, 1,
           ['frame/frame.h:1: #include "view/gtk/engine.h"', "core code includes toolkit code"])

    bad = dict(GOOD_TREE)
    bad["settings/store.h"] = '#include "platform/linux/gio_shell.h"\n'
    expect("the core including platform/linux fails", bad, 1,
           ['settings/store.h:1: #include "platform/linux/gio_shell.h"',
            "core code includes toolkit code"])

    bad = dict(GOOD_TREE)
    bad["search/find.h"] = '#include "filters/popup.h"\n'
    expect("folders of one layer including each other fail", bad, 1,
           ['search/find.h:1: #include "filters/popup.h"', 'filters/popup.h:1: #include "search/find.h"',
            "a cycle"])

    bad = dict(GOOD_TREE)
    bad["newstuff/thing.h"] = '#include "base/text.h"\n'
    expect("an unknown top folder fails", bad, 1, ["newstuff/: folder has no layer"])

    bad = dict(GOOD_TREE)
    bad["base/text.h"] = '#include "nowhere/x.h"\n'
    expect("an include of an unknown folder fails", bad, 1,
           ['base/text.h:1: #include "nowhere/x.h"', "no folder of src/"])

    bad = dict(GOOD_TREE)
    bad["view/view.h"] = '#include "frame/frame.h"\n'
    expect("an allowed violation is printed and tolerated", bad, 0,
           ["allowed for now (view -> frame)", 'view/view.h:1: #include "frame/frame.h"'],
           ["error:"], exceptions="# must shrink\nview -> frame\n")

    expect("an allowed pair that no longer occurs fails", GOOD_TREE, 1,
           ["'view -> frame' no longer occurs"], exceptions="view -> frame\n")

    bad = dict(GOOD_TREE)
    bad["view/view.h"] = '#include "frame/frame.h"\n#include "filters/popup.h"\n'
    expect("an allowed pair does not cover another pair", bad, 1,
           ['error: view/view.h:2: #include "filters/popup.h"'], exceptions="view -> frame\n")

    if failures:
        for f in failures:
            print(f"FAILED: {f}")
        print(f"check_layers self-test: {len(failures)} case(s) failed")
        return 1
    print("check_layers self-test: all cases passed")
    return 0


def main() -> int:
    parser = argparse.ArgumentParser(description="Checks that src/ includes point down.")
    parser.add_argument("src", nargs="?", help="the src/ folder")
    parser.add_argument("--exceptions", default=DEFAULT_EXCEPTIONS,
                        help="known violations as 'from -> to' lines")
    parser.add_argument("--self-test", action="store_true",
                        help="run the checker on made-up trees and check what it says")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    if not args.src:
        parser.error("the src/ folder is missing")
    return run(args.src, args.exceptions)


if __name__ == "__main__":
    sys.exit(main())
