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
from test_win32 import BINARY, WINE, WINDOWS_FOLDER, Win32Desktop, system_folder, windows_path

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


class InstallerTest(Win32Desktop):

    def setUp(self):
        self.assertTrue(PRODUCT and NEWER, "set CORVANE_MSI and CORVANE_MSI_NEWER")
        super().setUp()
        drive_c = pathlib.Path(WINDOWS_FOLDER).parent
        # A 32-bit program on 64-bit Windows, whose system folder is syswow64, goes to
        # "Program Files (x86)", and its entry to the registry's 32-bit view.
        wide = system_folder() == "system32"
        self.program = drive_c / ("Program Files" if wide else "Program Files (x86)") / \
            "Corvane" / "CV Example.exe"
        self.uninstall_key = (r"HKLM\Software%s\Microsoft\Windows\CurrentVersion\Uninstall"
                              % ("" if wide else r"\Wow6432Node"))
        # Wine may put the machine's Start-menu shortcut in the user's Start menu.
        self.shortcuts = [drive_c / root / "Microsoft/Windows/Start Menu/Programs/Corvane.lnk"
                          for root in ("ProgramData", "users/%s/AppData/Roaming"
                                       % os.environ.get("USER", "root"))]

    def msiexec(self, *args):
        # msiexec's exit status: 0 for success.
        return subprocess.run([WINE64, "msiexec", *args, "/qn"], env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=120).returncode

    def values(self, key):
        # The values of a registry key, as text; None without the key.
        result = self.wine("reg", "query", key)
        rows = [line.split(None, 2) for line in result.stdout.decode("latin-1").splitlines()]
        return None if result.returncode else {row[0]: row[2] for row in rows if len(row) == 3}

    def installed(self):
        # What is installed: the entry in Add or Remove Programs of each version (its name,
        # publisher and the bytes of the icon it shows), the program's bytes, and whether each
        # Start-menu shortcut leads to it.
        entries = {}
        for msi in (PRODUCT, NEWER):
            code = msi_property(msi, "ProductCode")
            entry = self.values(self.uninstall_key + "\\" + code)
            if entry is not None:
                # Windows Installer keeps the product's icon (ARPPRODUCTICON) with the product,
                # under the code's packed form.
                digits = code.strip("{}").replace("-", "")
                packed = digits[7::-1] + digits[11:7:-1] + digits[15:11:-1] + "".join(
                    digits[i + 1] + digits[i] for i in range(16, 32, 2))
                icon = self.values(r"HKLM\Software\Classes\Installer\Products\\" + packed)
                entries[entry["DisplayVersion"]] = (entry["DisplayName"], entry["Publisher"],
                                                    self.drive_c_file(icon["ProductIcon"]))
        shortcuts = [b"CV Example.exe" in path.read_bytes() for path in self.shortcuts
                     if path.exists()]
        return entries, self.program.exists() and self.program.read_bytes(), shortcuts

    def drive_c_file(self, path):
        # The bytes of a file of the prefix's drive C:.
        self.assertTrue(path.upper().startswith("C:\\"), path)
        return pathlib.Path(WINDOWS_FOLDER).parent.joinpath(*path[3:].split("\\")).read_bytes()

    def assertInstalled(self, version):
        icon = pathlib.Path(ASSETS_DIR, "corvane.ico").read_bytes()
        self.assertEqual(self.installed(), ({version: ("Corvane", "na", icon)},
                                            pathlib.Path(BINARY).read_bytes(), [True]))

    def refusal_box(self):
        # The installer's box, shown by whichever of its processes runs the installation.
        for window in self.root.query_tree().children:
            if self.title(window) == REFUSED_TITLE and \
                    window.get_attributes().map_state == X.IsViewable:
                return window
        return None

    def start_installed(self):
        return self.start(command=[WINE, str(self.program)])

    def test_install_upgrade_refused_downgrade_and_removal(self):
        self.assertEqual(self.msiexec("/i", windows_path(PRODUCT)), 0)
        self.assertInstalled("0.0.0.1")
        # Started from where it was installed, it stores a name.
        self.start_installed()
        self.replace_text(USERNAME_BOX, "ann")
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "ann", "the name to be stored")
        self.exit_program()

        # A newer version replaces it: one entry is left, and the name comes back.
        self.assertEqual(self.msiexec("/i", windows_path(NEWER)), 0)
        self.assertInstalled("0.0.1.0")
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
        self.assertInstalled("0.0.1.0")

        # Removed, it leaves nothing it installed, and the user's name where it was.
        self.assertEqual(self.msiexec("/x", msi_property(NEWER, "ProductCode")), 0)
        self.assertEqual(self.installed(), ({}, False, []))
        self.assertFalse(self.program.parent.exists())
        self.assertEqual(self.stored_name(), "ann")


if __name__ == "__main__":
    unittest.main()
