#!/usr/bin/env python3
"""Authenticode signing of Varnite.exe with osslsigncode (SHA-256).

    sign_exe.py sign UNSIGNED SIGNED [--name NAME] [--url URL]
        signs with the key in VARNITE_SIGN_PKCS12 (a .p12/.pfx file) and its password in
        VARNITE_SIGN_PASSWORD, dated SOURCE_DATE_EPOCH (when set); with VARNITE_TSA_URL also
        set, adds an RFC 3161 timestamp from that server. Then checks the result: the signature
        verifies against the CA certificates in the .p12 (or the system's, when it holds
        none), and without its signature the file is UNSIGNED byte for byte.
    sign_exe.py verify FILE [--ca PEM] [--tsa-ca PEM]
    sign_exe.py unsign SIGNED UNSIGNED

osslsigncode's exit status alone does not say whether a file verifies: it exits 0 when the
signature verifies but the timestamp's does not. So the report it prints is read as well.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

TOOL = "osslsigncode"


class SigningError(Exception):
    pass


def run(arguments, what):
    """Runs a command; returns its output, or raises SigningError with `what` and the output."""
    try:
        result = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace")
    except OSError as error:
        raise SigningError("%s: %s" % (what, error))
    if result.returncode != 0:
        raise SigningError("%s:\n%s" % (what, result.stdout.strip()))
    return result.stdout


def verify(path, ca=None, tsa_ca=None):
    """Returns (True, report) when the signature of `path`, and its timestamp if it has one,
    verify against the CA files given (osslsigncode's default bundle otherwise)."""
    arguments = [TOOL, "verify", "-in", path]
    if ca:
        arguments += ["-CAfile", ca]
    if tsa_ca:
        arguments += ["-TSA-CAfile", tsa_ca]
    result = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, errors="replace")
    report = result.stdout
    ok = (result.returncode == 0 and re.search(r"^Signature verification: ok", report, re.M)
          and not re.search(r"verification: failed|MISMATCH", report, re.I))
    return bool(ok), report


def unsign(signed, unsigned):
    if os.path.exists(unsigned):
        os.remove(unsigned)
    run([TOOL, "remove-signature", "-in", signed, "-out", unsigned],
        "osslsigncode could not remove the signature of " + signed)


def sign(unsigned, signed, pkcs12, password, epoch, tsa_url=None, name=None, url=None):
    with tempfile.TemporaryDirectory() as tmp:
        # The password goes to osslsigncode in a file of this user's only, never on a
        # command line that other users can list.
        password_file = os.path.join(tmp, "password")
        with open(os.open(password_file, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(password)
        ca = os.path.join(tmp, "ca.pem")
        run(["openssl", "pkcs12", "-in", pkcs12, "-nokeys", "-cacerts",
             "-passin", "file:" + password_file, "-out", ca],
            "the key %s cannot be read with the password given" % pkcs12)
        if "BEGIN CERTIFICATE" not in open(ca).read():
            ca = None

        plain = os.path.join(tmp, "signed.exe")
        arguments = [TOOL, "sign", "-pkcs12", pkcs12, "-readpass", password_file, "-h", "sha256"]
        arguments += ["-time", str(epoch)] if epoch is not None else []
        arguments += ["-n", name] if name else []
        arguments += ["-i", url] if url else []
        run(arguments + ["-in", unsigned, "-out", plain], "osslsigncode could not sign " + unsigned)
        if os.path.exists(signed):
            os.remove(signed)
        if tsa_url:
            run([TOOL, "add", "-ts", tsa_url, "-in", plain, "-out", signed],
                "no timestamp from %s (offline? leave VARNITE_TSA_URL unset to sign without one)"
                % tsa_url)
        else:
            os.replace(plain, signed)

        ok, report = verify(signed, ca)
        if not ok:
            raise SigningError("the signed file does not verify against %s:\n%s"
                               % (ca or "the system's CA certificates", report.strip()))
        back = os.path.join(tmp, "unsigned.exe")
        unsign(signed, back)
        with open(back, "rb") as a, open(unsigned, "rb") as b:
            if a.read() != b.read():
                raise SigningError("without its signature, %s is not %s" % (signed, unsigned))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("sign")
    p.add_argument("unsigned")
    p.add_argument("signed")
    p.add_argument("--name")
    p.add_argument("--url")
    p = commands.add_parser("verify")
    p.add_argument("file")
    p.add_argument("--ca")
    p.add_argument("--tsa-ca")
    p = commands.add_parser("unsign")
    p.add_argument("signed")
    p.add_argument("unsigned")
    args = parser.parse_args(argv)
    try:
        if args.command == "sign":
            pkcs12 = os.environ.get("VARNITE_SIGN_PKCS12", "")
            password = os.environ.get("VARNITE_SIGN_PASSWORD")
            if not pkcs12 or password is None:
                raise SigningError(
                    "signing needs both VARNITE_SIGN_PKCS12 and VARNITE_SIGN_PASSWORD")
            sign(args.unsigned, args.signed, pkcs12, password,
                 os.environ.get("SOURCE_DATE_EPOCH") or None,
                 os.environ.get("VARNITE_TSA_URL") or None, args.name, args.url)
        elif args.command == "verify":
            ok, report = verify(args.file, args.ca, args.tsa_ca)
            print(report, end="")
            return 0 if ok else 1
        else:
            unsign(args.signed, args.unsigned)
    except SigningError as error:
        print("sign_exe: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
