#!/usr/bin/env python3
"""Checks that the folders under src/ only include the layers they may use.

Core layers, bottom to top: platform < base < services < net < ui/html < app.
A core layer may include itself and the core layers below it, and no Qt header.
Beside the core: qt (platform, base, qt), gui and cli (all core, qt, doctor, themselves),
doctor (platform to net and itself, no Qt),
relay (only relay, it is a separate program), options (platform, base, services, net, qt, options),
plugins (only plugins; the public include/ folder is not a layer and so allowed).

A quoted include "folder/..." belongs to the layer of its leading folder; a bare
"x.h" is a header next to the including file. Angle-bracket includes are system
headers (<net/if.h> is not our net layer) and only matter for the Qt rule.
Files in a folder that is no layer are reported too.

Usage: check_layers.py [SRC_DIR]   (default: the src/ next to scripts/)
Prints "path:line: what" per offence and exits 1 if there is any.
"""
import os
import re
import sys

CORE = ["platform", "base", "services", "net", "ui/html", "app"]
ALLOWED = {layer: set(CORE[:i + 1]) for i, layer in enumerate(CORE)}
ALLOWED.update({
    "qt": {"platform", "base", "qt"},
    "gui": set(CORE) | {"qt", "gui", "doctor"},
    "cli": set(CORE) | {"qt", "cli", "doctor"},
    "doctor": {"platform", "base", "services", "net", "doctor"},
    "relay": {"relay"},
    # The editor writes what the chat reads, so it shares the chat's readers, key rules and
    # key table.
    "options": {"platform", "base", "services", "net", "qt", "options"},
    "plugins": {"plugins"},
})
# The connection check is plain POSIX too, so the terminal and the desktop share it.
NO_QT = set(CORE) | {"doctor"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".in")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_RE = re.compile(r"(Q[A-Za-z]|[Qq]t)")


def layer_of(rel_path):
    """Layer of a path relative to src/ (file or include), or None."""
    parts = rel_path.split("/")
    for depth in (2, 1):
        if len(parts) > depth and "/".join(parts[:depth]) in ALLOWED:
            return "/".join(parts[:depth])
    return None


def check_file(path, rel, shown, out):
    own = layer_of(rel)
    if own is None:
        folder = os.path.dirname(rel) or "src/ itself"
        out.append(f"{shown}:1: file in {folder}, which is no layer folder")
        return
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.readlines()
    for number, line in enumerate(lines, 1):
        m = INCLUDE_RE.match(line)
        if not m:
            continue
        quoted, name = m.group(1) == '"', m.group(2).strip()
        target = None
        if quoted and "/" in name:
            if name.startswith("."):
                joined = os.path.normpath(os.path.join(os.path.dirname(rel), name))
                target = layer_of(joined.replace(os.sep, "/"))
            else:
                target = layer_of(name)
        if target is not None:
            if target not in ALLOWED[own]:
                # Upward: the included layer itself may use ours.
                how = "upward" if own in ALLOWED[target] else "sideways"
                out.append(f"{shown}:{number}: {own} includes {name} ({how})")
        elif own in NO_QT and QT_RE.match(name):
            spelled = f'"{name}"' if quoted else f"<{name}>"
            out.append(f"{shown}:{number}: Qt header {spelled} in core layer {own}")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    src = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(here, "..", "src"))
    if not os.path.isdir(src):
        print(f"check_layers: no such folder: {src}", file=sys.stderr)
        return 2
    root = os.path.dirname(src)
    out, count = [], 0
    for folder, dirs, files in os.walk(src):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            check_file(path, rel, os.path.relpath(path, root), out)
            count += 1
    for line in out:
        print(line)
    if out:
        return 1
    print(f"layers OK ({count} files)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
