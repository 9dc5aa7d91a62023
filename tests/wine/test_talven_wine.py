"""The Windows program under Wine, as a technician meets it.

The installer is installed silently into a Wine prefix of the test's own;
COM5 and COM6 are Wine's device links to pseudo-terminals whose far ends
the test reads octet by octet. The window is driven with the keyboard under
the X server the test runs in, and a warning box is read with Ctrl+C, which
copies its text on Windows.

    test_talven_wine.py INSTALLER PORTABLE_ZIP
"""

import datetime
import glob
import os
import pty
import select
import subprocess
import sys
import tempfile
import termios
import time
import unittest
import zipfile

INSTALLER, PORTABLE_ZIP = sys.argv[1:3]
SETTINGS_KEY = r"HKCU\Software\VB and VBA Program Settings\TALVEN\Startup"
INSTALLED = r"C:\Program Files\TALVEN\bin\talven.exe"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TALVEN"
WINDOW_TITLE = "GPS Date Initialization"


def frame(date):
    """The date frame and its checksum, then trailers A and B."""
    body = bytes([0x47, 0x62, date.month, date.day, date.year // 256, date.year % 256]) + bytes(6)
    checksum = 0
    for octet in body:
        checksum ^= octet
    head = b"@@" + body + bytes([checksum]) + b"\r\n\x1b"
    return head + b"\xfa\x85" + head + b"$KT-302M"


def today_pairs():
    today = datetime.date.today()
    return {frame(today), frame(today + datetime.timedelta(days=1))}


class Wine:
    """A Wine prefix of the test's own, with TALVEN installed."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory(prefix="talven-wine-")
        self.env = dict(os.environ, WINEPREFIX=self.folder.name, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.run("wineboot", "--init")

    def run(self, *command, check=True):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True,
                                timeout=300)
        if check and result.returncode != 0:
            raise AssertionError(f"{command} failed: {result.stdout}{result.stderr}")
        return result.stdout

    def wine(self, *arguments, check=True):
        return self.run("wine", *arguments, check=check)

    def unix_path(self, windows_path):
        return self.run("winepath", "-u", windows_path).strip()

    def link_com_port(self, number, device):
        self.wine("reg", "add", r"HKLM\Software\Wine\Ports", "/v", f"COM{number}", "/d",
                  device, "/f")

    def restart(self):
        """Wine makes its COM device links when it starts."""
        self.run("wineserver", "-k", check=False)
        self.run("wineserver", "-w", check=False)

    def stored(self):
        """The stored port number as (type, data) in reg's words, or None."""
        output = self.wine("reg", "query", SETTINGS_KEY, "/v", "Orvcomm", check=False)
        for line in output.splitlines():
            parts = line.split()
            if parts[:1] == ["Orvcomm"]:
                kind, data = parts[1], " ".join(parts[2:])
                return kind, str(int(data, 16)) if kind == "REG_DWORD" else data
        return None

    def store(self, kind, data):
        self.wine("reg", "add", SETTINGS_KEY, "/v", "Orvcomm", "/t", kind, "/d", data, "/f")


class PseudoTerminal:
    def __init__(self):
        self.controller, self.device = pty.openpty()
        self.name = os.ttyname(self.device)

    def read(self, timeout=3.0, count=46):
        """What arrives until `count` octets have, or the line is quiet."""
        received = b""
        deadline = time.monotonic() + timeout
        while len(received) < count:
            ready, _, _ = select.select([self.controller], [], [],
                                        max(0.0, deadline - time.monotonic()))
            if not ready:
                break
            received += os.read(self.controller, 1)
        return received

    def line_settings(self):
        iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(self.device)
        return (ospeed, cflag & termios.CSIZE, cflag & termios.PARENB, cflag & termios.CSTOPB)


def windows(title):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                           capture_output=True, text=True)
    return found.stdout.split()


def wait_for(condition, timeout=60.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    return condition()


def keys(window, *names):
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=10)
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True, timeout=10)
        time.sleep(0.3)


class Talven:
    """One run of TALVEN, with the warning boxes it showed."""

    def __init__(self, wine, program):
        self.wine = wine
        self.boxes = []
        self.process = subprocess.Popen(["wine", program], env=wine.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def window(self):
        """The main window, once shown; every box before it is read and closed."""
        def shown():
            for box in windows("TALVEN"):
                self.read_box(box)
            return windows(WINDOW_TITLE)
        found = wait_for(shown)
        if not found:
            raise AssertionError(f"the window did not show; boxes: {self.boxes}")
        time.sleep(1)
        for box in windows("TALVEN"):
            self.read_box(box)
        return found[0]

    def read_box(self, box):
        subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], check=True)
        keys(box, "ctrl+c")
        text = subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                              text=True).stdout
        self.boxes.append(text)
        keys(box, "Return")
        wait_for(lambda: box not in windows("TALVEN"), timeout=10)

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=30)


class TalvenUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()
        cls.ports = {5: PseudoTerminal(), 6: PseudoTerminal()}
        for number, port in cls.ports.items():
            cls.wine.link_com_port(number, port.name)
        cls.wine.restart()
        cls.wine.wine(INSTALLER, "/S")

    def start(self, program=INSTALLED):
        talven = Talven(self.wine, program)
        self.addCleanup(talven.close)
        return talven

    def test_installed_files_menu_entry_and_uninstaller(self):
        folder = self.wine.unix_path(r"C:\Program Files\TALVEN\bin")
        for name in ["talven.exe", "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll",
                     "Qt6SerialPort.dll", "libstdc++-6.dll", "libgcc_s_seh-1.dll",
                     "libwinpthread-1.dll", "platforms/qwindows.dll",
                     "styles/qwindowsvistastyle.dll"]:
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)
        menu = glob.glob(os.path.join(self.wine.folder.name, "drive_c", "**",
                                      "GPS Date Initialization.lnk"), recursive=True)
        self.assertEqual(len(menu), 1, menu)
        entry = self.wine.wine("reg", "query", UNINSTALL_KEY)
        self.assertIn("DisplayName    REG_SZ    TALVEN", entry)
        uninstaller = next(line.split("REG_SZ")[1].strip().strip('"')
                           for line in entry.splitlines() if "UninstallString" in line)

        self.wine.wine(uninstaller, "/S")
        program = os.path.join(folder, "talven.exe")
        self.assertTrue(wait_for(lambda: not os.path.exists(program), timeout=60), program)
        self.assertNotIn("TALVEN", self.wine.wine("reg", "query", UNINSTALL_KEY, check=False))
        self.wine.wine(INSTALLER, "/S")  # for the other tests
        self.assertTrue(os.path.isfile(program))

    def test_start_up_on_the_stored_port_press_and_choice(self):
        self.wine.store("REG_SZ", "5")
        talven = self.start()
        window = talven.window()
        self.assertEqual(talven.boxes, [])
        geometry = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True,
                                  text=True).stdout
        self.assertIn("Geometry: 225x187", geometry)
        self.assertEqual(self.ports[5].line_settings(),
                         (termios.B9600, termios.CS8, 0, 0))  # 9600 8N1, while held
        subprocess.run(["xdotool", "mousemove", "--window", window, "112", "140", "click", "1"],
                       check=True, timeout=10)  # the middle of the button
        self.assertIn(self.ports[5].read(), today_pairs())
        self.assertEqual(self.ports[6].read(timeout=0.5), b"")

        keys(window, "Tab", "Down")  # the list, then Com6
        self.assertEqual(wait_for(lambda: self.wine.stored() == ("REG_SZ", "6"), 10), True)
        keys(window, "Tab", "space")
        self.assertIn(self.ports[6].read(), today_pairs())
        self.assertEqual(self.ports[5].read(timeout=0.5), b"")
        self.assertEqual(talven.boxes, [])

    def test_one_box_for_a_bad_stored_value_or_a_missing_port(self):
        rows = {
            "a number stored as REG_DWORD": (("REG_DWORD", "5"), "is a REG_DWORD value"),
            "a text that is no number": (("REG_SZ", "five"), '"five"'),
            "a COM port the machine lacks": (("REG_SZ", "9"), "COM5"),
        }
        for row, (stored, told) in rows.items():
            with self.subTest(row):
                self.wine.store(*stored)
                talven = self.start()
                talven.window()
                talven.close()
                self.assertEqual(len(talven.boxes), 1, talven.boxes)
                self.assertIn(told, talven.boxes[0])
                self.assertEqual(self.wine.stored(), stored)  # nothing written

    def test_portable_folder_runs_from_anywhere(self):
        folder = tempfile.TemporaryDirectory(prefix="talven-stick-")
        self.addCleanup(folder.cleanup)
        with zipfile.ZipFile(PORTABLE_ZIP) as archive:
            archive.extractall(folder.name)
        program = glob.glob(os.path.join(folder.name, "*", "bin", "talven.exe"))[0]
        self.wine.store("REG_SZ", "6")
        talven = self.start(program)
        keys(talven.window(), "space")
        self.assertIn(self.ports[6].read(), today_pairs())
        self.assertEqual(talven.boxes, [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
