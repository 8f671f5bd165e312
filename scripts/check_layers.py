#!/usr/bin/env python3
"""Checks that the engine's layers (rte/README.md), and the libraries of the tree, depend only
downwards.

    check_layers.py SOURCE_DIR [OBJECT_DIR...]
    check_layers.py --self-test     shows on a small made-up tree that each breach is found

Includes: every #include "rte/..." of a file under rte/ must name a public header (rte/*.h),
a header of the file's own layer or of a layer below it; events/ and render/ stand side by side
and may not include each other. Public headers include public headers only. The test-only
headers (rte/testing.h, rte/*_testing.h) are included by tests and by the one file that
implements them. No header may reach itself again through its includes (a circle).

Calls (when OBJECT_DIR is given: the folders holding the engine's object files): a function or
variable that a file of one layer uses and a file of the library defines must be defined in
that layer or below, so that a call through a public header cannot climb the layers either.

The tree (always checked, tests aside): the engine includes nothing of the libraries above it;
in win32/ only win32/engine_seam_internal.h includes the engine, and only user32/ and shell32/
include that seam, so kernel32 and advapi32 stand on the operating system alone; the toolbox's
core/ takes from win32/ only the basic types and kernel32 (windef.h, winbase.h); nothing below
app/ includes it, and only app/ includes the device library. No header of the tree reaches itself
again through its includes.

Prints one line for each breach and exits 1 when there is any, else prints a summary and
exits 0.
"""
import os
import re
import subprocess
import sys

# Layer order, lowest first. Layers of the same rank stand side by side and do not use each other.
RANKS = {"core": 1, "gfx": 2, "model": 3, "events": 4, "render": 4, "display": 5, "main": 6}

# Test-only headers and the files that implement them.
TEST_HEADERS = {
    "rte/testing.h": {"rte/events/testing.cpp"},
    "rte/alloc_testing.h": {"rte/core/alloc.cpp"},
    "rte/alloc_new_testing.h": set(),
    "rte/mbs_testing.h": {"rte/core/mbs.cpp"},
    "rte/ports_testing.h": {"rte/core/ports.cpp"},
    "rte/waiting_testing.h": set(),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"(rte/[^"]+)"', re.M)


def layer_of(path):
    """The layer folder of rte/<layer>/..., or None for a file at rte/ itself."""
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else None


def is_test(path):
    """Test code: a test, or a test-only header that tests share."""
    return path.endswith(("_test.cpp", "_testing.h"))


def sources(root):
    out = []
    for folder, _, names in os.walk(os.path.join(root, "rte")):
        for name in names:
            if name.endswith((".h", ".cpp", ".c")):
                out.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(out)


def check_includes(root, files, breaches):
    graph = {}
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8") as f:
            included = INCLUDE.findall(f.read())
        graph[path] = included
        mine = layer_of(path)
        for target in included:
            where = f"{path}: includes {target}"
            if not os.path.exists(os.path.join(root, target)):
                breaches.append(f"{where}, which does not exist")
                continue
            theirs = layer_of(target)
            if target in TEST_HEADERS:
                if not is_test(path) and path not in TEST_HEADERS[target]:
                    breaches.append(f"{where}: a test-only header in the product")
                continue
            if mine is None:
                if theirs is not None:
                    breaches.append(f"{where}: a public header includes an internal one")
                continue
            if mine not in RANKS:
                breaches.append(f"{path}: rte/{mine}/ is not a layer of rte/README.md")
                continue
            if theirs is None or theirs == mine:
                continue
            if theirs not in RANKS:
                breaches.append(f"{where}: rte/{theirs}/ is not a layer")
            elif RANKS[theirs] > RANKS[mine]:
                breaches.append(f"{where}: {mine} reaches up to {theirs}")
            elif RANKS[theirs] == RANKS[mine]:
                breaches.append(f"{where}: {mine} and {theirs} stand side by side")
    find_circles(graph, files, breaches)
    return len(files)


def find_circles(graph, files, breaches, skip=()):
    """Adds a breach for each include circle: a depth-first walk of the include graph. Circles
    closing on a file under one of the skip prefixes are left to another check."""
    state = {}
    def visit(node, trail):
        state[node] = 1
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                if not nxt.startswith(skip):
                    loop = trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
                    breaches.append("include circle: " + " -> ".join(loop))
            elif state.get(nxt) is None and nxt in graph:
                visit(nxt, trail + [nxt])
        state[node] = 2
    for path in files:
        if state.get(path) is None:
            visit(path, [path])


TREE_INCLUDE = re.compile(r'^\s*#\s*include\s+"((?:rte|win32|toolbox|qm7300|app|tools)/[^"]+)"', re.M)
TREE_FOLDERS = ("rte", "win32", "toolbox", "qm7300", "app", "tools", "examples")
SEAM = "win32/engine_seam_internal.h"
KERNEL32_HEADERS = {"win32/windef.h", "win32/winbase.h", "win32/winerror.h"}


def tree_sources(root):
    out = []
    for top in TREE_FOLDERS:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith((".h", ".cpp", ".c")):
                    out.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(out)


def tree_rule(path, target):
    """The breach of the tree's rules in path's include of target, or None."""
    top = path.split("/")[0]
    theirs = target.split("/")[0]
    if top == "rte" and theirs != "rte":
        return "the engine reaches up to " + theirs + "/"
    if theirs == "app" and top != "app":
        return "only the program includes app/"
    if theirs == "qm7300" and top not in ("qm7300", "app"):
        return "only the program includes the device library"
    if top == "win32":
        if theirs == "rte" and path != SEAM:
            return "win32/ reaches the engine only through " + SEAM
        if target == SEAM and path.split("/")[1] not in ("user32", "shell32"):
            return "only user32 and shell32 reach the engine"
        if theirs in ("toolbox", "tools"):
            return "win32/ reaches up to " + theirs + "/"
    if path.startswith("toolbox/core/") and theirs == "win32" and target not in KERNEL32_HEADERS:
        return "the toolbox's core takes only kernel32 from win32/"
    return None


def check_tree(root, breaches):
    graph = {}
    files = tree_sources(root)
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8") as f:
            included = TREE_INCLUDE.findall(f.read())
        graph[path] = included
        if is_test(path) or path.endswith("_testing.h") or path.startswith("examples/"):
            continue
        for target in included:
            rule = tree_rule(path, target)
            if rule:
                breaches.append(f"{path}: includes {target}: {rule}")
    # Header circles anywhere in the tree (the engine's own are found by check_includes).
    find_circles(graph, files, breaches, skip=("rte/",))
    return len(files)


def nm(args, objects):
    """(object file, symbol, kind) of what nm lists for the object files, in one run of nm
    (one run for each file took minutes on a busy machine)."""
    out = subprocess.run(["nm", "-P", "-A"] + args + objects, capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        obj, _, rest = line.partition(": ")
        fields = rest.split()
        if len(fields) >= 2:
            yield obj, fields[0], fields[1]


def check_calls(root, object_dirs, breaches):
    objects = {}
    for top in object_dirs:
        for folder, _, names in os.walk(top):
            for name in names:
                if not name.endswith(".o"):
                    continue
                obj = os.path.join(folder, name)
                rel = os.path.relpath(obj, top)[: -len(".o")]
                source = "rte/" + rel
                if os.path.exists(os.path.join(root, source)):
                    objects[source] = obj
    source_of = {obj: source for source, obj in objects.items()}
    owner = {}
    undefined = {source: [] for source in objects}
    if objects:
        for obj, symbol, kind in nm(["--defined-only"], list(source_of)):
            if kind in "TDBR":  # strong definitions; weak ones (inline, templates) belong to no file
                owner[symbol] = source_of[obj]
        for obj, symbol, _ in nm(["-u"], list(source_of)):
            undefined[source_of[obj]].append(symbol)
    uses = 0
    for source in sorted(objects):
        mine = layer_of(source)
        for symbol in undefined[source]:
            where = owner.get(symbol)
            if where is None or where == source:
                continue
            uses += 1
            theirs = layer_of(where)
            if mine is None or theirs is None or mine == theirs:
                continue
            if RANKS.get(theirs, 99) > RANKS.get(mine, 0) or (
                    RANKS.get(theirs) == RANKS.get(mine)):
                name = subprocess.run(["c++filt", symbol], capture_output=True, text=True).stdout.strip()
                breaches.append(f"{source}: uses {name} of {where} ({mine} -> {theirs})")
    return len(objects), uses


def self_test():
    """Each kind of breach, planted in a made-up tree, is found; a sound tree passes."""
    import tempfile
    files = {
        "rte/ui.h": "",
        "rte/testing.h": "",
        "rte/core/a.h": '#include "rte/core/b.h"\n',
        "rte/core/b.h": '#include "rte/core/a.h"\n',
        "rte/core/up.cpp": '#include "rte/model/m.h"\n',
        "rte/model/m.h": '#include "rte/ui.h"\n#include "rte/core/a.h"\n',
        "rte/events/e.cpp": '#include "rte/render/r.h"\n#include "rte/testing.h"\n',
        "rte/render/r.h": "",
        "rte/bad.h": '#include "rte/model/m.h"\n',
        "rte/model/m_test.cpp": '#include "rte/testing.h"\n',
        "win32/engine_seam_internal.h": '#include "rte/ui.h"\n',
        "win32/kernel32/k.cpp": '#include "win32/engine_seam_internal.h"\n',
        "win32/advapi32/a.cpp": '#include "rte/ui.h"\n',
        "win32/user32/u.cpp": '#include "win32/engine_seam_internal.h"\n',
        "toolbox/core/c.cpp": '#include "win32/winuser.h"\n',
        "toolbox/text/t.h": '#include "toolbox/text/u.h"\n',
        "toolbox/text/u.h": '#include "toolbox/text/t.h"\n',
        "win32/winuser.h": "",
    }
    tree_expected = ["only user32 and shell32 reach the engine",
                     "win32/ reaches the engine only through", "takes only kernel32",
                     "include circle: toolbox/text"]
    expected = ["core reaches up to model", "stand side by side", "a test-only header in the product",
                "a public header includes an internal one", "include circle"]
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        breaches = []
        check_includes(root, sources(root), breaches)
        missing = [e for e in expected if not any(e in b for b in breaches)]
        if missing or len(breaches) != len(expected):
            print("self-test: expected one breach each of", expected, "found", breaches)
            return 1
        breaches = []
        check_tree(root, breaches)
        missing = [e for e in tree_expected if not any(e in b for b in breaches)]
        if missing or len(breaches) != len(tree_expected):
            print("self-test: expected one breach each of", tree_expected, "found", breaches)
            return 1
        for path in ["rte/core/up.cpp", "rte/events/e.cpp", "rte/bad.h", "win32/kernel32/k.cpp",
                     "win32/advapi32/a.cpp", "toolbox/core/c.cpp", "toolbox/text/u.h"]:
            os.remove(os.path.join(root, path))
        with open(os.path.join(root, "rte/core/b.h"), "w", encoding="utf-8") as f:
            f.write("")  # the circle broken
        breaches = []
        check_includes(root, sources(root), breaches)
        check_tree(root, breaches)
        if breaches:
            print("self-test: a sound tree was refused:", breaches)
            return 1
    print("self-test: every planted breach was found")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    root = sys.argv[1]
    breaches = []
    count = check_includes(root, sources(root), breaches)
    tree = check_tree(root, breaches)
    summary = f"{count} engine files' and {tree} tree files' includes"
    if len(sys.argv) > 2:
        objects, uses = check_calls(root, sys.argv[2:], breaches)
        if objects == 0:
            breaches.append("no object files of the engine found under " + " ".join(sys.argv[2:]))
        summary += f", {uses} uses across {objects} object files"
    for line in breaches:
        print(line)
    if breaches:
        print(f"{len(breaches)} breach(es) of the engine's layers", file=sys.stderr)
        return 1
    print(f"layers hold: {summary} point down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
