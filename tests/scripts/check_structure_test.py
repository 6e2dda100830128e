"""Tests of scripts/check_structure.py: which trees break the layering, and how known problems
pass while stale ones fail."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_structure  # noqa: E402

# A tree that keeps every rule: the shell includes the core, the core includes its leaf.
CLEAN = {
    "app/main.cpp": '#include <windows.h>\n#include "app/shell.h"\n',
    "app/shell.h": "#include <windows.h>\n",
    "app/shell.cpp": '#include "app/shell.h"\n#include "window/view.h"\n',
    "window/view.h": '#include "fileio/file.h"\n',
    "window/view.cpp": '#include "window/view.h"\n',
    "fileio/file.h": "#include <string>\n",
    "fileio/file_win32.cpp": '#include <windows.h>\n#include "fileio/file.h"\n',
    "tests/app/shell_test.cpp": '#include "app/shell.h"\n',
    "build/native/x.cpp": '#include "app/shell.h"\n',
}

# (what, files added to or replacing CLEAN's, the problems found)
ROWS = [
    ("the clean tree", {}, []),
    ("a .cpp including the other's header, both ways, is a cycle",
     {"cuesheet/a.cpp": '#include "cuesheet/b.h"\n', "cuesheet/a.h": "",
      "cuesheet/b.cpp": '#include "cuesheet/a.h"\n', "cuesheet/b.h": ""},
     ["cycle: cuesheet/a -> cuesheet/b -> cuesheet/a"]),
    ("a cycle of three headers, included beside the file",
     {"window/x.h": '#include "y.h"\n', "window/y.h": '#include "z.h"\n',
      "window/z.h": '#include "x.h"\n'},
     ["cycle: window/x -> window/y -> window/z -> window/x"]),
    ("an include in a comment is not one",
     {"window/x.h": '// #include "window/y.h"\n/* #include "app/shell.h" */\n',
      "window/y.h": '#include "window/x.h"\n'}, []),
    ("the core including app/",
     {"dummyfile/d.cpp": '#include "app/shell.h"\n'},
     ["include of app/ from outside app/: dummyfile/d.cpp includes app/shell.h"]),
    ("a test of another folder including app/",
     {"tests/ui/driver.cpp": '#include "app/shell.h"\n'},
     ["include of app/ from outside app/: tests/ui/driver.cpp includes app/shell.h"]),
    ("Win32 headers in portable folders, in any case; fileio's *_win32.cpp and .h may",
     {"cuesheet/scan.cpp": "#include <Windows.h>\n#include <shellapi.h>\n",
      "fileio/lookup_win32.h": "#include <windows.h>\n",
      "dummyfile/d.h": "#include <commctrl.h>\n", "fileio/file.cpp": "#include <windows.h>\n"},
     ["Win32 header in portable code: cuesheet/scan.cpp includes Windows.h, shellapi.h",
      "Win32 header in portable code: dummyfile/d.h includes commctrl.h",
      "Win32 header in portable code: fileio/file.cpp includes windows.h"]),
    ("portable files in app/: its .cpp and header without Win32; main.cpp may be portable",
     {"app/rules.h": "#include <string>\n", "app/rules.cpp": '#include "app/rules.h"\n',
      "app/main.cpp": '#include "app/rules.h"\n'},
     ["portable code in app/: app/rules.cpp", "portable code in app/: app/rules.h"]),
]


def make_tree(files):
    root = tempfile.mkdtemp()
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as f:
            f.write(text)
    return root


class ProblemsTest(unittest.TestCase):
    def test_rows(self):
        for what, changed, expected in ROWS:
            with self.subTest(what):
                root = make_tree({**CLEAN, **changed})
                graph = check_structure.build_graph(root)
                self.assertEqual(check_structure.problems(graph), sorted(expected))

    def test_verdict(self):
        # (found, known, fails)
        for found, known, fails in [
                (["a"], {"a"}, False),
                (["a", "b"], {"a"}, True),
                ([], {"a"}, True),
                ([], set(), False)]:
            with self.subTest(found=found, known=known):
                self.assertEqual(check_structure.verdict(found, known)[1], fails)


if __name__ == "__main__":
    unittest.main()
