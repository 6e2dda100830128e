#!/usr/bin/env python3
"""Reads a built exe a second time, with pefile (Debian's python3-pefile), and compares
that reading with the fields check_exe.py and patch_load_config.py find by their own hand
computed offsets: the load configuration directory, the structure's size, its
DependentLoadFlags and where that word lies, the PE checksum and where it lies, and the
imports. A mistake in either script's offsets would make it check or patch the wrong bytes
while agreeing with itself; pefile was written by others, from the PE format's documents.
Prints one line per field and exits non-zero when any differs.

    scripts/pe_crosscheck.py [--objdump i686-w64-mingw32-objdump] Varnite.exe
"""
import argparse
import sys

import pefile

import check_exe
import patch_load_config


def readings(path, objdump):
    """[(field, check_exe.py's or patch_load_config.py's reading, pefile's)]."""
    with open(path, "rb") as f:
        data = f.read()
    rva, size, struct_size, flags, stored, computed = check_exe.load_configuration(data)
    layout = patch_load_config.Layout(data)
    pe = pefile.PE(data=data)
    directory = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY[
        "IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG"]]
    config = getattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG", None)
    config = config and config.struct
    # Older pefile names the word after CSDVersion Reserved1, newer DependentLoadFlags.
    field = "DependentLoadFlags" if hasattr(config, "DependentLoadFlags") else "Reserved1"
    theirs_imports = {entry.dll.decode().lower(): sorted(i.name.decode() for i in entry.imports
                                                         if i.name)
                      for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    ours_imports = {dll: sorted(functions) for dll, functions
                    in check_exe.imports(check_exe.objdump(objdump, path)).items()}
    return [
        ("load configuration directory (RVA, size)", (rva, size),
         (directory.VirtualAddress, directory.Size)),
        ("where patch_load_config.py writes that directory", layout.directory_offset,
         directory.get_file_offset()),
        ("the load configuration structure's Size", struct_size, config and config.Size),
        ("DependentLoadFlags", flags, config and getattr(config, field)),
        ("where patch_load_config.py writes DependentLoadFlags",
         layout.file_offset(rva, size) + layout.flags_field if rva else None,
         config and config.get_field_absolute_offset(field)),
        ("the stored PE checksum", stored, pe.OPTIONAL_HEADER.CheckSum),
        ("the PE checksum computed by check_exe.py", computed, pe.generate_checksum()),
        ("the PE checksum computed by patch_load_config.py",
         patch_load_config.pe_checksum(data, layout.checksum_offset), pe.generate_checksum()),
        ("where patch_load_config.py writes the checksum", layout.checksum_offset,
         pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")),
        ("the imports, DLL by DLL (objdump's reading in check_exe.py)", ours_imports,
         theirs_imports),
    ]


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    args = parser.parse_args(argv)
    differ = 0
    for what, ours, theirs in readings(args.exe, args.objdump):
        if ours == theirs:
            print("ok      %s: %s" % (what, ours))
        else:
            print("DIFFERS %s: ours %s, pefile's %s" % (what, ours, theirs))
            differ += 1
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
