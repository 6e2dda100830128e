#!/usr/bin/env python3
"""Checks the shape of the tree's include graph, so the layering the code is built on holds:

  - no cycle of includes between the tree's own files, a .cpp file and its header counting as
    one (given_paths.cpp including protection_tracks.h while protection_tracks.cpp includes
    given_paths.h is a cycle: neither can be understood, or tested, without the other);
  - nothing outside app/ (and app/'s own tests, tests/app/) includes a file from app/;
  - the portable folders (window/, cuesheet/, dummyfile/, fileio/) include no Win32 header;
    only fileio's Win32 implementation files (*_win32.cpp, *_win32.h) may;
  - app/ holds only the Win32 shell and start-up: each file there includes a Win32 header
    itself or through the app/ headers it includes, or is main.cpp.

  check_structure.py [--root DIR]

Prints one line per problem and exits 1 if there is any, 0 if there is none. A problem the
tree is known to have is listed in KNOWN below: it is reported as known and passes, and
an entry there that no longer occurs fails the check, so the list only ever shrinks.
"""
import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".cpp", ".h", ".inc")
SKIPPED_FOLDERS = {".git", "build", "dist"}
PORTABLE_FOLDERS = ("window/", "cuesheet/", "dummyfile/", "fileio/")
# Headers of the Windows API (any case: Windows file names are not case-sensitive).
WIN32_HEADERS = {
    "windows.h", "windef.h", "winbase.h", "winuser.h", "wingdi.h", "winnt.h", "winerror.h",
    "winreg.h", "winnls.h", "winver.h", "commctrl.h", "commdlg.h", "shellapi.h", "shlobj.h",
    "shlwapi.h", "objbase.h", "ole2.h", "oleacc.h", "uxtheme.h", "dwmapi.h", "psapi.h",
    "tchar.h", "wtypes.h", "winsock2.h", "io.h", "direct.h", "process.h",
}
START_UP = {"app/main.cpp"}

# Problems the tree has today and is being rid of; each is the problem's line as printed.
KNOWN: set = set()

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def source_files(root):
    """The tree's own C++ files, as paths relative to root with forward slashes."""
    found = []
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = sorted(d for d in subfolders
                               if d not in SKIPPED_FOLDERS and not d.startswith("build"))
        for name in files:
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.relpath(os.path.join(folder, name), root)
                found.append(path.replace(os.sep, "/"))
    return sorted(found)


def read_includes(root, path):
    """The (kind, name) of every #include in a file; kind is '<' or '"'."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        text = f.read()
    # Includes inside comments are not includes.
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.DOTALL)
    text = re.sub(r"//[^\n]*", "", text)
    return INCLUDE.findall(text)


def resolve(files, path, name):
    """The tree's file a quoted include names: from the root, as the code writes them, or
    beside the including file; None for a file the build makes (version.h) or a header
    from elsewhere."""
    for candidate in (name, os.path.normpath(os.path.join(os.path.dirname(path), name))):
        candidate = candidate.replace(os.sep, "/")
        if candidate in files:
            return candidate
    return None


def build_graph(root):
    """{file: (set of the tree's files it includes, set of Win32 headers it includes)}."""
    files = set(source_files(root))
    graph = {}
    for path in sorted(files):
        own, win32 = set(), set()
        for kind, name in read_includes(root, path):
            if os.path.basename(name).lower() in WIN32_HEADERS:
                win32.add(name)
            if kind == '"':
                target = resolve(files, path, name)
                if target is not None:
                    own.add(target)
        graph[path] = (own, win32)
    return graph


def unit(path):
    """A file's unit: x.cpp and x.h are one, named x."""
    stem, suffix = os.path.splitext(path)
    return stem if suffix in (".cpp", ".h") else path


def unit_graph(graph):
    """The include graph between units: {unit: (units it includes, ())}."""
    units = {}
    for path, (own, _) in graph.items():
        units.setdefault(unit(path), (set(), ()))[0].update(unit(t) for t in own)
    for name, (own, _) in units.items():
        own.discard(name)
    return units


def cycles(graph):
    """Each cycle of includes once, as a list of files that starts and ends with the same
    file, the smallest name first. Tarjan's strongly connected components; within each
    component with more than one file (or a file including itself), the shortest cycle
    through its first file."""
    index, low, on_stack, stack, components = {}, {}, set(), [], []
    counter = [0]

    def visit(node):
        # The graph is small (a few hundred files at most): recursion is fine.
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node][0]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                component.append(top)
                if top == node:
                    break
            components.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)

    found = []
    for component in sorted(components):
        start = component[0]
        if len(component) == 1 and start not in graph[start][0]:
            continue
        members = set(component)
        # Breadth-first from start back to start, inside the component.
        paths = {start: [start]}
        queue = [start]
        cycle = None
        while queue and cycle is None:
            node = queue.pop(0)
            for nxt in sorted(graph[node][0] & members):
                if nxt == start:
                    cycle = paths[node] + [start]
                    break
                if nxt not in paths:
                    paths[nxt] = paths[node] + [nxt]
                    queue.append(nxt)
        found.append(cycle)
    return found


def is_app(path):
    return path.startswith("app/")


def reaches_win32(graph, path):
    """Whether the file includes a Win32 header itself or through the app/ headers it
    includes, directly or not (a message handler that works on the window through
    win32_main_window.h is Win32 code, though it names no system header of its own)."""
    seen, queue = {path}, [path]
    while queue:
        own, win32 = graph.get(queue.pop(), (set(), set()))
        if win32:
            return True
        for target in own:
            if is_app(target) and target not in seen:
                seen.add(target)
                queue.append(target)
    return False


def problems(graph):
    """Every problem of the tree, one line each, sorted."""
    found = set()
    for cycle in cycles(unit_graph(graph)):
        found.add("cycle: " + " -> ".join(cycle))
    for path, (own, win32) in graph.items():
        if not is_app(path) and not path.startswith("tests/app/"):
            for target in sorted(own):
                if is_app(target):
                    found.add("include of app/ from outside app/: %s includes %s" %
                              (path, target))
        if path.startswith(PORTABLE_FOLDERS) and win32:
            if not (path.startswith("fileio/") and path.endswith(("_win32.cpp", "_win32.h"))):
                found.add("Win32 header in portable code: %s includes %s" %
                          (path, ", ".join(sorted(win32))))
        if is_app(path) and path not in START_UP and not reaches_win32(graph, path):
            found.add("portable code in app/: %s" % path)
    return sorted(found)


def verdict(found, known):
    """The lines to print and whether the check fails: a problem not in known fails, and so
    does an entry of known that no longer occurs."""
    lines, failed = [], False
    for line in found:
        if line in known:
            lines.append("known: " + line)
        else:
            lines.append(line)
            failed = True
    for line in sorted(set(known) - set(found)):
        lines.append("no longer occurs, remove it from KNOWN in scripts/check_structure.py: " +
                     line)
        failed = True
    if not failed:
        lines.append("structure: no new problem")
    return lines, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    args = parser.parse_args()
    lines, failed = verdict(problems(build_graph(os.path.abspath(args.root))), KNOWN)
    print("\n".join(lines))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
