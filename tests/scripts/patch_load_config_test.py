#!/usr/bin/env python3
"""Tests of scripts/patch_load_config.py, the step after the link that gives Varnite.exe
its load configuration directory.

    patch_load_config_test.py --linked FILE [--linked FILE ...] [unittest options]

Each --linked FILE is a PE file as GNU ld wrote it (with the checksum ld computed); the
checksum is checked against those. The other cases build small PE images of their own.
"""
import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import patch_load_config as plc  # noqa: E402

LINKED = []

SECTION_RVA = 0x1000
RAW_OFFSET = 0x200


def pe_image(plus=False, size=None, at=0x40, directory=(0, 0), directories=16, raw=0x200):
    """A PE image with one section, .rdata, holding a load configuration structure of
    `size` bytes (its first word) at `at` within the section."""
    if size is None:
        size = 112 if plus else 64
    optional_size = (112 if plus else 96) + 8 * directories
    image_base = 0x140000000 if plus else 0x400000
    head = bytearray(RAW_OFFSET)
    head[0:2] = b"MZ"
    struct.pack_into("<I", head, 60, 0x80)
    head[0x80:0x84] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", head, 0x84, 0x8664 if plus else 0x14C, 1, 0, 0, 0,
                     optional_size, 0x102)
    optional = 0x98
    struct.pack_into("<H", head, optional, 0x20B if plus else 0x10B)
    if plus:
        struct.pack_into("<Q", head, optional + 24, image_base)
    else:
        struct.pack_into("<I", head, optional + 28, image_base)
    struct.pack_into("<I", head, optional + optional_size - 8 * directories - 4, directories)
    if directories > 10:
        struct.pack_into("<II", head, optional + optional_size - 8 * directories + 80, *directory)
    struct.pack_into("<8sIIII", head, optional + optional_size, b".rdata", raw, SECTION_RVA, raw,
                     RAW_OFFSET)
    body = bytearray(raw)
    if at + 4 <= raw:
        struct.pack_into("<I", body, at, size)
    return bytes(head + body), image_base


def map_text(address, times=1):
    """Lines as GNU ld's map gives a symbol, among other symbols."""
    lines = [" .rdata         0x%08x       0x60 load_config.cpp.obj" % address,
             "                0x%08x                _load_config_usedx" % address]
    lines += ["                0x%08x                _load_config_used" % address] * times
    lines.append("                0x%08x                varnite::kHelpText" % (address + 0x60))
    return "\n".join(lines) + "\n"


def directory_of(data):
    layout = plc.Layout(data)
    return struct.unpack_from("<II", data, layout.directory_offset)


def stored_checksum(data):
    return struct.unpack_from("<I", data, plc.Layout(data).checksum_offset)[0]


class Checksum(unittest.TestCase):
    def test_matches_what_ld_wrote(self):
        self.assertTrue(LINKED, "give at least one --linked FILE written by GNU ld")
        for path in LINKED:
            with self.subTest(path=os.path.basename(path)):
                with open(path, "rb") as f:
                    data = f.read()
                self.assertNotEqual(stored_checksum(data), 0)
                self.assertEqual(plc.pe_checksum(data, plc.Layout(data).checksum_offset),
                                 stored_checksum(data))


    def test_small_cases_worked_by_hand(self):
        # bytes, where the checksum field lies, the sum of 16-bit words folded plus length
        rows = [
            (b"\0\0\0\0\x01\x02\x03", 0, 0x0201 + 0x0003 + 7),          # odd last byte
            (b"\xff\xff\x02\x00\0\0\0\0", 4, 0x0002 + 8),                # carry folded
            (b"\xaa\xbb\xcc\xdd\x10\x00", 0, 0x0010 + 6),                  # field skipped
        ]
        for data, offset, expected in rows:
            with self.subTest(data=data):
                self.assertEqual(plc.pe_checksum(data, offset), expected)


class Patch(unittest.TestCase):
    # name, image arguments, flags; then the directory size and where the flags lie.
    GOOD = [
        ("PE32, directory empty", dict(), 0x800, 64, 54),
        ("PE32+, directory empty", dict(plus=True), 0x800, 112, 78),
        ("PE32, smallest size that holds the flags", dict(size=56), 0x800, 56, 54),
        ("PE32+, smallest size that holds the flags", dict(plus=True, size=80), 0x800, 80, 78),
        ("directory already at the structure", dict(directory=(SECTION_RVA + 0x40, 64)), 0x800,
         64, 54),
        ("structure at the section's very end", dict(at=0x200 - 64), 0x800, 64, 54),
        ("other flags", dict(), 0x0A00, 64, 54),
    ]

    def test_points_the_directory_sets_the_flags_and_the_checksum(self):
        for name, args, flags, size, field in self.GOOD:
            with self.subTest(name):
                data, base = pe_image(**args)
                at = args.get("at", 0x40)
                out = plc.patch(data, map_text(base + SECTION_RVA + at), flags)
                self.assertEqual(directory_of(out), (SECTION_RVA + at, size))
                self.assertEqual(struct.unpack_from("<H", out, RAW_OFFSET + at + field)[0], flags)
                # Nothing else changes but the directory, the flags and the checksum.
                changed = [i for i in range(len(data)) if data[i] != out[i]]
                layout = plc.Layout(data)
                allowed = set(range(layout.directory_offset, layout.directory_offset + 8))
                allowed |= set(range(RAW_OFFSET + at + field, RAW_OFFSET + at + field + 2))
                allowed |= set(range(layout.checksum_offset, layout.checksum_offset + 4))
                self.assertLessEqual(set(changed), allowed)
                # The checksum is taken over the finished image, flags included.
                self.assertEqual(stored_checksum(out),
                                 plc.pe_checksum(out, plc.Layout(out).checksum_offset))
                # A second run changes nothing.
                self.assertEqual(plc.patch(out, map_text(base + SECTION_RVA + at), flags), out)

    # name, image arguments, how often the map defines the symbol, the reason given.
    BAD = [
        ("symbol missing", dict(), 0, "0 times"),
        ("symbol twice", dict(), 2, "2 times"),
        ("PE32 structure too small for the flags", dict(size=55), 1, "does not reach"),
        ("PE32+ structure too small for the flags", dict(plus=True, size=79), 1, "does not reach"),
        ("structure runs past the section", dict(at=0x200 - 60), 1, "run past"),
        ("directory points elsewhere", dict(directory=(0x1100, 64)), 1, "already holds"),
        ("directory sized otherwise", dict(directory=(SECTION_RVA + 0x40, 72)), 1, "already holds"),
        ("only ten data directories", dict(directories=10), 1, "only 10 data directories"),
    ]

    def test_refuses_what_it_cannot_patch_soundly(self):
        for name, args, times, message in self.BAD:
            with self.subTest(name):
                data, base = pe_image(**args)
                text = map_text(base + SECTION_RVA + args.get("at", 0x40), times)
                with self.assertRaisesRegex(plc.PatchError, message):
                    plc.patch(data, text)

    def test_refuses_addresses_outside_the_image_and_files_that_are_no_pe(self):
        data, base = pe_image()
        for name, image, address, message in [
                ("below the image base", data, base - 0x10, "below the image base"),
                ("in no section", data, base + 0x8000, "in no section"),
                ("not a PE file", b"plain text, not an exe " * 4, base + SECTION_RVA,
                 "not a PE file")]:
            with self.subTest(name):
                with self.assertRaisesRegex(plc.PatchError, message):
                    plc.patch(image, map_text(address))


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.exe = os.path.join(self.folder.name, "Varnite.exe")
        self.map = os.path.join(self.folder.name, "Varnite.map")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, data, text):
        with open(self.exe, "wb") as f:
            f.write(data)
        os.chmod(self.exe, 0o755)
        with open(self.map, "w") as f:
            f.write(text)

    def read(self):
        with open(self.exe, "rb") as f:
            return f.read()

    def test_a_refusal_leaves_the_exe_as_it_was(self):
        data, base = pe_image(size=40)
        self.write(data, map_text(base + SECTION_RVA + 0x40))
        before = os.stat(self.exe)
        self.assertEqual(plc.main([self.exe, self.map]), 1)
        self.assertEqual(self.read(), data)
        self.assertEqual(os.stat(self.exe).st_mtime_ns, before.st_mtime_ns)
        self.assertEqual(sorted(os.listdir(self.folder.name)), ["Varnite.exe", "Varnite.map"])

    def test_patches_in_place_keeps_the_mode_and_rewrites_nothing_the_second_time(self):
        data, base = pe_image()
        self.write(data, map_text(base + SECTION_RVA + 0x40))
        self.assertEqual(plc.main([self.exe, self.map, "--flags", "0x800"]), 0)
        first = self.read()
        self.assertEqual(directory_of(first), (SECTION_RVA + 0x40, 64))
        self.assertEqual(os.stat(self.exe).st_mode & 0o777, 0o755)
        inode = os.stat(self.exe).st_ino
        self.assertEqual(plc.main([self.exe, self.map]), 0)
        self.assertEqual(self.read(), first)
        self.assertEqual(os.stat(self.exe).st_ino, inode)
        self.assertEqual(sorted(os.listdir(self.folder.name)), ["Varnite.exe", "Varnite.map"])


if __name__ == "__main__":
    args = sys.argv[1:]
    rest = [sys.argv[0]]
    while args:
        arg = args.pop(0)
        if arg == "--linked" and args:
            LINKED.append(args.pop(0))
        else:
            rest.append(arg)
    unittest.main(argv=rest)
