#!/usr/bin/env python3
"""The text files of a release that scripts/release writes beside the exe.

    release_files.py build-info RELEASE_JSON COMMIT [--trial] > BuildInfo.txt
        what the release was built from: the commit (--trial: a tree with uncommitted
        changes) and the toolchain, each line ended by CR LF.
    release_files.py manifests RELEASE_JSON DIST
        the winget manifests (DIST/winget/) and the Scoop manifest (DIST/scoop/varnite.json)
        of the zip in DIST, then checks them as `check` does.
    release_files.py check RELEASE_JSON DIST
        checks the manifests against the zip and SHA256SUMS in DIST: the zip's address, its
        SHA-256, the version, and that every file they name is in the zip.
    release_files.py addresses RELEASE_JSON
        refuses (exit 1) a release whose addresses are on a reserved name that never
        resolves (.example, .invalid, .test, .localhost, localhost): a published release
        must name where it really is.

RELEASE_JSON is the build folder's release.json (the version, the zip's name and addresses,
the compiler), written by CMake from the one place they are set.
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import time
import urllib.parse
import zipfile
import zlib

import yaml

IDENTIFIER = "Quenmore.Varnite"
MANIFEST_VERSION = "1.12.0"
LOCALE = "en-US"
PUBLISHER = "Quenmore Software"
SHORT_DESCRIPTION = "Adds a copy protection to a CD recorded with CDRWIN from a cue sheet."
DESCRIPTION = ("Varnite writes a small dummy file, C:\\Varnite.PSX, and appends three protection "
               "tracks that point at it to the end of a CDRWIN cue sheet. Pressed once the "
               "recording has begun, Modify shortens the dummy file, so that CDRWIN fails on "
               "those tracks at the very end, after the disc's own content is written.")
EXE = "Varnite.exe"
LICENSE = "MIT"
INSTALLATION_NOTES = ("Windows asks for administrator rights each time Varnite starts: it writes "
                      "its dummy file to the root of drive C:, C:\\Varnite.PSX, where only an "
                      "administrator may create files.")
# Names reserved never to resolve (RFC 2606, RFC 6761): the last label of the host.
RESERVED_NAMES = ("example", "invalid", "test", "localhost")


def winget_files():
    """The three winget manifests' names, by manifest type."""
    return {"version": IDENTIFIER + ".yaml", "installer": IDENTIFIER + ".installer.yaml",
            "defaultLocale": "%s.locale.%s.yaml" % (IDENTIFIER, LOCALE)}


# ---- BuildInfo.txt -------------------------------------------------------------------

def output(arguments, stdin=None):
    try:
        return subprocess.run(arguments, input=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return ""


def debian_package(path):
    """', Debian package NAME VERSION' for the package that installed `path`, or ''."""
    real = os.path.realpath(path)
    # With /lib merged into /usr/lib, dpkg may know a file by its path outside /usr only.
    owner = (output(["dpkg", "-S", real]) or output(["dpkg", "-S", re.sub(r"^/usr/", "/", real)])
             ).split(": ")[0]  # NAME or NAME:ARCH, for a package of several architectures
    version = output(["dpkg-query", "-W", "-f=${Version}", owner]) if owner else ""
    return ", Debian package %s %s" % (owner, version) if version else ""


def loaded_library(name):
    """The path of the shared library `name` (e.g. libz.so) this process has loaded, or ''."""
    try:
        with open("/proc/self/maps") as f:
            paths = [line.split()[-1] for line in f if "/" + name in line]
    except OSError:
        paths = []
    return paths[0] if paths else ""


def build_info(release, commit, trial):
    compiler = release["compiler"]
    ld = output([compiler, "-print-prog-name=ld"]).strip()
    # The runtime's version from its header's macros; its package from the library linked.
    macros = dict(re.findall(r"^#define __MINGW64_VERSION_(MAJOR|MINOR|BUGFIX) (\d+)$",
                             output([compiler, "-E", "-dM", "-x", "c++", "-"],
                                    "#include <_mingw.h>\n"),
                             re.M))
    runtime = ".".join(macros.get(part, "?") for part in ("MAJOR", "MINOR", "BUGFIX"))
    library = output([compiler, "-print-file-name=libmingw32.a"]).strip()
    lines = [
        "Varnite %s" % release["version"],
        "",
        "Built from commit %s." % commit,
    ] + (["TRIAL BUILD: the tree held changes that were not committed; this is no release."]
         if trial else []) + [
        "Files dated %s." % time.strftime("%Y-%m-%d %H:%M:%S UTC", time.gmtime(epoch())),
        "",
        "Built with:",
        "  Compiler: %s%s" % ((output([compiler, "--version"]).splitlines() or ["?"])[0],
                            debian_package(compiler)),
        "  Binutils: %s%s" % ((output([ld, "--version"]).splitlines() or ["?"])[0],
                            debian_package(ld) if ld else ""),
        "  MinGW-w64 runtime: %s%s" % (runtime, debian_package(library) if library else ""),
        "  CMake: %s%s" % (release["cmake"], debian_package(release["cmake_command"])),
        # The zip's bytes depend on the Python and the zlib that write it: scripts/release
        # uses Debian's, whose packages are named here.
        "  Zip: Python %s%s, zlib %s%s" % (sys.version.split()[0], debian_package(sys.executable),
                                           zlib.ZLIB_RUNTIME_VERSION,
                                           debian_package(loaded_library("libz.so"))),
    ]
    return "".join(line + "\r\n" for line in lines)


def epoch():
    return int(os.environ.get("SOURCE_DATE_EPOCH") or time.time())


# ---- The manifests -------------------------------------------------------------------

def sha256(data):
    return hashlib.sha256(data).hexdigest()


def zip_facts(release, dist):
    path = os.path.join(dist, release["zip"])
    with open(path, "rb") as f:
        data = f.read()
    with zipfile.ZipFile(path) as archive:
        return sha256(data), archive.namelist(), sha256(archive.read(EXE))


def yaml_file(kind, fields):
    """A winget manifest: a line for the editors' schema, then the fields in order."""
    lines = ["# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json"
             % (kind, MANIFEST_VERSION), ""]
    for key, value in fields:
        lines.append(key + ":" + yaml_value(value, "  "))
    lines += ["ManifestType: " + kind, "ManifestVersion: " + MANIFEST_VERSION]
    return "\n".join(lines) + "\n"


def yaml_text(text):
    """Text as YAML reads it back as that very text: plain where it can be, else quoted (a
    date or a version like 1.10 would otherwise be read as a date or a number)."""
    try:
        plain = yaml.safe_load(text) == text and "\n" not in text
    except yaml.YAMLError:
        plain = False
    return text if plain else json.dumps(text)


def yaml_value(value, indent):
    if isinstance(value, str):
        return " " + yaml_text(value)
    if isinstance(value, list) and all(isinstance(item, str) for item in value):
        return "".join("\n%s- %s" % (indent, yaml_text(item)) for item in value)
    # A list of mappings.
    text = ""
    for item in value:
        for n, (key, inner) in enumerate(item):
            text += "\n%s%s%s:%s" % (indent, "- " if n == 0 else "  ", key,
                                     yaml_value(inner, indent + "    "))
    return text


def license_url(release):
    """The licence as published with the release's own sources."""
    return "%s/blob/%s/LICENSE" % (release["homepage"].rstrip("/"), release["tag"])


def manifests(release, dist):
    """{path under DIST: text} of the winget and Scoop manifests."""
    version = release["version"]
    zip_hash, _, _ = zip_facts(release, dist)
    url = release["url"] + release["zip"]
    names = winget_files()
    head = [("PackageIdentifier", IDENTIFIER), ("PackageVersion", version)]
    files = {
        "winget/" + names["version"]: yaml_file("version", head + [("DefaultLocale", LOCALE)]),
        "winget/" + names["installer"]: yaml_file("installer", head + [
            ("InstallerType", "zip"),
            ("NestedInstallerType", "portable"),
            ("NestedInstallerFiles", [[("RelativeFilePath", EXE),
                                       ("PortableCommandAlias", "varnite")]]),
            ("ReleaseDate", time.strftime("%Y-%m-%d", time.gmtime(epoch()))),
            ("Installers", [[("Architecture", "x86"), ("InstallerUrl", url),
                             ("InstallerSha256", zip_hash.upper())]]),
        ]),
        "winget/" + names["defaultLocale"]: yaml_file("defaultLocale", head + [
            ("PackageLocale", LOCALE),
            ("Publisher", PUBLISHER),
            ("PublisherUrl", release["homepage"].rstrip("/").rsplit("/", 1)[0]),
            ("PublisherSupportUrl", release["support"]),
            ("PackageName", "Varnite"),
            ("PackageUrl", release["homepage"]),
            ("License", LICENSE),
            ("LicenseUrl", license_url(release)),
            ("ShortDescription", SHORT_DESCRIPTION),
            ("Description", DESCRIPTION),
            ("Moniker", "varnite"),
            ("Tags", ["cdrwin", "cue-sheet", "cd-burning", "copy-protection"]),
            ("InstallationNotes", INSTALLATION_NOTES),
        ]),
    }
    scoop = {
        "version": version,
        "description": SHORT_DESCRIPTION,
        "homepage": release["homepage"],
        "license": {"identifier": LICENSE, "url": license_url(release)},
        "url": url,
        "hash": zip_hash,
        "bin": EXE,
        "shortcuts": [[EXE, "Varnite"]],
        # The newest release of the repository, its tag read as v<version>.
        "checkver": {"github": release["homepage"]},
        "autoupdate": {"url": url.replace(version, "$version"),
                       "hash": {"url": "$baseurl/SHA256SUMS"}},
        # Last, as Scoop's maintainers keep it.
        "notes": INSTALLATION_NOTES,
    }
    # Scoop's own rules for its files: CR LF, four spaces, no byte order mark, a final line end.
    files["scoop/varnite.json"] = json.dumps(scoop, indent=4).replace("\n", "\r\n") + "\r\n"
    return files


# ---- Checks --------------------------------------------------------------------------


def check(release, dist):
    """The problems found in the manifests and SHA256SUMS in DIST, as sentences."""
    problems = []
    version, url = release["version"], release["url"] + release["zip"]
    zip_hash, names, exe_hash = zip_facts(release, dist)

    def expect(what, got, wanted):
        if got != wanted:
            problems.append("%s is %r, not %r" % (what, got, wanted))

    def in_zip(what, name):
        if name not in names:
            problems.append("%s names %r, which is not in the zip" % (what, name))

    if not re.fullmatch(r"https://\S+/" + re.escape(release["zip"]), url):
        problems.append("the zip's address %s is not an https URL ending in its name" % url)
    sums = {}
    with open(os.path.join(dist, "SHA256SUMS")) as f:
        for line in f:
            digest, name = line.split()
            sums[name] = digest
    expect("SHA256SUMS's hash of the zip", sums.get(release["zip"]), zip_hash)
    expect("SHA256SUMS's hash of Varnite.exe", sums.get(EXE), exe_hash)

    documents = {}
    for kind, name in winget_files().items():
        path = "winget/" + name
        with open(os.path.join(dist, path), "rb") as f:
            # Read as any YAML reader does, so an unquoted date or a version like 1.10
            # comes back as a date or a number, and fails.
            document = yaml.safe_load(f.read().decode("utf-8"))
        documents[kind] = document
        expect(path + " ManifestType", document.get("ManifestType"), kind)
        expect(path + " ManifestVersion", document.get("ManifestVersion"), MANIFEST_VERSION)
        expect(path + " PackageIdentifier", document.get("PackageIdentifier"), IDENTIFIER)
        expect(path + " PackageVersion", document.get("PackageVersion"), version)
    installer = documents["installer"]
    if "ElevationRequirement" in installer:
        problems.append("the installer manifest has an ElevationRequirement (for installers)")
    for n, nested in enumerate(installer.get("NestedInstallerFiles") or [{}]):
        in_zip("NestedInstallerFiles[%d]" % n, nested.get("RelativeFilePath"))
    if not isinstance(installer.get("ReleaseDate"), str):
        problems.append("ReleaseDate %r is not text" % installer.get("ReleaseDate"))
    for n, entry in enumerate(installer.get("Installers") or [{}]):
        expect("Installers[%d] InstallerUrl" % n, entry.get("InstallerUrl"), url)
        expect("Installers[%d] InstallerSha256" % n, str(entry.get("InstallerSha256")).lower(),
               zip_hash)
    locale = documents["defaultLocale"]
    expect("the locale file's PublisherSupportUrl", locale.get("PublisherSupportUrl"),
           release["support"])
    expect("the locale file's PackageLocale", locale.get("PackageLocale"),
           documents["version"].get("DefaultLocale"))
    for field in ("Publisher", "PackageName", "License", "ShortDescription", "InstallationNotes"):
        if not locale.get(field):
            problems.append("the locale file has no " + field)

    with open(os.path.join(dist, "scoop", "varnite.json"), "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xef\xbb\xbf"):
        problems.append("varnite.json starts with a byte order mark")
    lines = raw.split(b"\r\n")
    if lines[-1] != b"" or any(b"\n" in line or b"\r" in line for line in lines):
        problems.append("varnite.json has lines not ended by CR LF")
    if any(line != line.rstrip() or b"\t" in line for line in lines):
        problems.append("varnite.json has trailing blanks or tabs")
    scoop = json.loads(raw.decode("utf-8-sig"))
    expect("varnite.json version", scoop.get("version"), version)
    expect("varnite.json url", scoop.get("url"), url)
    expect("varnite.json hash", scoop.get("hash"), zip_hash)
    in_zip("varnite.json bin", scoop.get("bin"))
    for shortcut in scoop.get("shortcuts", []):
        in_zip("varnite.json shortcuts", shortcut[0])
    autoupdate = scoop.get("autoupdate", {}).get("url", "")
    if "$version" not in autoupdate:
        problems.append("varnite.json autoupdate url %s does not follow the version" % autoupdate)
    expect("varnite.json autoupdate url for this version", autoupdate.replace("$version", version),
           url)
    expect("varnite.json checkver", scoop.get("checkver"), {"github": release["homepage"]})
    if list(scoop)[-1:] != ["notes"]:
        problems.append("varnite.json does not end with its notes")
    return problems


def reserved_host(url):
    """The host of `url` when it is on a name reserved never to resolve, else None."""
    host = (urllib.parse.urlsplit(url).hostname or "").rstrip(".")
    return host if host.rsplit(".", 1)[-1] in RESERVED_NAMES else None


def address_problems(release):
    """A sentence for each reserved host that the release's addresses name."""
    hosts = {}
    for key in ("url", "latest_url", "homepage", "support"):
        host = reserved_host(release[key])
        if host:
            hosts.setdefault(host, []).append(release[key])
    return ["the release's addresses are on %s, a name reserved never to resolve: %s"
            % (host, ", ".join(urls)) for host, urls in hosts.items()]


# Where the README names a version: the release's file names and its download folder.
README_VERSIONS = (r"Varnite-([^-\s`]+)-win32\.zip", r"/download/v([^/\s`]+)/",
                   r"for this version, ([\d.]+)")


def readme_problems(text, version):
    """The README's lines that name another version than `version`, as sentences."""
    return ["README line %d names version %s, not %s" % (n, found, version)
            for n, line in enumerate(text.splitlines(), 1)
            for pattern in README_VERSIONS for found in re.findall(pattern, line)
            if found != version and found != "<version>"]


def main(argv):
    if len(argv) < 2 or argv[0] not in ("build-info", "manifests", "check", "addresses") or (
            len(argv) < 3 and argv[0] != "addresses"):
        sys.exit(__doc__)
    with open(argv[1]) as f:
        release = json.load(f)
    if argv[0] == "addresses":
        problems = address_problems(release)
        for problem in problems:
            print("release: refused: %s\nrelease: set GITHUB_SERVER_URL and GITHUB_REPOSITORY "
                  "(as CI does), or VARNITE_PROJECT_URL, to where the release is published"
                  % problem, file=sys.stderr)
        return 1 if problems else 0
    if argv[0] == "build-info":
        sys.stdout.buffer.write(build_info(release, argv[2], "--trial" in argv[3:]).encode("ascii"))
        return 0
    dist = argv[2]
    if argv[0] == "manifests":
        for path, text in manifests(release, dist).items():
            os.makedirs(os.path.dirname(os.path.join(dist, path)), exist_ok=True)
            with open(os.path.join(dist, path), "wb") as f:
                f.write(text.encode("utf-8"))
    problems = check(release, dist)
    for problem in problems:
        print("release: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
