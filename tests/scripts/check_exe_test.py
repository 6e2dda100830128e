#!/usr/bin/env python3
"""The import rules of scripts/check_exe.py, on import tables as objdump's are read."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import check_exe  # noqa: E402

GOOD = {"kernel32.dll": ["CreateFileW", "FlushFileBuffers"], "user32.dll": ["CreateWindowExW"],
        "msvcrt.dll": ["malloc"]}


class ImportChecks(unittest.TestCase):
    def test_rows(self):
        # (the change to a good table, the checks that fail, by the start of their text)
        rows = [
            ({}, []),
            ({"comdlg32.dll": ["GetOpenFileNameW"]}, ["COMDLG32 and SHELL32"]),
            ({"shell32.dll": ["DragQueryFileW"]}, ["COMDLG32 and SHELL32"]),
            ({"planted.dll": ["Run"]}, ["imports only system DLLs"]),
            ({"kernel32.dll": ["FlushFileBuffers", "GetTickCount64"]},
             ["imports nothing Windows XP lacks"]),
            ({"kernel32.dll": ["CreateFileW"]}, ["imports FlushFileBuffers"]),
        ]
        for change, failing in rows:
            with self.subTest(change=change):
                table = dict(GOOD, **change)
                failed = [what for ok, what in check_exe.import_checks(table) if not ok]
                self.assertEqual(len(failed), len(failing), failed)
                for what, start in zip(failed, failing):
                    self.assertTrue(what.startswith(start), what)


if __name__ == "__main__":
    unittest.main()
