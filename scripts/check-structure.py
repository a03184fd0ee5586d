#!/usr/bin/env python3
"""Checks the shape of the source tree; exits non-zero with one line per fault.

1. Includes run one way between the top folders:
     support <- settings, imagelist <- wallpaper <- ui, internet <- shell
   and the plug-in sees only support and its own folder. The program reaches the
   plug-in only through its boundary header folder, plugin/include.
2. No cycle between folders: the graph of "a file in folder A includes a file
   in folder B" (sub-folders count as folders of their own; tests folders are
   leaves and are left out) has no strongly connected part of two or more.
3. The program's resource scripts (res/skyframe.rc and what it includes) give
   no two resources of one kind the same id, and no id name two values.

  check-structure.py [SOURCE_ROOT]
"""
import os
import re
import sys

# What each top folder may include, besides itself.
ALLOWED = {
    "support": set(),
    "settings": {"support"},
    "imagelist": {"support"},
    "wallpaper": {"support", "settings", "imagelist"},
    "ui": {"support", "settings", "imagelist", "wallpaper"},
    "internet": {"support", "settings", "imagelist", "wallpaper", "plugin/include"},
    "shell": {"support", "settings", "imagelist", "wallpaper", "ui", "internet", "plugin/include"},
    "plugin": {"support"},
    "tests": {"support", "settings", "imagelist", "wallpaper", "ui", "internet", "shell", "plugin", "tests"},
}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SKIP_DIRS = {"build", ".git", "node_modules"}


def sources(root):
    for top in sorted(ALLOWED):
        base = os.path.join(root, top)
        for folder, dirs, files in os.walk(base):
            dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS)
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def top_of(path):
    return path.split("/", 1)[0]


def allowed(source, target):
    src, dst = top_of(source), top_of(target)
    if dst == src:
        return True
    if target.startswith("plugin/include/") and "plugin/include" in ALLOWED.get(src, set()):
        return True
    return dst in ALLOWED.get(src, set())


def is_test_dir(folder):
    return any(part in ("tests", "test_support", "fuzz", "bench") for part in folder.split("/"))


def cycles(edges):
    """Strongly connected parts of two or more folders (iterative Tarjan)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    part.append(member)
                    if member == node:
                        break
                if len(part) > 1:
                    found.append(sorted(part))
    return found


def check_includes(root):
    faults = []
    edges = {}
    for source in sources(root):
        with open(os.path.join(root, source), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            if "/" not in target:
                continue  # a file beside it, or a generated one
            if not os.path.exists(os.path.join(root, target)):
                continue  # generated (support/version.h) or from a package
            if not allowed(source, target):
                faults.append(f"{source}: includes {target}, which runs against the dependency direction")
            src_dir, dst_dir = os.path.dirname(source), os.path.dirname(target)
            if src_dir != dst_dir and not is_test_dir(src_dir) and not is_test_dir(dst_dir):
                edges.setdefault(src_dir, set()).add(dst_dir)
    for part in cycles(edges):
        faults.append("folders include each other: " + " <-> ".join(part))
    return faults


RESOURCE_KINDS = {"DIALOG", "DIALOGEX", "ICON", "BITMAP", "CURSOR", "MENU", "MENUEX", "RCDATA", "BINARY",
                  "ACCELERATORS", "HTML", "MANIFEST", "PNG"}
RC_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
DEFINE = re.compile(r"^\s*#\s*define\s+(\w+)\s+(\d+)\s*$", re.M)
STATEMENT = re.compile(r"^(\w+)\s+(\w+)\b", re.M)


def check_resources(root, script="res/skyframe.rc"):
    faults, defines, seen = [], {}, {}
    visited = set()

    def read_headers(path):
        for name, value in DEFINE.findall(open(os.path.join(root, path), encoding="utf-8", errors="replace").read()):
            old = defines.get(name)
            if old is not None and old[0] != int(value):
                faults.append(f"{path}: {name} is {value}, but {old[1]} makes it {old[0]}")
            defines.setdefault(name, (int(value), path))

    def walk(rc):
        if rc in visited:
            return
        visited.add(rc)
        text = open(os.path.join(root, rc), encoding="utf-8", errors="replace").read()
        for inc in RC_INCLUDE.findall(text):
            if not os.path.exists(os.path.join(root, inc)):
                continue
            if inc.endswith(".rc"):
                walk(inc)
            else:
                read_headers(inc)
        for name, kind in STATEMENT.findall(text):
            if kind not in RESOURCE_KINDS:
                continue
            value = int(name) if name.isdigit() else defines.get(name, (None,))[0]
            if value is None:
                continue  # a named resource
            key = (kind.replace("EX", ""), value)
            if key in seen and seen[key] != (rc, name):
                faults.append(f"{rc}: {kind} {name} = {value} collides with {seen[key][1]} in {seen[key][0]}")
            seen.setdefault(key, (rc, name))

    if os.path.exists(os.path.join(root, script)):
        walk(script)
    return faults


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    faults = check_includes(root) + check_resources(root)
    for fault in faults:
        print(fault)
    print(f"structure: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
