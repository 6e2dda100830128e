"""Which messages Varnite.exe lets through the privilege filter to its elevated window, read
from Wine's relay log of the filter calls (Wine itself filters nothing, so only the calls show
it): a drop's WM_DROPFILES and WM_COPYGLOBALDATA, never WM_COPYDATA.

    message_filter_test.py --exe Varnite.exe --wine-run SCRIPT"""
import argparse
import os
import re
import subprocess
import sys
import time
import unittest

KEY = r"HKCU\Software\Wine\Debug"
CALLS = "user32.ChangeWindowMessageFilterEx;user32.ChangeWindowMessageFilter"


class MessageFilter(unittest.TestCase):
    def test_only_a_drop_is_let_through(self):
        prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
        reg = os.path.join(prefix, "drive_c", "windows", "system32", "reg.exe")
        subprocess.run([ARGS.wine_run, reg, "add", KEY, "/v", "RelayInclude", "/d", CALLS, "/f"],
                       check=True, capture_output=True)
        try:
            env = dict(os.environ, WINEDEBUG="+relay")
            varnite = subprocess.Popen([ARGS.wine_run, ARGS.exe], env=env, text=True,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                       errors="replace")
            time.sleep(8)  # the filter is set as the window is made
            varnite.kill()
            log = varnite.communicate()[1]
        finally:
            subprocess.run([ARGS.wine_run, reg, "delete", KEY, "/v", "RelayInclude", "/f"],
                           capture_output=True)
        # Ex(window, message, 1 = allow, ...) or the process-wide (message, 1 = add).
        call = r"Call user32\.ChangeWindowMessageFilter(?:Ex\([0-9a-f]+,|\()([0-9a-f]+),00000001"
        allowed = {int(m, 16) for m in re.findall(call, log)}
        self.assertEqual(allowed, {0x0233, 0x0049}, "WM_DROPFILES and WM_COPYGLOBALDATA only")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--wine-run", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
