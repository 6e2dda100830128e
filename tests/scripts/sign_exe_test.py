"""Tests of scripts/sign_exe.py against a certificate authority that openssl makes for the
test (no key is kept), a timestamp authority served from this process, and a SoftHSM2
token made in a temporary folder: what verifies and what does not, removing the signature,
refusals, and a PIN that no child process sees.

    sign_exe_test.py --exe FILE [--driver UI_DRIVER --wine-run SCRIPT] [unittest options]

With --driver, the end-to-end driver also starts a signed copy of FILE under SCRIPT."""
import argparse
import glob
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
sys.path.insert(0, SCRIPTS)
import sign_exe  # noqa: E402

# Two CAs; a code signing key from the first in signer.p12 (with that CA) and on the token
# (as PKCS#8), and a timestamp authority's key from it.
LEAF = ("-CA ca.pem -CAkey ca.key -addext basicConstraints=CA:FALSE"
        " -addext keyUsage=critical,digitalSignature")
KEYS = [
    "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=ca -keyout ca.key -out ca.pem",
    "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=other -keyout other.key -out other.pem",
    "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=signer -keyout signer.key -out signer.pem "
    + LEAF + " -addext extendedKeyUsage=codeSigning",
    "req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=tsa -keyout tsa.key -out tsa.pem "
    + LEAF + " -addext extendedKeyUsage=critical,timeStamping",
    "pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout pass:secret"
    " -out signer.p12",
    "pkcs8 -topk8 -nocrypt -in signer.key -out signer.p8",
]
TSA_CONFIG = """[tsa]
default_tsa = here
[here]
serial = serial
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512, sha1
ess_cert_id_alg = sha256
"""
MODULE = "/usr/lib/softhsm/libsofthsm2.so"
PIN = "4711-pin-of-the-token"
TOKEN_KEY = "pkcs11:token=varnite-test;object=signkey;type=private"
ARGS = None


def timestamp_authority(folder):
    """An RFC 3161 server on 127.0.0.1 that answers with `openssl ts` and the tsa key."""
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers["Content-Length"]))
            reply = subprocess.run(
                ["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", "/dev/stdin",
                 "-signer", "tsa.pem", "-inkey", "tsa.key", "-out", "/dev/stdout"],
                cwd=folder, input=query, capture_output=True).stdout
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, *_):
            pass

    with open(os.path.join(folder, "tsa.cnf"), "w") as f:
        f.write(TSA_CONFIG)
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        for command in KEYS:
            subprocess.run(["openssl"] + command.split(), cwd=cls.tmp.name, check=True,
                           capture_output=True)
        with open(cls.path("chain.pem"), "w") as chain:
            for name in ("signer.pem", "ca.pem"):
                with open(cls.path(name)) as f:
                    chain.write(f.read())
        # A token of its own, in a folder of the test's.
        os.mkdir(cls.path("tokens"))
        with open(cls.path("softhsm2.conf"), "w") as f:
            f.write("directories.tokendir = %s\nobjectstore.backend = file\n" % cls.path("tokens"))
        os.environ["SOFTHSM2_CONF"] = cls.path("softhsm2.conf")
        for arguments in (["--init-token", "--free", "--label", "varnite-test",
                           "--so-pin", "so-1234"],
                          ["--import", "signer.p8", "--token", "varnite-test", "--label", "signkey",
                           "--id", "01"]):
            subprocess.run(["softhsm2-util"] + arguments + ["--pin", PIN], cwd=cls.tmp.name,
                           check=True, capture_output=True)
        cls.tsa = timestamp_authority(cls.tmp.name)
        cls.tsa_url = "http://127.0.0.1:%d/" % cls.tsa.server_port

        # Signed through a temporary folder on another file system where there is one, as
        # /tmp on a tmpfs is for a release built elsewhere.
        tempfile.tempdir = "/dev/shm" if os.path.isdir("/dev/shm") else None
        sign_exe.sign(ARGS.exe, cls.path("signed.exe"), cls.pkcs12("secret"), 1700000000)
        tempfile.tempdir = None
        sign_exe.sign(ARGS.exe, cls.path("timestamped.exe"), cls.pkcs12("secret"), None,
                      cls.tsa_url, tsa_ca=cls.path("ca.pem"))
        sign_exe.sign(ARGS.exe, cls.path("token.exe"), cls.pkcs11(PIN), 1700000000)
        with open(cls.path("signed.exe"), "rb") as f:
            flipped = bytearray(f.read())
        flipped[len(flipped) // 3] ^= 1
        with open(cls.path("flipped.exe"), "wb") as f:
            f.write(flipped)

    @classmethod
    def tearDownClass(cls):
        cls.tsa.shutdown()
        cls.tmp.cleanup()

    @classmethod
    def path(cls, name):
        return os.path.join(cls.tmp.name, name)

    @classmethod
    def pkcs12(cls, password):
        return sign_exe.Pkcs12Key(cls.path("signer.p12"), password)

    @classmethod
    def pkcs11(cls, pin):
        return sign_exe.Pkcs11Key(MODULE, TOKEN_KEY, cls.path("chain.pem"), pin)

    def test_verification(self):
        # (what, file, CA file, timestamp authority's CA file, verifies)
        for what, name, ca, tsa_ca, verifies in [
            ("signed, against its CA", "signed.exe", "ca.pem", None, True),
            ("signed, against another CA", "signed.exe", "other.pem", None, False),
            ("one byte flipped", "flipped.exe", "ca.pem", None, False),
            ("timestamped, its authority's CA given", "timestamped.exe", "ca.pem", "ca.pem", True),
            # osslsigncode exits 0 here: only its report says the timestamp failed.
            ("timestamped, another CA given for it", "timestamped.exe", "ca.pem", "other.pem",
             False),
            ("signed on the token, against its CA", "token.exe", "ca.pem", None, True),
            ("signed on the token, against another CA", "token.exe", "other.pem", None, False),
        ]:
            with self.subTest(what):
                ok, report = sign_exe.verify(self.path(name), self.path(ca),
                                             tsa_ca and self.path(tsa_ca))
                self.assertEqual(ok, verifies, report)

    def test_removing_the_signature_gives_back_the_exe(self):
        for name in ("signed.exe", "timestamped.exe", "token.exe"):
            with self.subTest(name), open(ARGS.exe, "rb") as unsigned:
                sign_exe.unsign(self.path(name), self.path("back.exe"))
                with open(self.path("back.exe"), "rb") as back:
                    self.assertEqual(back.read(), unsigned.read())

    def test_refused(self):
        # (what, key, timestamp server, what the message says)
        for what, key, tsa_url, message in [
            ("a wrong password", self.pkcs12("wrong"), None, "cannot be read with the password"),
            ("a wrong PIN", self.pkcs11("0000"), None, "could not sign"),
            ("a timestamp server that does not answer", self.pkcs12("secret"),
             "http://127.0.0.1:9/", "no timestamp"),
        ]:
            with self.subTest(what), self.assertRaisesRegex(sign_exe.SigningError, message):
                sign_exe.sign(ARGS.exe, self.path("refused.exe"), key, None, tsa_url)
            self.assertFalse(os.path.exists(self.path("refused.exe")))

    def test_no_child_sees_the_pin(self):
        # osslsigncode and openssl, as sign_exe.py finds them, first write down what they
        # were given: their environment and their arguments.
        spy = self.path("spy")
        os.mkdir(spy)
        for tool in (sign_exe.TOOL, "openssl"):
            with open(os.path.join(spy, tool), "w") as f:
                f.write('#!/bin/sh\n{ env; echo "$@"; } >"%s/seen.$$"\nexec %s "$@"\n'
                        % (spy, shutil.which(tool)))
            os.chmod(os.path.join(spy, tool), 0o755)
        env = dict(os.environ, PATH=spy + os.pathsep + os.environ["PATH"], VARNITE_SIGN_PIN=PIN,
                   VARNITE_SIGN_PKCS11_MODULE=MODULE, VARNITE_SIGN_PKCS11_KEY=TOKEN_KEY,
                   VARNITE_SIGN_CERT=self.path("chain.pem"))
        result = subprocess.run([sys.executable, os.path.join(SCRIPTS, "sign_exe.py"), "sign",
                                 ARGS.exe, self.path("spied.exe")],
                                env=env, capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        seen = glob.glob(os.path.join(spy, "seen.*"))
        self.assertGreaterEqual(len(seen), 3)  # sign, verify, remove-signature
        for name in seen:
            with open(name) as f:
                self.assertNotIn(PIN, f.read(), name)

    def test_signed_exe_starts(self):
        if not ARGS.driver:
            self.skipTest("no --driver given")
        folder = self.path("run")
        os.mkdir(folder)
        for built in [ARGS.driver] + glob.glob(os.path.join(os.path.dirname(ARGS.driver), "*.dll")):
            shutil.copy(built, folder)
        shutil.copy(self.path("signed.exe"), os.path.join(folder, "Varnite.exe"))
        result = subprocess.run([ARGS.wine_run, os.path.join(folder, os.path.basename(ARGS.driver)),
                                 "start_up_state"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.assertEqual(result.returncode, 0, result.stdout)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("--exe", "--driver", "--wine-run"):
        parser.add_argument(option, required=option == "--exe")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
