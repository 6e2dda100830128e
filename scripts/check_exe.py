#!/usr/bin/env python3
"""Checks a built Varnite.exe from outside: that it runs on every Windows from XP on
(imports and PE header), that it takes the DLLs its imports pull in from the system folder
only (load configuration directory), that its version record, manifest and icon are what
users see, that its background picture keeps the designed gradient, and, for a release
build, its size. Prints one line per check and exits non-zero when any fails. Needs the
MinGW-w64 objdump and wrestool (icoutils).

    scripts/check_exe.py --version 1.0.0.1 --version-text 1.00.0001 [--max-bytes N]
                         [--objdump i686-w64-mingw32-objdump] build/windows/Varnite.exe
"""
import argparse
import os
import re
import struct
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "comctl32.dll",
                "advapi32.dll", "shell32.dll", "msvcrt.dll"}
# Needed only for the file dialog and for drops and the command line: loaded by full path
# when first used, never imported, so that they are not loaded before the window shows.
LOADED_ON_FIRST_USE = {"comdlg32.dll", "shell32.dll"}
# Functions that Windows XP's system DLLs do not export.
NOT_ON_XP = {"GetTickCount64", "InitializeCriticalSectionEx", "InitOnceExecuteOnce",
             "InitializeSRWLock", "AcquireSRWLockExclusive", "AcquireSRWLockShared",
             "SleepConditionVariableCS", "WakeConditionVariable", "CreateEventExW",
             "CreateSemaphoreExW", "GetFileInformationByHandleEx", "SetFileInformationByHandle",
             "CreateSymbolicLinkW", "GetFinalPathNameByHandleW", "FlsAlloc", "FlsGetValue",
             "FlsSetValue", "FlsFree", "GetSystemTimePreciseAsFileTime", "LocaleNameToLCID",
             "CompareStringEx", "GetLocaleInfoEx", "TaskDialogIndirect", "TaskDialog",
             "SetThreadStackGuarantee", "SetProcessDPIAware",
             # Per-monitor DPI: Windows 8.1 and 10.
             "GetDpiForWindow", "GetDpiForSystem", "GetDpiForMonitor", "AdjustWindowRectExForDpi",
             "GetSystemMetricsForDpi", "SystemParametersInfoForDpi", "EnableNonClientDpiScaling",
             "SetThreadDpiAwarenessContext", "SetProcessDpiAwarenessContext",
             # Looked up at run time where they exist (XP SP1 added SetDllDirectoryW).
             "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
             "SetDllDirectoryW", "SetDllDirectoryA",
             "ChangeWindowMessageFilter", "ChangeWindowMessageFilterEx",
             "ShutdownBlockReasonCreate", "ShutdownBlockReasonDestroy"}
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x0800
# Looked up by name at run time, as XP lacks them: what they are for, and their names.
LOOKED_UP = [
    ("the message filter for drops from a non-elevated Explorer (Vista, 7)",
     [b"ChangeWindowMessageFilterEx\0", b"ChangeWindowMessageFilter\0"]),
    ("the reason for holding up a log-off while a command runs (Vista)",
     [b"ShutdownBlockReasonCreate\0", b"ShutdownBlockReasonDestroy\0"]),
    ("the DPI of the display the window is on (Windows 10)", [b"GetDpiForWindow\0"]),
    ("the file dialog, from COMDLG32 loaded on first use",
     [b"GetOpenFileNameW\0", "comdlg32.dll\0".encode("utf-16-le")]),
    ("drops and the command line, from SHELL32 loaded on first use",
     [b"DragQueryFileW\0", b"DragFinish\0", b"CommandLineToArgvW\0",
      "shell32.dll\0".encode("utf-16-le")]),
]
# The background picture: 326 x 217; solid blue to column 71, then an even fall to near
# black at column 306. Rows 40 to 199 lie between the banner and the footer: pure gradient.
PICTURE_SIZE = (326, 217)
BLUE, NEAR_BLACK = (34, 18, 185), (0, 0, 3)
PLAIN_ROWS = range(40, 200)

failures = 0


def check(ok, what):
    global failures
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok:
        failures += 1


def objdump(tool, exe):
    return subprocess.run([tool, "-p", exe], check=True, capture_output=True, text=True).stdout


def gradient_colour(x):
    if x < 72:
        return BLUE
    if x >= 306:
        return NEAR_BLACK
    t = (x - 71) / (306 - 71)
    return tuple(round(a + (b - a) * t) for a, b in zip(BLUE, NEAR_BLACK))


def picture_rows(dib):
    """(width, height, bits, {row from the top: [(r, g, b), ...]}) of a palette DIB."""
    size, width, height, _, bits, compression, _, _, _, used, _ = struct.unpack_from(
        "<IiiHHIIiiII", dib)
    if bits > 8 or compression != 0:
        return width, height, bits, {}
    colours = used or 1 << bits
    palette = [struct.unpack_from("<BBB", dib, size + 4 * i)[::-1] for i in range(colours)]
    stride = (width * bits + 31) // 32 * 4
    start = size + 4 * colours
    rows = {}
    for row in range(abs(height)):
        stored = abs(height) - 1 - row if height > 0 else row  # bottom-up unless negative
        data = dib[start + stored * stride:start + stored * stride + stride]
        per_byte = 8 // bits
        indexes = [(data[x // per_byte] >> (8 - bits * (x % per_byte + 1))) & ((1 << bits) - 1)
                   for x in range(width)]
        rows[row] = [palette[i] for i in indexes]
    return width, height, bits, rows


def imports(dump):
    """{dll: [function, ...]} from objdump's import tables."""
    result, dll = {}, None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            result[dll] = []
            continue
        m = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if dll and m:
            result[dll].append(m.group(1))
        elif dll and line.strip() == "":
            dll = None
    return result


def import_checks(table):
    """[(ok, what), ...] for an import table as imports() reads it."""
    late = sorted({f for functions in table.values() for f in functions} & NOT_ON_XP)
    early = sorted(set(table) & LOADED_ON_FIRST_USE)
    return [
        (set(table) <= ALLOWED_DLLS, "imports only system DLLs: " + ", ".join(sorted(table))),
        (not late, "imports nothing Windows XP lacks" + (": " + ", ".join(late) if late else "")),
        ("FlushFileBuffers" in table.get("kernel32.dll", []),
         "imports FlushFileBuffers: a write is reported only once it has reached the disk"),
        (not early, "COMDLG32 and SHELL32 are loaded on first use, not imported"
         + (": imports " + ", ".join(early) if early else "")),
    ]


def version_blocks(data, offset=0, end=None):
    """Walks a VS_VERSIONINFO tree: yields (key, value bytes, children list)."""
    end = len(data) if end is None else end
    while offset + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        if length == 0:
            break
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6:key_end].decode("utf-16-le")
        pos = (key_end + 2 + 3) & ~3
        size = value_length * 2 if kind == 1 else value_length
        value = data[pos:pos + size]
        children_start = (pos + size + 3) & ~3
        children = list(version_blocks(data, children_start, offset + length))
        yield key, value, kind, children
        offset = (offset + length + 3) & ~3


def load_configuration(data):
    """(directory RVA, directory size, the structure's Size, its DependentLoadFlags,
    stored checksum, checksum of the file) read from the PE file itself."""
    pe = struct.unpack_from("<I", data, 60)[0]
    sections, optional_size = struct.unpack_from("<2xH12xH", data, pe + 4)
    optional = pe + 24
    plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
    rva, size = struct.unpack_from("<II", data, optional + (112 if plus else 96) + 8 * 10)
    stored = struct.unpack_from("<I", data, optional + 64)[0]
    # The PE checksum: the file as 16-bit words, the checksum field as zero, carries folded
    # back in, plus the file's length.
    words = bytearray(data) + (b"\0" if len(data) % 2 else b"")
    words[optional + 64:optional + 68] = bytes(4)
    total = 0
    for (word,) in struct.iter_unpack("<H", words):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    computed = (total + len(data)) & 0xFFFFFFFF
    struct_size = flags = None
    for i in range(sections):
        _, vsize, va, raw_size, raw_offset = struct.unpack_from(
            "<8sIIII", data, optional + optional_size + 40 * i)
        if rva and va <= rva < va + min(vsize, raw_size):
            at = raw_offset + rva - va
            struct_size = struct.unpack_from("<I", data, at)[0]
            flags = struct.unpack_from("<H", data, at + (78 if plus else 54))[0]
    return rva, size, struct_size, flags, stored, computed


def resource(exe, kind, name=None):
    args = ["wrestool", "-x", "--raw", "--type=%s" % kind]
    if name is not None:
        args.append("--name=%s" % name)
    return subprocess.run(args + [exe], check=True, capture_output=True).stdout


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--version", required=True, help="the four numbers, e.g. 1.0.0.1")
    parser.add_argument("--version-text", required=True, help="as the version record reads")
    parser.add_argument("--max-bytes", type=int, help="the largest size allowed")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    args = parser.parse_args(argv)
    exe = args.exe
    version_numbers = tuple(int(n) for n in args.version.split("."))
    expected_strings = [("ProductName", "Varnite"), ("FileVersion", args.version_text),
                        ("ProductVersion", args.version_text), ("InternalName", "Varnite"),
                        ("OriginalFilename", "Varnite.exe")]
    dump = objdump(args.objdump, exe)
    bits = 64 if "pei-x86-64" in dump else 32
    check(re.search(r"file format pei-i386", dump) is not None or bits == 64,
          "a PE32 program for i386" if bits == 32 else "the 64-bit twin (not the shipped exe)")
    subsystem = re.search(r"MajorSubsystemVersion\s+(\d+)\s+MinorSubsystemVersion\s+(\d+)", dump)
    version = (int(subsystem.group(1)), int(subsystem.group(2)))
    check(version <= ((5, 1) if bits == 32 else (5, 2)),
          "subsystem version %d.%02d starts on Windows XP" % version)
    check(re.search(r"Subsystem\s+00000002", dump) is not None, "a GUI program (no console)")

    with open(exe, "rb") as f:
        rva, size, struct_size, flags, stored, computed = load_configuration(f.read())
    entry = re.search(r"Entry a ([0-9a-f]+) ([0-9a-f]+) Load Configuration Directory", dump)
    check(rva != 0 and entry is not None
          and (int(entry.group(1), 16), int(entry.group(2), 16)) == (rva, size),
          "a load configuration directory, as objdump reads it too: RVA 0x%X, %d bytes"
          % (rva, size))
    if bits == 32:
        check(size == 64 and struct_size == 64,
              "the load configuration structure is 64 bytes, the size Windows XP requires"
              " (no SafeSEH table): %s"
              % struct_size)
    else:
        check(struct_size == size and size >= 80,
              "the load configuration's size matches its directory")
    check(flags == LOAD_LIBRARY_SEARCH_SYSTEM32,
          "DependentLoadFlags 0x0800: the DLLs its imports pull in come from the system folder only"
          + ("" if flags == LOAD_LIBRARY_SEARCH_SYSTEM32
             else ": %s" % (None if flags is None else hex(flags))))
    check(stored == computed, "the PE checksum is right: 0x%X" % stored
          + ("" if stored == computed else ", should be 0x%X" % computed))

    for ok, what in import_checks(imports(dump)):
        check(ok, what)
    with open(exe, "rb") as f:
        data = f.read()
    for purpose, names in LOOKED_UP:
        # The DLLs' names are in UTF-16, as LoadLibraryW takes them: shown without the NULs.
        missing = [name.replace(b"\0", b"").decode() for name in names if name not in data]
        check(not missing, purpose + " is looked up at run time"
              + (": no " + ", ".join(missing) if missing else ""))

    record = resource(exe, 16)
    [(root_key, fixed, _, children)] = list(version_blocks(record))[:1]
    check(root_key == "VS_VERSION_INFO", "a version record")
    (signature, _, fv_ms, fv_ls, pv_ms, pv_ls, mask, flags, os_, type_, subtype, _, _) = \
        struct.unpack("<13I", fixed)
    numbers = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    check(signature == 0xFEEF04BD, "fixed file info present")
    check(numbers(fv_ms, fv_ls) == version_numbers, "file version " + args.version)
    check(numbers(pv_ms, pv_ls) == version_numbers, "product version " + args.version)
    check(flags & mask == 0, "no flags (not debug, patched or pre-release)")
    check(os_ == 0x4, "made for 32-bit Windows")
    check(type_ == 0x1, "an application")
    strings = [c for c in children if c[0] == "StringFileInfo"]
    tables = strings[0][3] if strings else []
    check(len(tables) == 1 and tables[0][0] == "040904B0", "one string table, 040904B0")
    entries = ([(k, v.decode("utf-16-le").rstrip("\0")) for k, v, _, _ in tables[0][3]]
               if tables else [])
    check(entries == expected_strings, "version strings in order: %s" % entries)
    var = [c for c in children if c[0] == "VarFileInfo"]
    translation = var[0][3][0][1] if var and var[0][3] else b""
    check(translation == struct.pack("<HH", 0x0409, 0x04B0), "translation 0x0409, 0x04B0")

    group = resource(exe, 14)
    _, _, count = struct.unpack_from("<HHH", group)
    images = []
    for i in range(count):
        w, h, colours, _, planes, bpp, _, _ = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        images.append((w or 256, h or 256, bpp))
    check(sorted(images) == sorted([(32, 32, 1), (32, 32, 4), (16, 16, 4)]),
          "icon images 32x32 2 colours, 32x32 and 16x16 16 colours: %s" % images)

    manifest = resource(exe, 24, 1).decode("utf-8", "replace")
    check('level="requireAdministrator"' in manifest,
          "the manifest asks for administrator rights (the root of C: needs them)")
    check(re.search(r"<dpiAware\b[^>]*>\s*true/pm\s*</dpiAware>", manifest) is not None,
          "the manifest declares the program DPI-aware, per monitor on Windows 8.1 and later"
          " (it scales its window itself)")
    awareness = re.search(r"<dpiAwareness\b[^>]*>([^<]*)</dpiAwareness>", manifest)
    check(awareness is not None and [v.strip() for v in awareness.group(1).split(",")]
          == ["PerMonitorV2", "PerMonitor"],
          "the manifest asks Windows 10 for per-monitor V2 DPI awareness, else per-monitor")
    check(re.search(r'<longPathAware\s+'
                    r'xmlns="http://schemas\.microsoft\.com/SMI/2016/WindowsSettings"'
                    r'\s*>\s*true\s*</longPathAware>', manifest) is not None,
          "the manifest declares the program long-path aware (cue sheets 260 characters deep)")
    identity = re.search(r'<assemblyIdentity[^>]*name="Quenmore.Varnite"[^>]*version="([^"]*)"',
                         manifest)
    check(identity is not None and identity.group(1) == args.version,
          "the manifest names version " + args.version)

    width, height, bits, rows = picture_rows(resource(exe, 2, 200))
    check((width, abs(height)) == PICTURE_SIZE, "background picture 326 x 217: %d x %d"
          % (width, abs(height)))
    wrong = [(x, y) for y in PLAIN_ROWS if y in rows for x in range(min(width, PICTURE_SIZE[0]))
             if rows[y][x] != gradient_colour(x)]
    check(bits <= 8 and rows and not wrong,
          "background picture in %d bits with the gradient exact in rows 40 to 199%s"
          % (bits, ": %d pixels differ, the first at %s" % (len(wrong), wrong[0]) if wrong else ""))

    if args.max_bytes:
        size = os.path.getsize(exe)
        check(size <= args.max_bytes, "%d bytes, at most %d" % (size, args.max_bytes))

    print("%s: %d check(s) failed" % (exe, failures) if failures else "%s: all checks passed" % exe)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
