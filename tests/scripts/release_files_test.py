"""Tests of scripts/release_files.py: the package manifests it writes point at the very zip
of the release, and its check finds each way they can fail to."""
import hashlib
import os
import re
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import release_files  # noqa: E402

RELEASE = {"version": "2.10.0.3", "tag": "v2.10.0.3", "zip": "Varnite-2.10.0.3-win32.zip",
           "url": "https://example.org/varnite/download/v2.10.0.3/",
           "latest_url": "https://example.org/varnite/latest/",
           "homepage": "https://example.org/varnite",
           "support": "https://example.org/varnite/issues"}
INSTALLER = "winget/Quenmore.Varnite.installer.yaml"
LOCALE = "winget/Quenmore.Varnite.locale.en-US.yaml"
SCOOP = "scoop/varnite.json"

# (what, file, pattern, replacement, the problem reported); {hash} is the zip's SHA-256.
FAULTS = [
    ("winget: another file's hash", INSTALLER, "{HASH}", "0" * 64, "InstallerSha256"),
    ("winget: plain http", INSTALLER, "InstallerUrl: https", "InstallerUrl: http", "InstallerUrl"),
    ("winget: a date YAML reads as a date", INSTALLER, r'ReleaseDate: "(.*)"', r"ReleaseDate: \1",
     "ReleaseDate"),
    ("winget: a file the zip lacks", INSTALLER, "RelativeFilePath: Varnite.exe",
     "RelativeFilePath: bin/Varnite.exe", "not in the zip"),
    ("winget: another version in one file", LOCALE, r"PackageVersion: .*",
     "PackageVersion: 2.10.0.4", "PackageVersion"),
    ("winget: no licence", LOCALE, r"License: .*\n", "", "no License"),
    ("winget: no installation notes", LOCALE, r"InstallationNotes: .*\n", "",
     "no InstallationNotes"),
    ("winget: support elsewhere", LOCALE, r"PublisherSupportUrl: .*",
     "PublisherSupportUrl: https://x.org/", "PublisherSupportUrl"),
    ("winget: an installer's elevation", INSTALLER, "^InstallerType:",
     "ElevationRequirement: elevatesSelf\n\\g<0>", "ElevationRequirement"),
    ("scoop: another file's hash", SCOOP, "{hash}", "1" * 64, "varnite.json hash"),
    ("scoop: bin names a file the zip lacks", SCOOP, '"bin": "Varnite.exe"',
     '"bin": "Varnite64.exe"', "not in the zip"),
    ("scoop: autoupdate pinned to this version", SCOOP, r"v\$version/Varnite-\$version",
     "v2.10.0.3/Varnite-2.10.0.3", "autoupdate"),
    ("scoop: checkver of another repository", SCOOP, r'"github": "[^"]*"',
     '"github": "https://x.org/y"', "checkver"),
    ("scoop: notes not last", SCOOP, r',\r\n    "notes": ("[^"]*")',
     r',\r\n    "notes": \1,\r\n    "z": 0', "notes"),
    ("scoop: a byte order mark", SCOOP, "^", "\ufeff", "byte order mark"),
    ("scoop: LF line ends", SCOOP, "\r\n", "\n", "CR LF"),
    ("scoop: a trailing blank", SCOOP, ",\r\n", ", \r\n", "trailing blanks"),
    ("scoop: a tab", SCOOP, "\r\n    ", "\r\n\t", "tabs"),
    ("SHA256SUMS: another zip's hash", "SHA256SUMS", "{hash}", "2" * 64, "hash of the zip"),
]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_release(dist):
    """A zip, its SHA256SUMS as scripts/release writes it, and its manifests; returns its hash."""
    exe = b"MZ" + bytes(range(256)) * 8
    with zipfile.ZipFile(os.path.join(dist, RELEASE["zip"]), "w") as archive:
        archive.writestr("Varnite.exe", exe)
        archive.writestr("ReadMe.txt", b"Read me\r\n")
    with open(os.path.join(dist, RELEASE["zip"]), "rb") as f:
        zip_hash = hashlib.sha256(f.read()).hexdigest()
    sums = "%s  %s\n%s  Varnite.exe\n" % (zip_hash, RELEASE["zip"], hashlib.sha256(exe).hexdigest())
    write(os.path.join(dist, "SHA256SUMS"), sums.encode())
    for path, text in release_files.manifests(RELEASE, dist).items():
        write(os.path.join(dist, path), text.encode("utf-8"))
    return zip_hash


class Manifests(unittest.TestCase):
    def test_addresses_on_reserved_names_are_found(self):
        # (address, the reserved host it is on, or None)
        for url, host in [
            ("https://www.quenmore.example/varnite/releases/download/", "www.quenmore.example"),
            ("https://x.invalid/a", "x.invalid"), ("http://build.test:8080/", "build.test"),
            ("https://localhost/varnite", "localhost"), ("https://a.localhost./", "a.localhost"),
            ("https://github.com/quenmore/varnite/releases/download/", None),
            ("https://example.org/varnite/", None), ("https://test.example.com.de/", None),
        ]:
            with self.subTest(url):
                self.assertEqual(release_files.reserved_host(url), host)
        self.assertEqual(release_files.address_problems(RELEASE), [])
        refused = dict(RELEASE, support="https://bugs.quenmore.example/")
        self.assertEqual(len(release_files.address_problems(refused)), 1)

    def test_readme_names_the_one_version(self):
        root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
        with open(os.path.join(root, "CMakeLists.txt")) as f:
            version = re.search(r"project\(Varnite VERSION ([\d.]+)", f.read()).group(1)
        version += ".0" * (3 - version.count("."))
        with open(os.path.join(root, "README.md")) as f:
            self.assertEqual(release_files.readme_problems(f.read(), version), [])
        # (a line of the README, whether it names another version)
        for line, wrong in [
            ("Get-FileHash Varnite-1.0.0.2-win32.zip -Algorithm SHA256", True),
            ("(for this version, 1.0.0.2, in `.../download/v1.0.0.1/`)", True),
            ("at `https://github.com/o/r/releases/download/v1.0.0.2/`", True),
            ("at `https://github.com/o/r/releases/download/v<version>/`", False),
            ("`certutil -hashfile Varnite-1.0.0.1-win32.zip SHA256`", False),
        ]:
            with self.subTest(line):
                self.assertEqual(bool(release_files.readme_problems(line, "1.0.0.1")), wrong)

    def test_written_manifests_pass_and_each_fault_is_found(self):
        with tempfile.TemporaryDirectory() as dist:
            zip_hash = make_release(dist)
            self.assertEqual(release_files.check(RELEASE, dist), [])
            for what, name, pattern, replacement, problem in FAULTS:
                with self.subTest(what), open(os.path.join(dist, name), "rb") as f:
                    good = f.read()
                    pattern = pattern.format(hash=zip_hash, HASH=zip_hash.upper())
                    bad = re.sub(pattern, replacement, good.decode("utf-8"), count=1, flags=re.M)
                    self.assertNotEqual(bad, good.decode("utf-8"))
                    write(f.name, bad.encode("utf-8"))
                    try:
                        problems = release_files.check(RELEASE, dist)
                    finally:
                        write(f.name, good)
                    self.assertTrue(any(problem in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main()
