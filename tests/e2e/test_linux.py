# SPDX-License-Identifier: MIT
"""What only the Linux program can show: how it starts and fails to start, what it keeps from
other processes, and its settings file on small disks and behind links."""

import os
import resource
import shlex
import subprocess
import sys
import unittest

from harness import (ASSETS_DIR, LOGIN, PASSWORD_BOX, TIMEOUT, USERNAME_BOX, QtDesktop,
                     can_use_private_mounts, private_mount_wrapper, wait_for)

PASSWORD = "pw-Secret-4711"
# An ordinary user for the program, whose processes may do what any process of a user may.
NOBODY = 65534


def run_as_nobody(*command):
    return ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups",
            "--inh-caps=-all"] + list(command)


class StartTest(QtDesktop):
    def test_artwork_that_cannot_be_loaded_ends_the_start_with_a_report(self):
        # A copy of the program whose embedded background picture is damaged: its "BM" mark,
        # found by the picture's header, which the program carries uncompressed.
        with open(self.BINARY, "rb") as f:
            program = bytearray(f.read())
        with open(os.path.join(ASSETS_DIR, "background.bmp"), "rb") as f:
            header = f.read(54)
        at = program.find(header)
        self.assertGreater(at, 0, "the background picture is not in the program as it is")
        program[at:at + 2] = b"XX"
        binary = os.path.join(self.home, "corvane")
        with open(binary, "wb") as f:
            f.write(program)
        os.chmod(binary, 0o755)

        self.start(command=[binary], wait=False)
        boxes = wait_for(self.message_boxes, "the failure report")
        self.assertEqual(len(boxes), 1)
        self.assertIsNone(self.window_titled_like("Corvane ("))
        self.assertEqual(self.stderr_text(),
                         "corvane: Could not load :/assets/background.bmp: not a BMP file\n")
        self.key("Return", window=boxes[0])
        self.assertEqual(self.exit_status(), 1)

    def test_a_display_that_cannot_be_reached_is_reported_in_one_line(self):
        # A display of this test's own that nobody serves: the next number up.
        unserved = ":%d" % (int(self.xvfb.name[1:]) + 100)
        for env, expected in [({"DISPLAY": unserved},
                               "corvane: Could not connect to the display %s: " % unserved),
                              ({"DISPLAY": ""}, "corvane: Could not connect to a display: "
                               "neither DISPLAY nor WAYLAND_DISPLAY is set\n")]:
            with self.subTest(display=env["DISPLAY"]):
                self.env.update(env)
                self.start(wait=False)
                self.assertEqual(self.exit_status(), 1)
                report = self.stderr_text()
                self.assertTrue(report.startswith(expected), report)
                self.assertEqual(report.count("\n"), 1, report)

    def test_closed_standard_descriptors_are_opened_on_dev_null(self):
        window = self.start(["sh", "-c", 'exec "$0" "$@" <&- >&- 2>&-'])
        for descriptor in (0, 1, 2):
            self.assertEqual(os.readlink("/proc/%d/fd/%d" % (self.process.pid, descriptor)),
                             "/dev/null")
        self.assertEqual(self.title(window), "Corvane (Offline)")
        self.exit_program()

    def test_two_copies_share_only_the_stored_name(self):
        first = self.start()
        first_process = self.process
        second = self.start()
        self.assertNotEqual(first.id, second.id)
        self.assertIsNone(first_process.poll())
        self.exit_program()


class PrivacyTest(QtDesktop):
    def test_password_is_never_copied_written_or_logged(self):
        self.start()
        self.replace_text(USERNAME_BOX, "ann")
        self.replace_text(PASSWORD_BOX, PASSWORD)
        for which in ("clipboard", "primary"):
            self.set_clipboard("held before", which)
        self.click(PASSWORD_BOX)
        self.key("ctrl+a", "ctrl+c", "ctrl+Insert", "ctrl+x")
        self.settle()
        self.assertEqual(self.clipboard("clipboard"), "held before")
        self.assertEqual(self.clipboard("primary"), "held before")
        self.replace_text(PASSWORD_BOX, PASSWORD)
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "ann", "the name to be stored")
        self.exit_program()
        secret = PASSWORD.encode()
        self.assertNotIn(secret, self.stderr_text().encode())
        for folder, _, files in os.walk(self.home):
            for name in files:
                path = os.path.join(folder, name)
                if os.path.isfile(path) and not os.path.islink(path):
                    with open(path, "rb") as f:
                        content = f.read()
                    self.assertNotIn(secret, content, path)
                    self.assertNotIn(PASSWORD.encode("utf-16-le"), content, path)

    @unittest.skipUnless(os.geteuid() == 0, "needs root to start the program as another user")
    def test_no_other_process_of_the_user_reaches_into_the_program(self):
        _, hard = resource.getrlimit(resource.RLIMIT_CORE)
        # The hard limit as the stand-in opener's shell will print it.
        raised = subprocess.run(["sh", "-c", "ulimit -H -c"], capture_output=True, text=True,
                                check=True).stdout.strip()
        os.chown(self.home, NOBODY, NOBODY)
        for folder in ("runtime",):
            os.chown(os.path.join(self.home, folder), NOBODY, NOBODY)
        # Started with the soft core-dump limit raised to the hard one.
        self.start(run_as_nobody("sh", "-c", 'ulimit -S -c "$(ulimit -H -c)" && exec "$0"'))
        self.replace_text(PASSWORD_BOX, PASSWORD)
        pid = self.process.pid
        probe = ("import ctypes, sys\n"
                 "pid = int(sys.argv[1])\n"
                 "for name in ('mem', 'environ', 'maps'):\n"
                 "    try:\n"
                 "        open('/proc/%d/%s' % (pid, name), 'rb').close()\n"
                 "        print(name, 'opened')\n"
                 "    except OSError as e:\n"
                 "        print(name, 'refused')\n"
                 "libc = ctypes.CDLL(None, use_errno=True)\n"
                 "print('ptrace', 'refused' if libc.ptrace(16, pid, 0, 0) != 0 else 'attached')\n")
        result = subprocess.run(run_as_nobody(sys.executable, "-c", probe, str(pid)),
                                capture_output=True, text=True, timeout=TIMEOUT)
        self.assertEqual(result.stdout.split("\n"), ["mem refused", "environ refused",
                                                     "maps refused", "ptrace refused", ""],
                         result.stderr)
        with open("/proc/%d/limits" % pid) as f:
            core = [line.split()[4:6] for line in f if line.startswith("Max core file size")]
        self.assertEqual(core, [["0", "unlimited" if hard == resource.RLIM_INFINITY else str(hard)]])
        # The browser gets the limits the program was started with.
        self.click((200, 60))
        wait_for(self.opener_starts, "the browser's start")
        self.assertIn("core=%s/%s" % (raised, raised), self.opener_starts()[0])
        self.exit_program()


@unittest.skipUnless(can_use_private_mounts(), "needs root and private mount namespaces")
class SettingsFileTest(QtDesktop):
    def in_program(self, path):
        """A path as the program, in its own mount namespace, sees it."""
        return "/proc/%d/root%s" % (self.process.pid, path)

    def test_a_disk_too_small_for_the_name_leaves_the_file_whole(self):
        folder = os.path.dirname(self.settings_file)
        os.makedirs(folder)
        old = b"[General]\nLastUser=old\nOther=keep\n"
        # (file system size, what is on it): the first Login's file, and one replacing another.
        for size, before in [("8k", None), ("16k", old)]:
            with self.subTest(size=size):
                seed = "" if before is None else "printf '%s' " + shlex.quote(before.decode()) + \
                    " > " + shlex.quote(self.settings_file)
                script = "mount -t tmpfs -o size=%s none %s" % (size, shlex.quote(folder))
                self.start(private_mount_wrapper(script + (" && " + seed if seed else "")))
                self.replace_text(USERNAME_BOX, "n" * 20000)
                self.click(LOGIN)
                box = wait_for(self.message_boxes, "the failure box")[0]
                self.assertLogged("Could not write %s: No space left on device" %
                                  self.settings_file)
                listing = sorted(os.listdir(self.in_program(folder)))
                self.assertEqual(listing, [] if before is None else ["Corvane.conf"])
                if before is not None:
                    with open(self.in_program(self.settings_file), "rb") as f:
                        self.assertEqual(f.read(), before)
                self.dismiss(box)
                self.exit_program()

    def test_links_lead_to_the_file_the_kernel_opens(self):
        # config/Corvane -> real/linked, and in it Corvane.conf -> ../stored.conf, whose real
        # folder is real/: the file is real/stored.conf, not config/stored.conf.
        real = os.path.join(self.config_home, "real")
        os.makedirs(os.path.join(real, "linked"))
        os.symlink("real/linked", os.path.join(self.config_home, "Corvane"))
        os.symlink("../stored.conf", self.settings_file)
        with open(os.path.join(real, "stored.conf"), "w") as f:
            f.write("[General]\nLastUser=ann\n")
        # What stands where a lock would be does not hold Login up.
        os.mkdir(self.settings_file + ".lock")
        self.start()
        self.assertEqual(self.box_text(USERNAME_BOX), "ann")
        self.replace_text(USERNAME_BOX, "bob")
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "bob", "the name to be stored", timeout=5)
        with open(os.path.join(real, "stored.conf"), "rb") as f:
            self.assertEqual(f.read(), b"[General]\nLastUser=bob\n")
        self.assertFalse(os.path.exists(os.path.join(self.config_home, "stored.conf")))
        self.exit_program()
        # A chain that ends at a FIFO is no file: the start does not wait on it.
        os.remove(os.path.join(real, "stored.conf"))
        os.mkfifo(os.path.join(real, "stored.conf"))
        self.start()
        self.assertEqual(self.box_text(USERNAME_BOX), "Username")
        self.exit_program()


if __name__ == "__main__":
    unittest.main()
