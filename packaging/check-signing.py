# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Signing, with a code-signing certificate that the test makes itself: cpack
signs talven.exe (in the installer and in the ZIP alike) and the installer;
osslsigncode verify accepts each against that certificate, and refuses a file
changed after signing.   check-signing.py BUILD_FOLDER"""
import glob, os, subprocess, sys, tempfile, unittest, zipfile

BUILD = sys.argv[1]


def run(*command, cwd=None, env=None):
    return subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True, timeout=600)


class Signing(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="talven-signing-")
        self.addCleanup(run, "rm", "-rf", self.folder)
        self.certificate = f"{self.folder}/certificate.pem"
        key, pkcs12 = f"{self.folder}/key.pem", f"{self.folder}/certificate.p12"
        for command in [("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                         "-subj", "/CN=TALVEN test signing", "-keyout", key,
                         "-out", self.certificate, "-addext", "keyUsage=digitalSignature",
                         "-addext", "extendedKeyUsage=codeSigning"),
                        ("openssl", "pkcs12", "-export", "-inkey", key, "-in", self.certificate,
                         "-out", pkcs12, "-passout", "pass:a secret")]:
            self.assertEqual(run(*command).returncode, 0, command)
        self.env = dict(os.environ, TALVEN_SIGN_PKCS12=pkcs12, TALVEN_SIGN_PASSWORD="a secret")
        self.env.pop("TALVEN_SIGN_TIMESTAMP", None)

    def verify(self, path):
        done = run("osslsigncode", "verify", "-CAfile", self.certificate, "-in", path)
        return done.returncode == 0, done.stdout + done.stderr

    def test_signed_files_verify_and_a_changed_one_does_not(self):
        packed = run("cpack", "-B", f"{self.folder}/packages", cwd=BUILD, env=self.env)
        self.assertEqual(packed.returncode, 0, packed.stdout + packed.stderr)
        installer = glob.glob(f"{self.folder}/packages/TALVEN-*-win64.exe")
        portable = glob.glob(f"{self.folder}/packages/TALVEN-*-win64.zip")
        self.assertEqual((len(installer), len(portable)), (1, 1))
        with zipfile.ZipFile(portable[0]) as archive:
            name = next(name for name in archive.namelist() if name.endswith("bin/talven.exe"))
            program = archive.extract(name, self.folder)
        for path in (installer[0], program):
            ok, told = self.verify(path)
            self.assertTrue(ok, f"{path}: {told}")
        with open(program, "r+b") as changed:  # one octet of the code
            changed.seek(os.path.getsize(program) // 3)
            octet = changed.read(1)
            changed.seek(-1, os.SEEK_CUR)
            changed.write(bytes([octet[0] ^ 0xFF]))
        self.assertFalse(self.verify(program)[0])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
