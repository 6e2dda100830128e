#!/usr/bin/env python3
"""Gives a MinGW-linked exe its load configuration directory.

GNU ld (2.40) links the `_load_config_used` structure that the program defines but leaves
data directory 10 of the PE header empty, so Windows never reads the structure. This step
runs after the link and, in place:

  - points data directory 10 at `_load_config_used` (its address is read from the link
    map, so it works on a stripped exe), with the size the structure gives in its first
    word;
  - sets the structure's DependentLoadFlags (the word after CSDVersion, `Reserved1` in
    the MinGW headers) to the given flags, LOAD_LIBRARY_SEARCH_SYSTEM32 by default: from
    Windows 10 1607 on, the DLLs that the exe's imports pull in are then looked up in the
    system folder only, never beside the exe;
  - recomputes the PE checksum.

It is idempotent (a second run changes nothing) and deterministic, so two builds of the
same sources stay byte-identical. It handles PE32 (the shipped 32-bit exe) and PE32+ (its
64-bit twin). On any doubt it changes nothing and exits non-zero with the reason.

    scripts/patch_load_config.py Varnite.exe Varnite.map [--flags 0x800]
"""
import argparse
import os
import re
import struct
import sys
import tempfile

LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x0800
LOAD_CONFIG_DIRECTORY = 10
# GNU ld's map names symbols as C does, without the underscore that i386 adds.
SYMBOL = "_load_config_used"


class PatchError(Exception):
    pass


class Layout:
    """Where the fields this step touches lie in a PE file."""

    def __init__(self, data):
        if data[:2] != b"MZ" or len(data) < 64:
            raise PatchError("not a PE file (no MZ header)")
        pe = struct.unpack_from("<I", data, 60)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PatchError("not a PE file (no PE signature)")
        sections, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic == 0x10B:
            self.pe32_plus = False
            self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
            directories = optional + 96
        elif magic == 0x20B:
            self.pe32_plus = True
            self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
            directories = optional + 112
        else:
            raise PatchError("unknown optional header magic 0x%X" % magic)
        self.checksum_offset = optional + 64
        count = struct.unpack_from("<I", data, directories - 4)[0]
        if count <= LOAD_CONFIG_DIRECTORY:
            raise PatchError("the PE header has only %d data directories" % count)
        self.directory_offset = directories + 8 * LOAD_CONFIG_DIRECTORY
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, raw_size, raw_offset = struct.unpack_from("<8sIIII", data,
                                                                       table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), va, vsize,
                                  raw_offset, raw_size))
        # Where DependentLoadFlags lies in IMAGE_LOAD_CONFIG_DIRECTORY32 / 64.
        self.flags_field = 78 if self.pe32_plus else 54

    def file_offset(self, rva, size):
        """The file offset of `size` bytes at `rva`, all inside one section's file data."""
        for name, va, vsize, raw_offset, raw_size in self.sections:
            if va <= rva < va + max(vsize, 1):
                if rva + size > va + min(vsize, raw_size):
                    raise PatchError("%d bytes at RVA 0x%X run past the data of section %s"
                                     % (size, rva, name))
                return raw_offset + rva - va
        raise PatchError("RVA 0x%X is in no section" % rva)


def symbol_address(map_text, symbol):
    """The address the link map gives `symbol`; exactly one definition is accepted."""
    found = re.findall(r"^\s+0x([0-9a-fA-F]+)\s+%s\s*$" % re.escape(symbol), map_text, re.M)
    if len(found) != 1:
        raise PatchError("the link map defines %s %d times, not once" % (symbol, len(found)))
    return int(found[0], 16)


def pe_checksum(data, checksum_offset):
    """The PE checksum (as imagehlp's CheckSumMappedFile): 16-bit one's-complement-style
    sum of the file with the checksum field taken as zero, plus the file's length."""
    body = bytearray(data)
    body[checksum_offset:checksum_offset + 4] = b"\0\0\0\0"
    if len(body) % 2:
        body.append(0)
    total = sum(struct.unpack("<%dH" % (len(body) // 2), body))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def patch(data, map_text, flags=LOAD_LIBRARY_SEARCH_SYSTEM32):
    """The patched image, as new bytes; raises PatchError and changes nothing on doubt."""
    layout = Layout(data)
    rva = symbol_address(map_text, SYMBOL) - layout.image_base
    if rva <= 0:
        raise PatchError("%s lies below the image base" % SYMBOL)
    offset = layout.file_offset(rva, 4)
    size = struct.unpack_from("<I", data, offset)[0]
    if size < layout.flags_field + 2:
        raise PatchError("the structure's size %d does not reach DependentLoadFlags" % size)
    offset = layout.file_offset(rva, size)
    current = struct.unpack_from("<II", data, layout.directory_offset)
    if current != (0, 0) and current != (rva, size):
        raise PatchError("data directory 10 already holds RVA 0x%X size %d, not %s"
                         % (current[0], current[1], SYMBOL))
    out = bytearray(data)
    struct.pack_into("<II", out, layout.directory_offset, rva, size)
    struct.pack_into("<H", out, offset + layout.flags_field, flags)
    struct.pack_into("<I", out, layout.checksum_offset, pe_checksum(out, layout.checksum_offset))
    return bytes(out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe")
    parser.add_argument("map")
    parser.add_argument("--flags", type=lambda text: int(text, 0),
                        default=LOAD_LIBRARY_SEARCH_SYSTEM32)
    args = parser.parse_args(argv)
    try:
        with open(args.exe, "rb") as f:
            data = f.read()
        with open(args.map, encoding="utf-8", errors="replace") as f:
            map_text = f.read()
        patched = patch(data, map_text, args.flags)
    except (OSError, PatchError, struct.error) as error:
        print("patch_load_config: %s: %s" % (args.exe, error), file=sys.stderr)
        return 1
    if patched != data:
        # Written beside it and renamed over it, so a failure never leaves half an exe.
        folder = os.path.dirname(os.path.abspath(args.exe))
        handle, temporary = tempfile.mkstemp(dir=folder, prefix=".patch-")
        try:
            with os.fdopen(handle, "wb") as f:
                f.write(patched)
            os.chmod(temporary, os.stat(args.exe).st_mode & 0o7777)
            os.replace(temporary, args.exe)
        except OSError as error:
            os.unlink(temporary)
            print("patch_load_config: %s: %s" % (args.exe, error), file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
