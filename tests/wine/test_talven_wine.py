# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""The Windows program under Wine, installed silently into a prefix of the
test's own. COM5 and COM6 are Wine's device links to pseudo-terminals whose
far ends are read octet by octet; a warning box is read with Ctrl+C, which
copies its text on Windows.   test_talven_wine.py INSTALLER PORTABLE_ZIP"""
import datetime, functools, glob, operator, os, pathlib, pty, re, select, stat, subprocess, sys
import tempfile, termios, time, unittest, zipfile
from PIL import ImageGrab

INSTALLER, PORTABLE_ZIP = sys.argv[1:3]
SETTINGS = r"HKCU\Software\VB and VBA Program Settings\TALVEN\Startup"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TALVEN"
INSTALLED_ROOT = r"C:\Program Files\TALVEN"
INSTALLED = INSTALLED_ROOT + r"\bin"
def pairs_of_today():
    """A then B of today, or of tomorrow should midnight pass."""
    def pair(day):
        body = bytes([0x47, 0x62, day.month, day.day, day.year // 256, day.year % 256]) + bytes(6)
        head = b"@@" + body + bytes([functools.reduce(operator.xor, body)]) + b"\r\n\x1b"
        return head + b"\xfa\x85" + head + b"$KT-302M"
    today = datetime.date.today()
    return {pair(today), pair(today + datetime.timedelta(days=1))}


def run(*command, env=None, check=True):
    done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    if check and done.returncode != 0:
        raise AssertionError(f"{command}: {done.stdout}{done.stderr}")
    return done.stdout


def wait_for(condition, timeout=60.0):
    deadline = time.monotonic() + timeout
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.2)
    return condition()


def windows(title):
    return run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False).split()


def keys(window, *names):
    run("xdotool", "windowfocus", "--sync", window)
    for name in names:
        run("xdotool", "key", "--clearmodifiers", name)
        time.sleep(0.3)


def copied(window, *names):
    """The text that pressing the keys `names` in `window` copies, as xclip reads it."""
    subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)  # xclip stays on
    keys(window, *names)
    return run("xclip", "-selection", "clipboard", "-o", check=False)


class PseudoTerminal:
    def __init__(self):
        self.controller, self.device = pty.openpty()
        self.name = os.ttyname(self.device)

    def read(self, timeout=3.0):
        received, deadline = b"", time.monotonic() + timeout
        while len(received) < 46 and select.select([self.controller], [], [],
                                                   max(0, deadline - time.monotonic()))[0]:
            received += os.read(self.controller, 1)
        return received

    def line(self):
        attributes = termios.tcgetattr(self.device)
        return attributes[5], attributes[2] & (termios.CSIZE | termios.PARENB | termios.CSTOPB)


class TalvenUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = tempfile.TemporaryDirectory(prefix="talven-wine-")
        fonts = os.path.join(cls.prefix.name, "fonts.conf")  # Wine's own fonts, none of Debian's
        pathlib.Path(fonts).write_text("<fontconfig/>\n")
        cls.env = dict(os.environ, WINEPREFIX=cls.prefix.name, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", FONTCONFIG_FILE=fonts)
        cls.ports = {5: PseudoTerminal(), 6: PseudoTerminal()}
        # Windows refuses a COM port that another program holds as "access
        # denied". Wine lets a second program open it, so COM7 is a device
        # that Wine may not open at all: a node on a file system mounted
        # nodev, which refuses even root.
        cls.nodev = tempfile.TemporaryDirectory(prefix="talven-nodev-")
        cls.refused = os.geteuid() == 0 and not subprocess.run(
            ["mount", "-t", "tmpfs", "-o", "nodev", "tmpfs", cls.nodev.name]).returncode
        if cls.refused:
            os.mknod(f"{cls.nodev.name}/ttyS7", 0o666 | stat.S_IFCHR, os.makedev(5, 0))
        # Wine finds a prefix's server by the folder's inode, which a new
        # folder takes over from one just removed: a server left by an earlier
        # run would take this prefix's registry into its deleted one.
        cls.end_wineserver()
        cls.wine("wineboot", "--init")
        for number, device in [(5, cls.ports[5].name), (6, cls.ports[6].name),
                               (7, f"{cls.nodev.name}/ttyS7")]:
            cls.wine("reg", "add", r"HKLM\Software\Wine\Ports", "/v", f"COM{number}", "/d",
                     device, "/f")
        cls.end_wineserver()  # Wine links the COM ports when it starts again
        cls.license_page = cls.read_license_page()
        cls.wine(INSTALLER, "/S")

    @classmethod
    def tearDownClass(cls):
        cls.end_wineserver()  # before the prefix goes, so that no server outlives it
        cls.prefix.cleanup()
        if cls.refused:
            run("umount", cls.nodev.name)
        cls.nodev.cleanup()

    @classmethod
    def read_license_page(cls):
        """The text the installer shows on its license page, the page after its welcome,
        copied with Ctrl+A and Ctrl+C; the installer is then ended."""
        installer = subprocess.Popen(["wine", INSTALLER], env=cls.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        try:
            if not wait_for(lambda: windows("TALVEN Setup")):
                return "no window 'TALVEN Setup' came"
            page = windows("TALVEN Setup")[0]
            keys(page, "Return")  # Next
            wait_for(lambda: len(copied(page, "ctrl+a", "ctrl+c")) > 1000, 20)
            return copied(page, "ctrl+a", "ctrl+c")
        finally:
            installer.kill()
            installer.wait()

    @classmethod
    def end_wineserver(cls):
        for stop in ["-k", "-w"]:
            run("wineserver", stop, env=cls.env, check=False)

    @classmethod
    def wine(cls, *arguments, check=True):
        return run("wine", *arguments, env=cls.env, check=check)

    def stored(self):
        """The stored port number as (type, data), as reg shows them."""
        value = self.wine("reg", "query", SETTINGS, "/v", "Orvcomm", check=False).split()[-2:]
        if value[:1] == ["REG_DWORD"]:
            return value[0], str(int(value[1], 16))
        return tuple(value)

    def stop(self):
        if getattr(self, "process", None):
            self.process.terminate()
            self.process.wait(30)
            self.process = None
            wait_for(lambda: not windows("GPS Date Initialization"), 10)

    def start(self, stored, program=INSTALLED + r"\talven.exe"):
        """The main window of a new run, and the text of each box shown before it."""
        self.stop()  # an earlier run's window would pass for this one's
        self.wine("reg", "add", SETTINGS, "/v", "Orvcomm", "/t", stored[0], "/d", stored[1], "/f")
        self.log = os.path.join(self.prefix.name, "talven.log")  # Wine's messages of the run
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(["wine", program], stdout=subprocess.DEVNULL,
                                            stderr=log, env=dict(self.env,
                                                                 WINEDEBUG="err+all,warn+seh"))
        self.addCleanup(self.stop)
        boxes = []
        def shown():
            for box in windows("TALVEN"):
                boxes.append(copied(box, "ctrl+c"))
                keys(box, "Return")
                wait_for(lambda: box not in windows("TALVEN"), 10)
            return windows("GPS Date Initialization")
        self.assertTrue(wait_for(shown), self.not_shown("GPS Date Initialization", boxes))
        time.sleep(1)
        shown()  # and none after it
        return shown()[0], boxes

    def not_shown(self, title, boxes):
        """What there was when the window `title` did not come."""
        there = [f"{window} {run('xdotool', 'getwindowname', window, check=False).strip()!r}"
                 for window in run("xdotool", "search", "--onlyvisible", "--name", "",
                                   check=False).split()]
        state = "still runs" if self.process.poll() is None else f"ended ({self.process.returncode})"
        messages = pathlib.Path(self.log).read_text(errors="replace")[-4000:]
        return (f"no window {title!r} came within 60 s; the boxes read before: {boxes}; the "
                f"windows there: {there or 'none'}; talven.exe {state}; its last Wine "
                f"messages:\n{messages}")

    def test_installed_files_menu_entry_and_uninstaller(self):
        folder = run("winepath", "-u", INSTALLED, env=self.env).strip()
        for name in ("talven.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6SerialPort.dll "
                     "libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll "
                     "platforms/qwindows.dll styles/qwindowsvistastyle.dll ../licenses/README.txt").split():
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)
        menu = glob.glob(f"{self.prefix.name}/drive_c/**/GPS Date Initialization.lnk",
                         recursive=True)
        self.assertEqual(len(menu), 1, menu)
        entry = self.wine("reg", "query", UNINSTALL)
        self.assertIn("DisplayName    REG_SZ    TALVEN", entry)
        self.addCleanup(self.wine, INSTALLER, "/S")  # again, for the other tests
        self.wine(entry.split("UninstallString    REG_SZ    ")[1].split("\n")[0].strip('"'), "/S")
        self.assertTrue(wait_for(lambda: not os.path.exists(f"{folder}/talven.exe")))
        self.assertNotIn("TALVEN", self.wine("reg", "query", UNINSTALL, check=False))

    def test_start_on_the_stored_port_click_and_choose(self):
        window, boxes = self.start(("REG_SZ", "5"))
        self.assertEqual(boxes, [])
        self.assertEqual(self.ports[5].line(), (termios.B9600, termios.CS8))  # while held
        run("xdotool", "mousemove", "--window", window, "112", "140", "click", "1")
        self.assertIn(self.ports[5].read(), pairs_of_today())
        keys(window, "Tab", "Down")  # to the list, then Com6
        self.assertTrue(wait_for(lambda: self.stored() == ("REG_SZ", "6"), 10), self.stored())
        keys(window, "Tab", "space")
        self.assertIn(self.ports[6].read(), pairs_of_today())
        self.assertEqual(self.ports[5].read(0.5) + self.ports[6].read(0.5), b"")

    def test_label_and_caption_whole_at_96_and_144_dpi(self):
        """As wide as the font the program carries draws them (Wine's fonts: empty boxes), and
        short of the edges of the label's box and the button's face, which a cut text reaches."""
        desktop = r"HKCU\Control Panel\Desktop"
        self.addCleanup(self.wine, "reg", "delete", desktop, "/v", "LogPixels", "/f", check=False)
        for dpi, size, widths in [(96, "225x187", [56, 86]), (144, "338x281", [84, 129])]:
            with self.subTest(dpi=dpi):
                self.wine("reg", "add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                          str(dpi), "/f")
                window = self.start(("REG_SZ", "5"))[0]
                keys(window, "Tab")  # the button's focus frame away
                geometry = run("xdotool", "getwindowgeometry", window)
                self.assertIn(f"Geometry: {size}", geometry)
                left, top = map(int, re.search(r"Position: (\d+),(\d+)", geometry).groups())
                screen, found = ImageGrab.grab(xdisplay=os.environ["DISPLAY"]), []
                for box in [(24, 88, 97, 105), (58, 130, 167, 151)]:  # at 96 dpi
                    x0, y0, x1, y1 = (round(value * dpi / 96) for value in box)
                    dark = [x for x in range(x0, x1) if any(
                        screen.getpixel((left + x, top + y))[1] < 128 for y in range(y0, y1))]
                    found.append((x0 < dark[0] and dark[-1] < x1 - 1, dark[-1] - dark[0] + 1))
                self.assertEqual(found, [(True, width) for width in widths])

    def test_one_box_for_a_bad_stored_value_a_missing_or_a_held_port(self):
        self.assertTrue(self.refused, "a nodev file system for COM7 needs root to mount it")
        for stored, told in [(("REG_DWORD", "5"), "is a REG_DWORD value, not text"),
                             (("REG_SZ", "five"), '"five" in HKEY_CURRENT_USER'),
                             (("REG_SZ", "9"), "Com9 (COM9) is not there: plug the device in or "
                              "switch it on, then choose the port again. This machine's serial "
                              "ports: Com1 (COM1), Com5 (COM5), Com6 (COM6), Com7 (COM7)."),
                             (("REG_SZ", "7"), "Com7 (COM7) could not be opened: it is in use by "
                              "another program.")]:
            with self.subTest(stored=stored):
                boxes = self.start(stored)[1]
                self.assertEqual(len(boxes), 1, boxes)
                self.assertIn(told, boxes[0])
                self.assertEqual(self.stored(), stored)  # nothing written

    def test_installer_shows_talvens_license(self):
        with open(os.path.join(os.path.dirname(__file__), "../../LICENSE"), encoding="utf-8") as text:
            page = self.license_page.split("\0")[0]  # Wine's copy ends in a NUL and more
            self.assertEqual(" ".join(page.split()), " ".join(text.read().split()))

    def test_portable_folder_runs_from_anywhere(self):
        folder = tempfile.TemporaryDirectory(prefix="talven-stick-")
        self.addCleanup(folder.cleanup)
        zipfile.ZipFile(PORTABLE_ZIP).extractall(folder.name)
        program = glob.glob(f"{folder.name}/*/bin/talven.exe")[0]
        window, boxes = self.start(("REG_SZ", "6"), program)
        keys(window, "space")
        self.assertEqual((self.ports[6].read() in pairs_of_today(), boxes), (True, []))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
