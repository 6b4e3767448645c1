# SPDX-License-Identifier: MIT
# The Windows installer under wine, as a Windows user meets it: installed for every user, started
# from where it was installed, replaced by a newer version, refused over a newer one, and removed.
#
# Set by scripts/stages/60-windows.sh besides what test_win32.py reads: CORVANE_MSI (the
# installer the msi target built) and CORVANE_MSI_NEWER (the same, built at a higher version).
# Windows Installer compares only the first three fields of a version, so nothing is older than
# the product's 0.0.0.1: the product is the older of the two here.

import os
import pathlib
import subprocess
import unittest

from Xlib import X

from harness import ASSETS_DIR, LOGIN, USERNAME_BOX, wait_for
from test_win32 import BINARY, WINE, WINDOWS_FOLDER, Win32Desktop, windows_path

PRODUCT = os.environ.get("CORVANE_MSI", "")
NEWER = os.environ.get("CORVANE_MSI_NEWER", "")
WINE64 = "/usr/lib/wine/wine64"
DOWNGRADE_REFUSED = ("A newer version of Corvane is already installed. Remove it first to install "
                     "this one.")
# The title of wine's box for a failed installation.
REFUSED_TITLE = "Install Failed"


def msi_property(msi, name):
    # A property of an installer, read with msitools.
    rows = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, text=True,
                          check=True).stdout.splitlines()
    return dict(row.split("\t", 1) for row in rows[3:])[name]


def is_64_bit(msi):
    # The summary's template names the platform: "x64;1033", or "Intel;1033" for x86.
    summary = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True, text=True,
                             check=True).stdout
    return "Template: x64;" in summary


class InstallerTest(Win32Desktop):

    def setUp(self):
        self.assertTrue(PRODUCT and NEWER, "set CORVANE_MSI and CORVANE_MSI_NEWER")
        super().setUp()
        drive_c = os.path.dirname(WINDOWS_FOLDER)
        wide = is_64_bit(PRODUCT)
        self.folder = os.path.join(drive_c, "Program Files" if wide else "Program Files (x86)",
                                   "Corvane")
        self.uninstall_key = (r"HKLM\Software%s\Microsoft\Windows\CurrentVersion\Uninstall"
                              % ("" if wide else r"\Wow6432Node"))
        # Wine may put the machine's Start-menu shortcut in the user's Start menu.
        self.shortcuts = [os.path.join(drive_c, root, r"Microsoft/Windows/Start Menu/Programs",
                                       "Corvane.lnk")
                          for root in ("ProgramData", "users/%s/AppData/Roaming"
                                       % os.environ.get("USER", "root"))]

    def msiexec(self, *args):
        # msiexec's exit status: 0 for success, 1603 for an installation that failed.
        return subprocess.run([WINE64, "msiexec", *args, "/qn"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=120).returncode

    def values(self, key):
        # The values of a registry key, as text; None without the key.
        result = self.wine("reg", "query", key)
        if result.returncode:
            return None
        rows = [line.split(None, 2) for line in result.stdout.decode("latin-1").splitlines()]
        return {row[0]: row[2] for row in rows if len(row) == 3 and row[1].startswith("REG_")}

    def entry(self, msi):
        # The installer's entry in Add or Remove Programs, which shows the name, the version, the
        # publisher and the product's icon; None without one.
        code = msi_property(msi, "ProductCode")
        entry = self.values(self.uninstall_key + "\\" + code)
        if entry is not None:
            # Windows Installer keeps the product's icon (ARPPRODUCTICON) with the product.
            digits = code.strip("{}").replace("-", "")
            packed = digits[7::-1] + digits[11:7:-1] + digits[15:11:-1] + "".join(
                digits[i + 1] + digits[i] for i in range(16, 32, 2))
            entry["icon"] = self.values(r"HKLM\Software\Classes\Installer\Products\\" +
                                        packed)["ProductIcon"]
        return entry

    def installed(self):
        # The installed files: the program's bytes, the icon the entry shows, the shortcut's.
        program = os.path.join(self.folder, "CV Example.exe")
        shortcuts = [path for path in self.shortcuts if os.path.exists(path)]
        return dict(program=os.path.exists(program) and pathlib.Path(program).read_bytes(),
                    shortcuts=len(shortcuts),
                    shortcut_target=bool(shortcuts) and
                    b"CV Example.exe" in pathlib.Path(shortcuts[0]).read_bytes())

    def assertInstalled(self, msi, version, other):
        entry = self.entry(msi)
        self.assertEqual({key: entry.get(key) for key in ("DisplayName", "DisplayVersion",
                                                           "Publisher")},
                         {"DisplayName": "Corvane", "DisplayVersion": version, "Publisher": "na"})
        icon = self.unix_path(entry["icon"])
        with open(icon, "rb") as f, open(os.path.join(ASSETS_DIR, "corvane.ico"), "rb") as g:
            self.assertEqual(f.read(), g.read(), "the entry's icon")
        self.assertIsNone(self.entry(other), "the other version's entry")
        with open(BINARY, "rb") as f:
            self.assertEqual(self.installed(), dict(program=f.read(), shortcuts=1,
                                                    shortcut_target=True))

    def unix_path(self, path):
        # A path of the prefix's drive C: on this machine.
        self.assertTrue(path.upper().startswith("C:\\"), path)
        return os.path.join(os.path.dirname(WINDOWS_FOLDER), *path[3:].split("\\"))

    def refusal_box(self):
        # The installer's box, shown by whichever of its processes runs the installation.
        for window in self.root.query_tree().children:
            if self.title(window) == REFUSED_TITLE and \
                    window.get_attributes().map_state == X.IsViewable:
                return window
        return None

    def start_installed(self):
        return self.start(command=[WINE, os.path.join(self.folder, "CV Example.exe")])

    def test_install_upgrade_refused_downgrade_and_removal(self):
        self.assertEqual(self.msiexec("/i", windows_path(PRODUCT)), 0)
        self.assertInstalled(PRODUCT, "0.0.0.1", NEWER)
        # Started from where it was installed, it stores a name.
        self.start_installed()
        self.replace_text(USERNAME_BOX, "ann")
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "ann", "the name to be stored")
        self.exit_program()

        # A newer version replaces it: one entry is left, and the name comes back.
        self.assertEqual(self.msiexec("/i", windows_path(NEWER)), 0)
        self.assertInstalled(NEWER, "0.0.1.0", PRODUCT)
        self.start_installed()
        self.assertEqual(self.box_text(USERNAME_BOX), "ann")
        self.exit_program()

        # The older one is refused over it, with its message, and changes nothing. (Under wine a
        # program's exit status keeps only its low 8 bits: 1603 reads as 67.)
        self.process = subprocess.Popen([WINE64, "msiexec", "/i", windows_path(PRODUCT), "/qb"],
                                        env=self.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        box = wait_for(self.refusal_box, "the installer's box")
        self.assertEqual([(b["text"], b["buttons"]) for b in self.inspect("boxes", REFUSED_TITLE)],
                         [(DOWNGRADE_REFUSED, ["OK"])])
        self.key("Return", window=box)
        self.assertEqual(self.exit_status(), 1603 & 0xFF)
        self.assertInstalled(NEWER, "0.0.1.0", PRODUCT)

        # Removed, it leaves nothing it installed, and the user's name where it was.
        self.assertEqual(self.msiexec("/x", msi_property(NEWER, "ProductCode")), 0)
        self.assertEqual((self.entry(NEWER), self.installed(), os.path.exists(self.folder)),
                         (None, dict(program=False, shortcuts=0, shortcut_target=False), False))
        self.assertEqual(self.stored_name(), "ann")


if __name__ == "__main__":
    unittest.main()
