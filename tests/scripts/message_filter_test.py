"""Which messages Varnite.exe lets through the privilege filter to its elevated window, read
from Wine's relay log of the filter calls (Wine itself filters nothing, so only the calls show
it): a drop's WM_DROPFILES and WM_COPYGLOBALDATA, never WM_COPYDATA.

    message_filter_test.py --exe Varnite.exe --wine-run SCRIPT"""
import argparse
import os
import re
import subprocess
import select
import sys
import time
import unittest

KEY = r"HKCU\Software\Wine\Debug"
# The filter is set while the window is made, before the message loop starts.
CALLS = "user32.ChangeWindowMessageFilterEx;user32.ChangeWindowMessageFilter;user32.GetMessageW"


class MessageFilter(unittest.TestCase):
    def test_only_a_drop_is_let_through(self):
        prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
        reg = os.path.join(prefix, "drive_c", "windows", "system32", "reg.exe")
        subprocess.run([ARGS.wine_run, reg, "add", KEY, "/v", "RelayInclude", "/d", CALLS, "/f"],
                       check=True, capture_output=True)
        try:
            env = dict(os.environ, WINEDEBUG="+relay")
            varnite = subprocess.Popen([ARGS.wine_run, ARGS.exe], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            # Read what has come as it comes (a process Wine starts for the desktop may hold
            # the pipe open after Varnite has gone), until the thread that set the filter
            # enters its message loop: the window is made by then.
            log, loop, deadline = b"", None, time.monotonic() + 60
            while not (loop and loop in log) and time.monotonic() < deadline:
                if select.select([varnite.stderr], [], [], 1)[0]:
                    chunk = os.read(varnite.stderr.fileno(), 65536)
                    if not chunk:
                        break
                    log += chunk
                thread = re.search(rb"(\w+):Call user32\.ChangeWindowMessageFilter", log)
                loop = thread and thread.group(1) + b":Call user32.GetMessageW("
            varnite.kill()
            varnite.wait()
            varnite.stderr.close()
            log = log.decode(errors="replace")
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
