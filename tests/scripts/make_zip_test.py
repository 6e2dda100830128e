"""Tests of scripts/make_zip.py: the release zip's bytes depend on the files put in it and
on SOURCE_DATE_EPOCH, and on nothing else of the machine that makes it."""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "make_zip.py")


def make_zip(folder, members, epoch, mtime=None, mode=0o600):
    """Writes each (name, bytes) to a file in `folder` (with the given time and mode) and
    zips them; returns the zip's path."""
    arguments = []
    for name, data in members:
        path = os.path.join(folder, "in-" + name)
        with open(path, "wb") as f:
            f.write(data)
        os.chmod(path, mode)
        if mtime is not None:
            os.utime(path, (mtime, mtime))
        arguments.append("%s=%s" % (name, path))
    output = os.path.join(folder, "out.zip")
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    subprocess.run([sys.executable, SCRIPT, output] + arguments, env=env, check=True)
    return output


MEMBERS = [("Varnite.exe", b"MZ" + bytes(range(256)) * 40), ("ReadMe.txt", b"Line\r\n" * 50),
           ("License.txt", b"MIT\r\n")]

# (what, SOURCE_DATE_EPOCH, the entries' date and time)
DATES = [
    ("the time given, in UTC", 1700000000, (2023, 11, 14, 22, 13, 20)),
    ("odd seconds round down to the zip's two-second steps", 1700000001,
     (2023, 11, 14, 22, 13, 20)),
    ("unset: the first day a zip can hold", None, (1980, 1, 1, 0, 0, 0)),
    ("before 1980: the first day a zip can hold", 0, (1980, 1, 1, 0, 0, 0)),
]


class MakeZip(unittest.TestCase):
    def test_entries_are_dated_by_source_date_epoch(self):
        for what, epoch, expected in DATES:
            with self.subTest(what), tempfile.TemporaryDirectory() as tmp:
                with zipfile.ZipFile(make_zip(tmp, MEMBERS, epoch)) as archive:
                    self.assertEqual({i.date_time for i in archive.infolist()}, {expected})

    def test_holds_the_files_in_the_order_given_with_fixed_permissions(self):
        with tempfile.TemporaryDirectory() as tmp:
            with zipfile.ZipFile(make_zip(tmp, MEMBERS, 1700000000)) as archive:
                self.assertEqual(archive.namelist(), [name for name, _ in MEMBERS])
                for name, data in MEMBERS:
                    self.assertEqual(archive.read(name), data)
                modes = [(i.external_attr >> 16) & 0o777 for i in archive.infolist()]
                self.assertEqual(modes, [0o755, 0o644, 0o644])
                self.assertTrue(all(i.extra == b"" for i in archive.infolist()))
                self.assertEqual(archive.testzip(), None)

    def test_same_bytes_whatever_the_files_times_modes_and_folder(self):
        with tempfile.TemporaryDirectory() as one, tempfile.TemporaryDirectory() as two:
            deeper = os.path.join(two, "a", "longer", "path")
            os.makedirs(deeper)
            first = make_zip(one, MEMBERS, 1700000000, mtime=1000000000, mode=0o600)
            second = make_zip(deeper, MEMBERS, 1700000000, mtime=1600000000, mode=0o777)
            with open(first, "rb") as a, open(second, "rb") as b:
                self.assertEqual(a.read(), b.read())


if __name__ == "__main__":
    unittest.main()
