"""Tests of scripts/sign_exe.py against a certificate authority that openssl makes for the
test (no key is kept): what verifies and what does not, removing the signature, refusals.

    sign_exe_test.py --exe FILE [--driver UI_DRIVER --wine-run SCRIPT] [unittest options]

With --driver, the end-to-end driver also starts a signed copy of FILE under SCRIPT."""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import sign_exe  # noqa: E402

# Two CAs; a code signing key from the first in signer.p12 (with that CA), and a timestamp
# authority's key from it.
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
]
ARGS = None


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        for command in KEYS:
            subprocess.run(["openssl"] + command.split(), cwd=cls.tmp.name, check=True,
                           capture_output=True)
        sign_exe.sign(ARGS.exe, cls.path("signed.exe"), cls.path("signer.p12"), "secret",
                      1700000000)
        # A timestamp from the throwaway authority, as a server would give it.
        subprocess.run([sign_exe.TOOL, "sign", "-pkcs12", "signer.p12", "-pass", "secret",
                        "-h", "sha256", "-TSA-certs", "tsa.pem", "-TSA-key", "tsa.key",
                        "-in", os.path.abspath(ARGS.exe), "-out", "timestamped.exe"],
                       cwd=cls.tmp.name, check=True, capture_output=True)
        with open(cls.path("signed.exe"), "rb") as f:
            flipped = bytearray(f.read())
        flipped[len(flipped) // 3] ^= 1
        with open(cls.path("flipped.exe"), "wb") as f:
            f.write(flipped)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    @classmethod
    def path(cls, name):
        return os.path.join(cls.tmp.name, name)

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
        ]:
            with self.subTest(what):
                ok, report = sign_exe.verify(self.path(name), self.path(ca),
                                             tsa_ca and self.path(tsa_ca))
                self.assertEqual(ok, verifies, report)

    def test_removing_the_signature_gives_back_the_exe(self):
        for name in ("signed.exe", "timestamped.exe"):
            with self.subTest(name), open(ARGS.exe, "rb") as unsigned:
                sign_exe.unsign(self.path(name), self.path("back.exe"))
                with open(self.path("back.exe"), "rb") as back:
                    self.assertEqual(back.read(), unsigned.read())

    def test_refused(self):
        # (what, password, timestamp server, what the message says)
        for what, password, tsa_url, message in [
            ("a wrong password", "wrong", None, "cannot be read with the password"),
            ("a timestamp server that does not answer", "secret", "http://127.0.0.1:9/",
             "no timestamp"),
        ]:
            with self.subTest(what), self.assertRaisesRegex(sign_exe.SigningError, message):
                sign_exe.sign(ARGS.exe, self.path("refused.exe"), self.path("signer.p12"), password,
                              None, tsa_url)
            self.assertFalse(os.path.exists(self.path("refused.exe")))

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
