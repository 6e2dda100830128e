#!/usr/bin/env python3
"""Authenticode signing of Varnite.exe with osslsigncode (SHA-256).

    sign_exe.py sign UNSIGNED SIGNED [--name NAME] [--url URL] [--secret-stdin]
        signs with one of two kinds of key:
          - a PKCS#11 key, which never leaves its token (a hardware key, a smart card, a
            cloud HSM): VARNITE_SIGN_PKCS11_MODULE (the module's path),
            VARNITE_SIGN_PKCS11_KEY (a pkcs11: URI), VARNITE_SIGN_CERT (the certificate
            chain, PEM, signer first) and the PIN in VARNITE_SIGN_PIN;
          - a PKCS#12 file (a self-made certificate): VARNITE_SIGN_PKCS12 (a .p12/.pfx
            file) and its password in VARNITE_SIGN_PASSWORD.
        With --secret-stdin the PIN or password is read from standard input instead of the
        environment. It is dated SOURCE_DATE_EPOCH (when set); with VARNITE_TSA_URL set, an
        RFC 3161 timestamp from that server is added. Then the result is checked: the
        signature verifies against the CA certificates of the chain (or the system's, when
        it holds none), and without its signature the file is UNSIGNED byte for byte.
    sign_exe.py verify FILE [--ca PEM] [--tsa-ca PEM]
    sign_exe.py unsign SIGNED UNSIGNED

The PIN or password is taken out of this process's environment as soon as it is read, and
reaches osslsigncode and openssl only through a pipe: never a command line, which other
users can list, nor a file, which could outlive the run, nor a child's environment.

osslsigncode's exit status alone does not say whether a file verifies: it exits 0 when the
signature verifies but the timestamp's does not. So the report it prints is read as well.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

TOOL = "osslsigncode"
# Every variable that may hold a secret; none of them is handed to a child process.
SECRETS = ("VARNITE_SIGN_PIN", "VARNITE_SIGN_PASSWORD")
# In a command's arguments, where the number of the pipe that holds the secret goes.
SECRET_FD = "\0fd\0"


class SigningError(Exception):
    pass


class Pkcs12Key:
    """A key in a PKCS#12 file, opened with its password."""

    def __init__(self, path, password):
        self.path, self.secret = path, password

    def what(self):
        return self.path

    def sign_options(self, secret_file):
        return ["-pkcs12", self.path, "-readpass", secret_file]

    def ca_file(self, tmp):
        """A PEM file under `tmp` of the CA certificates in the file (empty when none)."""
        ca = os.path.join(tmp, "ca.pem")
        run(["openssl", "pkcs12", "-in", self.path, "-nokeys", "-cacerts",
             "-passin", "fd:" + SECRET_FD, "-out", ca],
            "the key %s cannot be read with the password given" % self.path, self.secret)
        return ca


class Pkcs11Key:
    """A key on a PKCS#11 token, used through its module with its PIN."""

    def __init__(self, module, uri, chain, pin):
        if not uri.startswith("pkcs11:"):
            raise SigningError("VARNITE_SIGN_PKCS11_KEY is not a pkcs11: URI: %s" % uri)
        self.module, self.uri, self.chain, self.secret = module, uri, chain, pin

    def what(self):
        return "%s through %s" % (self.uri, self.module)

    def sign_options(self, secret_file):
        # No -pkcs11engine: osslsigncode finds the engine itself, and osslsigncode 2.5 fails
        # with an explicit engine path.
        return ["-pkcs11module", self.module, "-key", self.uri, "-certs", self.chain,
                "-readpass", secret_file]

    def ca_file(self, tmp):
        """A PEM file under `tmp` of the chain's certificates after the signer's (empty when
        the chain holds the signer's alone)."""
        try:
            with open(self.chain) as f:
                chain = f.read()
        except OSError as error:
            raise SigningError("the certificate chain cannot be read: %s" % error)
        certificates = re.findall(r"-----BEGIN CERTIFICATE-----.*?-----END CERTIFICATE-----\n?",
                                  chain, re.S)
        if not certificates:
            raise SigningError("%s holds no PEM certificate" % self.chain)
        ca = os.path.join(tmp, "ca.pem")
        with open(ca, "w") as f:
            f.write("".join(certificates[1:]))
        return ca


def child_environment():
    return {name: value for name, value in os.environ.items() if name not in SECRETS}


def run(arguments, what, secret=None):
    """Runs a command; returns its output, or raises SigningError with `what` and the output.
    With `secret`, SECRET_FD in the arguments becomes the number of a pipe that holds it
    (opened as /dev/fd/N or fd:N by the command)."""
    read_end = None
    try:
        if secret is not None:
            read_end, write_end = os.pipe()
            with os.fdopen(write_end, "wb") as pipe:
                pipe.write(secret.encode())
            arguments = [argument.replace(SECRET_FD, str(read_end)) for argument in arguments]
        result = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace", env=child_environment(),
                                pass_fds=(read_end,) if read_end is not None else ())
    except OSError as error:
        raise SigningError("%s: %s" % (what, error))
    finally:
        if read_end is not None:
            os.close(read_end)
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
                            text=True, errors="replace", env=child_environment())
    report = result.stdout
    ok = (result.returncode == 0 and re.search(r"^Signature verification: ok", report, re.M)
          and not re.search(r"verification: failed|MISMATCH", report, re.I))
    return bool(ok), report


def unsign(signed, unsigned):
    if os.path.exists(unsigned):
        os.remove(unsigned)
    run([TOOL, "remove-signature", "-in", signed, "-out", unsigned],
        "osslsigncode could not remove the signature of " + signed)


def sign(unsigned, signed, key, epoch, tsa_url=None, name=None, url=None, tsa_ca=None):
    """Signs UNSIGNED into SIGNED with `key` (see the module's help); the timestamp, if any,
    is checked against `tsa_ca` (the system's CA certificates when None)."""
    with tempfile.TemporaryDirectory() as tmp:
        ca = key.ca_file(tmp)
        with open(ca) as f:
            if "BEGIN CERTIFICATE" not in f.read():
                ca = None

        if os.path.exists(signed):
            os.remove(signed)
        plain = os.path.join(tmp, "signed.exe")
        arguments = [TOOL, "sign"] + key.sign_options("/dev/fd/" + SECRET_FD) + ["-h", "sha256"]
        arguments += ["-time", str(epoch)] if epoch is not None else []
        arguments += ["-n", name] if name else []
        arguments += ["-i", url] if url else []
        run(arguments + ["-in", unsigned, "-out", plain],
            "osslsigncode could not sign %s with %s" % (unsigned, key.what()), key.secret)
        done = plain
        if tsa_url:
            done = os.path.join(tmp, "timestamped.exe")
            run([TOOL, "add", "-ts", tsa_url, "-in", plain, "-out", done],
                "no timestamp from %s (offline?)" % tsa_url)

        ok, report = verify(done, ca, tsa_ca)
        if not ok:
            raise SigningError("the signed file does not verify against %s:\n%s"
                               % (ca or "the system's CA certificates", report.strip()))
        back = os.path.join(tmp, "unsigned.exe")
        unsign(done, back)
        with open(back, "rb") as a, open(unsigned, "rb") as b:
            if a.read() != b.read():
                raise SigningError("without its signature, %s is not %s" % (signed, unsigned))
        # Only a checked file reaches SIGNED, and whole: copied beside it (the temporary
        # folder may be on another file system, such as a tmpfs), then renamed.
        partial = signed + ".part"
        shutil.copyfile(done, partial)
        os.replace(partial, signed)


def key_from_environment(secret):
    """The key the environment names, with `secret` (or the environment's PIN or password,
    when None). Takes every secret out of the environment first."""
    secrets = {name: os.environ.pop(name, None) for name in SECRETS}
    env = os.environ.get
    if env("VARNITE_SIGN_PKCS11_MODULE") or env("VARNITE_SIGN_PKCS11_KEY"):
        wanted = ("VARNITE_SIGN_PKCS11_MODULE", "VARNITE_SIGN_PKCS11_KEY", "VARNITE_SIGN_CERT")
        pin = secret if secret is not None else secrets["VARNITE_SIGN_PIN"]
        missing = [name for name in wanted if not env(name)] + (["VARNITE_SIGN_PIN"]
                                                                 if pin is None else [])
        if missing:
            raise SigningError("signing through PKCS#11 needs %s and VARNITE_SIGN_PIN; missing: %s"
                               % (", ".join(wanted), " ".join(missing)))
        return Pkcs11Key(*[env(name) for name in wanted], pin)
    password = secret if secret is not None else secrets["VARNITE_SIGN_PASSWORD"]
    if not env("VARNITE_SIGN_PKCS12") or password is None:
        raise SigningError("signing needs VARNITE_SIGN_PKCS12 and VARNITE_SIGN_PASSWORD, or "
                           "VARNITE_SIGN_PKCS11_MODULE, VARNITE_SIGN_PKCS11_KEY, "
                           "VARNITE_SIGN_CERT and VARNITE_SIGN_PIN")
    return Pkcs12Key(env("VARNITE_SIGN_PKCS12"), password)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("sign")
    p.add_argument("unsigned")
    p.add_argument("signed")
    p.add_argument("--name")
    p.add_argument("--url")
    p.add_argument("--secret-stdin", action="store_true")
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
            key = key_from_environment(sys.stdin.read() if args.secret_stdin else None)
            sign(args.unsigned, args.signed, key, os.environ.get("SOURCE_DATE_EPOCH") or None,
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
