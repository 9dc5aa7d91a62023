# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""What the Windows program files tell Windows and what they ship, read with
pefile without running them: the version strings of talven.exe and of the
installer, talven.exe's manifest, that every DLL imported is shipped or part
of Windows, and that licenses/README.txt names every program file shipped,
with license texts that are there. It reads the portable ZIP, which holds the
files that the installer installs.
  check-windows-files.py INSTALLER PORTABLE_ZIP VERSION"""
import glob, os, re, sys, tempfile, unittest, zipfile
from xml.etree import ElementTree

import pefile

INSTALLER, PORTABLE_ZIP, VERSION = sys.argv[1:4]
PUBLISHER = {"CompanyName": "The TALVEN developers", "ProductName": "TALVEN",
             "LegalCopyright": "Copyright (C) 2026 The TALVEN developers",
             "FileVersion": VERSION, "ProductVersion": VERSION}
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
# What every 64-bit Windows 10 (1809 and later) and Windows 11 has in System32.
WINDOWS_DLLS = {dll.lower() + ".dll" for dll in """advapi32 authz comctl32 comdlg32 d3d9 d3d11
    dwmapi dxgi gdi32 imm32 kernel32 mpr msvcrt netapi32 ole32 oleaut32 setupapi shcore shell32
    shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32 api-ms-win-core-synch-l1-2-0
    api-ms-win-core-winrt-l1-1-0 api-ms-win-core-winrt-string-l1-1-0""".split()}


def version_strings(path):
    """The version resource's strings, and its fixed version as text."""
    pe = pefile.PE(path)
    strings = {key.decode(): value.decode() for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
               for table in info.StringTable for key, value in table.entries.items()}
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16)
    return strings, ".".join(map(str, numbers))


def manifest(path):
    pe = pefile.PE(path)
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            data = kind.directory.entries[0].directory.entries[0].data.struct
            return ElementTree.fromstring(pe.get_data(data.OffsetToData, data.Size))
    raise AssertionError(f"{path} has no manifest")


def imported_dlls(path):
    pe = pefile.PE(path)
    entries = getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    return {entry.dll.decode().lower() for entry in entries}


class WindowsFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.unpacked = tempfile.TemporaryDirectory(prefix="talven-zip-")
        zipfile.ZipFile(PORTABLE_ZIP).extractall(cls.unpacked.name)
        cls.folder = glob.glob(f"{cls.unpacked.name}/*")[0]
        cls.files = {os.path.relpath(path, cls.folder): path
                     for path in glob.glob(f"{cls.folder}/**/*", recursive=True)
                     if path.lower().endswith((".exe", ".dll"))}

    @classmethod
    def tearDownClass(cls):
        cls.unpacked.cleanup()

    def test_program_files_tell_windows_what_they_are(self):
        program = self.files["bin/talven.exe"]
        for path, told in [(program, dict(PUBLISHER, FileDescription="GPS Date Initialization",
                                          OriginalFilename="talven.exe")),
                           (INSTALLER, dict(PUBLISHER, OriginalFilename=os.path.basename(INSTALLER)))]:
            strings, fixed = version_strings(path)
            self.assertEqual(({key: strings.get(key) for key in told}, fixed), (told, VERSION), path)
        found = manifest(program)
        asm3, compatibility = "{urn:schemas-microsoft-com:asm.v3}", "{urn:schemas-microsoft-com:compatibility.v1}"
        self.assertEqual(
            (found.find(f".//{asm3}requestedExecutionLevel").get("level"),
             [os.get("Id") for os in found.iter(f"{compatibility}supportedOS")],
             [awareness.text for awareness in found.iter("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness")]),
            ("asInvoker", [WINDOWS_10_AND_11], ["PerMonitorV2"]))

    def test_every_dll_imported_is_shipped_or_part_of_windows(self):
        shipped = {os.path.basename(name).lower() for name in self.files}
        missing = {f"{name} imports {dll}" for name, path in self.files.items()
                   for dll in imported_dlls(path) - shipped - WINDOWS_DLLS}
        self.assertEqual(({"bin/talven.exe", "bin/platforms/qwindows.dll"} <= set(self.files), missing),
                         (True, set()))

    def test_every_file_shipped_is_named_with_its_license(self):
        with open(f"{self.folder}/licenses/README.txt", encoding="utf-8") as readme:
            told = readme.read()
        named = {name for line in told.splitlines() if not line.startswith(" ") for name in line.split()}
        shipped = {name for name in self.files if name.startswith("bin/")}
        texts = re.findall(r"\[([^]]+)\]", told)
        self.assertEqual((len(shipped) > 8, shipped - named,
                          [text for text in texts if not os.path.isfile(f"{self.folder}/licenses/{text}")]),
                         (True, set(), []))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
