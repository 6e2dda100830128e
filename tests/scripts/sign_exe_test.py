"""Tests of scripts/sign_exe.py with a certificate authority made for the test by openssl
(no key is kept anywhere): what verifies and what does not, and that removing the signature
gives back the unsigned exe byte for byte.

    sign_exe_test.py --exe FILE [--driver UI_DRIVER --wine-run SCRIPT] [unittest options]

--exe is the Varnite.exe to sign. With --driver, the end-to-end driver also starts a signed
copy of it (under SCRIPT, which runs a Windows program) and checks its window at start.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import sign_exe  # noqa: E402

OPTIONS = {"--exe": None, "--driver": None, "--wine-run": None}
EPOCH = 1700000000


def openssl(*arguments, cwd):
    subprocess.run(["openssl"] + list(arguments), cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_keys(folder):
    """ca.pem, other-ca.pem, signer.p12 (password "secret", with ca.pem in it) and tsa.pem
    with tsa.key, the last two issued by ca.pem for signing code and for timestamps."""
    for ca in ("ca", "other-ca"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + ca,
                "-keyout", ca + ".key", "-out", ca + ".pem", "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign", cwd=folder)
    for name, usage in (("signer", "codeSigning"), ("tsa", "critical,timeStamping")):
        with open(os.path.join(folder, name + ".cnf"), "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                    "extendedKeyUsage=%s\n" % usage)
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + name, "-keyout", name + ".key",
                "-out", name + ".csr", cwd=folder)
        openssl("x509", "-req", "-in", name + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-days", "2",
                "-set_serial", str(len(name)), "-extfile", name + ".cnf", "-out", name + ".pem", cwd=folder)
    openssl("pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.pem", "-certfile", "ca.pem",
            "-passout", "pass:secret", "-out", "signer.p12", cwd=folder)


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.folder = folder = cls.tmp.name
        make_keys(folder)
        cls.exe = OPTIONS["--exe"]
        sign_exe.sign(cls.exe, cls.path("signed.exe"), cls.path("signer.p12"), "secret", EPOCH)
        # A timestamp as a TSA would give it, from the throwaway TSA (no network).
        subprocess.run([sign_exe.TOOL, "sign", "-pkcs12", cls.path("signer.p12"), "-pass", "secret",
                        "-h", "sha256", "-TSA-certs", cls.path("tsa.pem"), "-TSA-key", cls.path("tsa.key"),
                        "-in", cls.exe, "-out", cls.path("timestamped.exe")],
                       check=True, stdout=subprocess.DEVNULL)
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
        return os.path.join(cls.folder, name)

    def test_verification(self):
        # (what, file, CA file, TSA's CA file, verifies)
        for what, name, ca, tsa_ca, verifies in [
            ("signed, against its CA", "signed.exe", "ca.pem", None, True),
            ("signed, against another CA", "signed.exe", "other-ca.pem", None, False),
            ("one byte flipped", "flipped.exe", "ca.pem", None, False),
            ("timestamped, the TSA's CA given", "timestamped.exe", "ca.pem", "ca.pem", True),
            # osslsigncode exits 0 here: only its report says the timestamp failed.
            ("timestamped, the TSA's CA not given", "timestamped.exe", "ca.pem", "other-ca.pem", False),
        ]:
            with self.subTest(what):
                ok, report = sign_exe.verify(self.path(name), self.path(ca), tsa_ca and self.path(tsa_ca))
                self.assertEqual(ok, verifies, report)

    def test_removing_the_signature_gives_back_the_exe(self):
        with open(self.exe, "rb") as f:
            unsigned = f.read()
        for name in ("signed.exe", "timestamped.exe"):
            with self.subTest(name):
                sign_exe.unsign(self.path(name), self.path("back.exe"))
                with open(self.path("back.exe"), "rb") as f:
                    self.assertEqual(f.read(), unsigned)

    def test_refused(self):
        # (what, password, timestamp server, what the message says)
        for what, password, tsa_url, message in [
            ("a wrong password", "wrong", None, "cannot be read with the password"),
            ("a timestamp server that does not answer", "secret", "http://127.0.0.1:9/", "no timestamp"),
        ]:
            with self.subTest(what), self.assertRaisesRegex(sign_exe.SigningError, message):
                sign_exe.sign(self.exe, self.path("refused.exe"), self.path("signer.p12"), password,
                              EPOCH, tsa_url)
            self.assertFalse(os.path.exists(self.path("refused.exe")))

    def test_signed_exe_starts(self):
        if not OPTIONS["--driver"]:
            self.skipTest("no --driver given")
        folder = self.path("run")
        os.mkdir(folder)
        driver = os.path.join(folder, os.path.basename(OPTIONS["--driver"]))
        for dll in glob.glob(os.path.join(os.path.dirname(OPTIONS["--driver"]), "*.dll")):
            shutil.copy(dll, folder)
        shutil.copy(OPTIONS["--driver"], driver)
        shutil.copy(self.path("signed.exe"), os.path.join(folder, "Varnite.exe"))
        result = subprocess.run([OPTIONS["--wine-run"], driver, "start_up_state"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
        self.assertEqual(result.returncode, 0, result.stdout)


if __name__ == "__main__":
    arguments = [sys.argv[0]]
    rest = iter(sys.argv[1:])
    for argument in rest:
        if argument in OPTIONS:
            OPTIONS[argument] = next(rest)
        else:
            arguments.append(argument)
    if not OPTIONS["--exe"]:
        sys.exit(__doc__)
    unittest.main(argv=arguments)
