#!/usr/bin/env python3
"""Prints the module -> module edges of the #include lines under src/ and
fails (exit 1) on an edge against the layer order or a circle.

The layers, lowest first; a module may include only modules of lower layers:

    base  <-  media, script  <-  world  <-  screens, editor  <-  app  <-  platform  <-  main

critters/ belongs to world (one library, rw_world). editor/view/ is the
panel's window, drawn with SDL and Dear ImGui and built into the platform
library, so it counts as platform. src/main.cpp is the program's entry.

Usage: check_includes.py [SRC_DIR]
"""
import os
import re
import sys
from collections import defaultdict

LAYERS = [["base"], ["media", "script"], ["world"], ["screens", "editor"], ["app"], ["platform"], ["main"]]
LAYER = {module: n for n, modules in enumerate(LAYERS) for module in modules}
FOLDERS = {"critters": "world"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def module_of(relative_path):
    """The module a path below src/ belongs to, or None for one outside every module."""
    parts = relative_path.replace("\\", "/").split("/")
    if len(parts) == 1:
        return "main" if parts[0] == "main.cpp" else None
    if parts[0] == "editor" and len(parts) > 2 and parts[1] == "view":
        return "platform"
    folder = FOLDERS.get(parts[0], parts[0])
    return folder if folder in LAYER else None


def collect_edges(src):
    """{(from, to): [file, ...]} for every include of another module's header."""
    edges = defaultdict(list)
    unknown = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".hpp", ".cpp")):
                continue
            path = os.path.join(root, name)
            relative = os.path.relpath(path, src)
            source = module_of(relative)
            if source is None:
                unknown.append(relative)
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = module_of(m.group(1))
                    if target is not None and target != source:
                        edges[(source, target)].append(relative)
    return edges, unknown


def find_circle(edges):
    """One circle of the module graph as a list of modules, or None."""
    graph = defaultdict(set)
    for a, b in edges:
        graph[a].add(b)
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph[node]):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    edges, unknown = collect_edges(src)
    failed = False
    for (a, b), files in sorted(edges.items(), key=lambda e: (-LAYER[e[0][0]], e[0])):
        wrong = LAYER[b] >= LAYER[a]
        n = len(set(files))
        print(f"{a} -> {b}  ({n} file{'s' if n != 1 else ''})" + ("  AGAINST THE ORDER" if wrong else ""))
        if wrong:
            failed = True
            for f in sorted(set(files)):
                print(f"    {f}")
    for relative in unknown:
        print(f"{relative}: in no module of the layer order")
        failed = True
    circle = find_circle(edges)
    if circle:
        print("circle: " + " -> ".join(circle))
        failed = True
    print("include order: " + ("BROKEN" if failed else "ok"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
