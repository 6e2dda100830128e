#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files put in it: the entries in the order
given, each dated SOURCE_DATE_EPOCH (UTC; 1980-01-01, the earliest date a zip holds,
when it is not set), with fixed permissions and no owner, extra fields or comment.

    scripts/make_zip.py OUTPUT.zip NAME=FILE [NAME=FILE ...]
"""
import os
import sys
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def entry_time():
    seconds = max(int(os.environ.get("SOURCE_DATE_EPOCH", ZIP_EPOCH)), ZIP_EPOCH)
    return time.gmtime(seconds)[:6]


def make_zip(output, members):
    date_time = entry_time()
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, path in members:
            with open(path, "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3  # Unix, so that the permissions below mean something
            executable = name.lower().endswith(".exe")
            info.external_attr = (0o100755 if executable else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(temporary, output)


def main(argv):
    if len(argv) < 3 or not all("=" in member for member in argv[2:]):
        sys.exit(__doc__)
    members = [tuple(member.split("=", 1)) for member in argv[2:]]
    make_zip(argv[1], members)


if __name__ == "__main__":
    main(sys.argv)
