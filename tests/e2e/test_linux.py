# SPDX-License-Identifier: MIT
# What only the Linux program can show: how it starts and fails to start, what it keeps from other
# processes, and its settings file on small disks and behind links.

import os
import pwd
import resource
import shlex
import shutil
import stat
import subprocess
import sys
import unittest

from harness import (BANNER, LOGIN, PASSWORD_BOX, TIMEOUT, USERNAME_BOX, QtDesktop, processes, put,
                     require, wait_for)

PASSWORD = "pw-Secret-4711"
# An ordinary user for the program, whose processes may do what any process of a user may.
NOBODY = 65534


def run_as_nobody(*command):
    return ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups",
            "--inh-caps=-all"] + list(command)


class StartTest(QtDesktop):
    def test_a_start_that_cannot_reach_a_windowing_system_is_reported_in_one_line(self):
        # (what the environment says, whether the program runs where no display is served, the
        # line on standard error). Where none is served, the program has a network namespace of
        # its own, with no other server's abstract socket and nothing on the loopback's X ports,
        # and an empty folder of X sockets: no display of the host is reachable by any number.
        alone = ["unshare", "--net", "sh", "-c",
                 'PATH=/usr/sbin:/sbin:$PATH && ip link set lo up && exec "$0" "$@"']
        here = self.xvfb.name
        for changes, served, line in [
                ({"DISPLAY": ":1"}, False,
                 "Could not connect to the display :1: Connection refused"),
                ({"DISPLAY": ""}, True,
                 "Could not connect to a display: neither DISPLAY nor WAYLAND_DISPLAY is set"),
                ({"DISPLAY": ":one"}, True,
                 "Could not connect to the display :one: the display name is not valid"),
                ({"DISPLAY": here + ".5"}, True,
                 "Could not connect to the display %s.5: the display has no such screen" % here),
                ({"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": "wayland-nobody"}, True,
                 "Could not connect to the display wayland-nobody: No such file or directory"),
                ({"QT_QPA_PLATFORM": "no-such-platform"}, True,
                 "Could not start the windowing system: This application failed to start because"
                 " no Qt platform plugin could be initialized")]:
            with self.subTest(**changes):
                self.env.update(changes)
                self.mounts = [] if served else ["mount -t tmpfs none /tmp/.X11-unix"]
                self.start(() if served else alone, wait=False)
                self.assertEqual((self.exit_status(), self.stderr_text()),
                                 (1, "corvane: %s\n" % line))
                self.env.update(DISPLAY=here, QT_QPA_PLATFORM="xcb")

    def test_closed_standard_descriptors_are_opened_on_dev_null(self):
        self.start(["sh", "-c", 'exec "$0" "$@" <&- >&- 2>&-'])
        for descriptor in (0, 1, 2):
            self.assertEqual(os.readlink("/proc/%d/fd/%d" % (self.process.pid, descriptor)),
                             "/dev/null")
            with open("/proc/%d/fdinfo/%d" % (self.process.pid, descriptor)) as info:
                flags = int(info.read().split("flags:")[1].split()[0], 8)
            self.assertEqual(flags & os.O_ACCMODE, os.O_RDWR)
        self.exit_program()

    def test_a_standard_error_nobody_reads_ends_nothing(self):
        # Qt warns on standard error when XDG_RUNTIME_DIR is unset, and a failed Login is
        # reported there too; nobody reads that pipe.
        del self.env["XDG_RUNTIME_DIR"]
        os.makedirs(self.settings_file)
        self.start([sys.executable, "-c", "import os, signal, sys; r, w = os.pipe(); os.close(r); "
                    "os.dup2(w, 2); signal.signal(signal.SIGPIPE, signal.SIG_DFL); "
                    "os.execvp(sys.argv[1], sys.argv[1:])"])
        self.click(LOGIN)
        self.dismiss(wait_for(self.message_boxes, "the failure box")[0])
        self.exit_program()


class BrowserTest(QtDesktop):
    def test_the_browser_runs_on_its_own(self):
        # The program started with signals blocked and standard input on a file, as a parent may
        # leave them (and without the ignored signals Python keeps for itself). The browser stays
        # open, as the stand-in does: the window answers meanwhile; the program keeps no process
        # of it, not even one ended and not waited for; and the browser has a session of its own,
        # standard input on /dev/null, no signal blocked or ignored (the program ignores SIGPIPE),
        # and none of the desktop's focus tokens, so that it cannot take the focus.
        self.start([sys.executable, "-c", "import os, signal as s, sys; s.pthread_sigmask("
                    "s.SIG_BLOCK, {s.SIGUSR1, s.SIGTERM}); s.signal(s.SIGPIPE, s.SIG_DFL); "
                    "s.signal(s.SIGXFSZ, s.SIG_DFL); os.dup2(os.open(sys.executable, os.O_RDONLY),"
                    " 0); os.execv(sys.argv[1], sys.argv[1:])"])
        self.click(BANNER)
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "Username", "Login, while the browser runs")
        [start] = self.settled_opener_starts()
        browser = dict(line.split("=", 1) for line in start)
        self.assertEqual([pid for pid, _, fields in processes()
                          if fields[1] == str(self.process.pid)], [])
        self.assertEqual([browser[key] for key in ("session", "stdin", "SigBlk", "SigIgn",
                                                   "DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN")],
                         [browser["pid"], "/dev/null", "0" * 16, "0" * 16, "unset", "unset"])
        self.exit_program()


class PrivacyTest(QtDesktop):
    def test_no_other_process_of_the_user_reaches_into_the_program(self):
        require(self, "root")
        _, hard = resource.getrlimit(resource.RLIMIT_CORE)
        # The hard limit as the stand-in opener's shell will print it.
        raised = subprocess.run(["sh", "-c", "ulimit -H -c"], capture_output=True, text=True,
                                check=True).stdout.strip()
        os.chown(self.home, NOBODY, NOBODY)
        os.chown(os.path.join(self.home, "runtime"), NOBODY, NOBODY)
        # Started with the soft core-dump limit raised to the hard one.
        self.start(run_as_nobody("sh", "-c", 'ulimit -S -c "$(ulimit -H -c)" && exec "$0"'),
                   command=[self.reachable_binary()])
        self.replace_text(PASSWORD_BOX, PASSWORD)
        pid = self.process.pid
        # Another process of the same user opens its memory, environment and maps, and attaches
        # to it (ptrace 16 is PTRACE_ATTACH); each is refused.
        probe = ("import ctypes, sys\n"
                 "for name in ('mem', 'environ', 'maps'):\n"
                 "    try:\n"
                 "        open('/proc/%s/%s' % (sys.argv[1], name), 'rb').close()\n"
                 "    except OSError:\n"
                 "        print(name, 'refused')\n"
                 "if ctypes.CDLL(None).ptrace(16, int(sys.argv[1]), 0, 0) != 0:\n"
                 "    print('ptrace refused')\n")
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


ENTRY = b"[General]\nLastUser=ann\n"
# The settings file in every shape a person, a crash or another program may leave it in:
# (shape, what the box shows, why Login refuses or None, where Login's file ends up).
SHAPES = [
    ("no file", "Username", None, "Corvane/Corvane.conf"),
    ("readable by all", "ann", None, "Corvane/Corvane.conf"),
    ("garbage around the entry", "ann", None, "Corvane/Corvane.conf"),
    ("binary", "Username", None, "Corvane/Corvane.conf"),
    ("ten megabytes, the entry last", "ann", None, "Corvane/Corvane.conf"),
    ("unreadable", "Username", "Permission denied", None),
    ("a folder", "Username", "Is a directory", None),
    ("a dangling link", "Username", None, "Corvane/elsewhere/Corvane.conf"),
    ("a link loop", "Username", "Too many levels of symbolic links", None),
    ("a FIFO", "Username", "it is not a regular file", None),
    ("a link to a device", "Username", "it is not a regular file", None),
    # A linked folder and a relative link in it: the target counts from where the folder is.
    ("a relative link in a linked folder", "ann", None, "real/stored.conf"),
    # The store takes no lock: whatever stands where one would be does not hold Login up.
    ("a folder at the lock's path", "ann", None, "Corvane/Corvane.conf"),
    # The kernel resolves the path: what it refuses to open is refused, with its reason.
    ("25 folder and 26 file links", "Username", "Too many levels of symbolic links", None),
    ("a link with a trailing slash to a file", "Username", "Not a directory", None),
    ("a link to a deleted file open on standard input", "ann", "it has been deleted", None),
    # A Login by an ordinary user keeps the set-user-ID and set-group-ID bits (modes below).
    ("set-user-ID and set-group-ID", "ann", None, "Corvane/Corvane.conf"),
    ("set-group-ID, group-writable", "ann", None, "Corvane/Corvane.conf"),
    # Above the 16 MiB cap nothing is read; the file is left as it is.
    ("two gibibytes, sparse", "Username", "it is larger than 16 MiB", None),
    # The folder is opened for its flush before anything changes (a flush that fails after the
    # rename has a box of its own: test_window.py).
    ("in a folder that is writable, not readable", "ann", "Permission denied", None),
]
# The modes of the file Login leaves and of its folder: a file made here is its owner's alone, as
# are the folders made for it; a file that was there keeps its mode.
MODES = {"no file": (0o600, 0o700), "readable by all": (0o644, 0o755),
         "set-user-ID and set-group-ID": (0o6600,), "set-group-ID, group-writable": (0o2670,)}


# Whether the file at `path` exists and holds `name` as the last user.
def holds(path, name):
    return os.path.exists(path) and b"LastUser=%s\n" % name.encode() in open(path, "rb").read()


# Makes the shape; returns a command for the program to run under, () for none.
def make_shape(shape, home, file):
    folder = os.path.dirname(file)
    real = os.path.join(home, "real")
    if shape == "no file":
        return ()
    os.makedirs(folder)
    if shape.startswith("a relative link"):
        # config/Corvane -> real/linked, and in it Corvane.conf -> ../stored.conf.
        os.rmdir(folder)
        os.makedirs(os.path.join(real, "linked"))
        os.symlink("real/linked", folder)
        os.symlink("../stored.conf", file)
    if shape.startswith("25 folder"):
        # config/Corvane -> real/24 -> ... -> real/0, and in it Corvane.conf -> c25 -> ... -> c0:
        # 51 links in all, where the kernel follows 40 at most in one lookup.
        os.rmdir(folder)
        os.makedirs(os.path.join(real, "0"))
        for n in range(1, 26):
            os.symlink(str(n - 1), os.path.join(real, str(n)))
            os.symlink("c%d" % (n - 1), os.path.join(real, "0", "c%d" % n))
        os.symlink(os.path.join(real, "24"), folder)
        os.symlink("c25", file)
        put(os.path.join(real, "0", "c0"), ENTRY)
    if shape.startswith("a link to a deleted file"):
        # The file is made, opened as standard input and deleted only after the snapshot.
        os.symlink("/proc/self/fd/0", file)
        return ["sh", "-c", 'f=$0 && printf %s "$1" > "$f" && shift && exec <"$f" && rm -- "$f" '
                '&& exec "$@"', os.path.join(folder, "gone.conf"), ENTRY.decode()]
    {"readable by all": lambda: (put(file, ENTRY, 0o644), os.chmod(folder, 0o755)),
     "garbage around the entry": lambda: put(file, b"]]] [[ ==\n;\n\\\n@@@\n=x\n" + ENTRY +
                                             b"\\\n[[["),
     "binary": lambda: put(file, bytes((i * 7919 + 13) % 251 for i in range(4096))),
     "ten megabytes, the entry last": lambda: put(file, b"[Padding]\n" + b"x" * (10 << 20) +
                                                  b"=1\n" + ENTRY),
     "unreadable": lambda: put(file, ENTRY, 0), "a folder": lambda: os.mkdir(file),
     "a dangling link": lambda: (os.mkdir(os.path.join(folder, "elsewhere")),
                                 os.symlink("elsewhere/Corvane.conf", file)),
     "a link loop": lambda: os.symlink("Corvane.conf", file),
     "a FIFO": lambda: os.mkfifo(file),
     "a link to a device": lambda: os.symlink("/dev/zero", file),
     "a relative link in a linked folder": lambda: put(os.path.join(real, "stored.conf"), ENTRY),
     "a folder at the lock's path": lambda: (put(file, ENTRY), os.mkdir(file + ".lock")),
     "a link with a trailing slash to a file": lambda: (put(file + ".real", ENTRY),
                                                        os.symlink("Corvane.conf.real/", file)),
     "set-user-ID and set-group-ID": lambda: put(file, ENTRY, 0o6600),
     "set-group-ID, group-writable": lambda: put(file, ENTRY, 0o2670),
     "two gibibytes, sparse": lambda: (put(file, ENTRY), os.truncate(file, 2 << 30)),
     "in a folder that is writable, not readable": lambda: (put(file, ENTRY),
                                                            os.chmod(folder, 0o300)),
     }.get(shape, lambda: None)()
    return ()


def snapshot(folder):
    # Names, kinds, modes, sizes and contents of everything below `folder`.
    found = {}
    for parent, folders, files in os.walk(folder):
        for name in folders + files:
            path = os.path.join(parent, name)
            st = os.lstat(path)
            found[path] = (st.st_mode, st.st_size, st.st_ino, os.readlink(path)
                           if stat.S_ISLNK(st.st_mode) else None)
    return found


class SettingsFileTest(QtDesktop):
    # Without root's power over file modes, nor its keeping of set-user-ID and set-group-ID bits
    # through a write, as a user runs it, and with a umask that would leave the owner without
    # write access to what the program makes.
    AS_A_USER = ["setpriv", "--inh-caps=-dac_override,-dac_read_search,-fsetid",
                 "--bounding-set=-dac_override,-dac_read_search,-fsetid", "sh", "-c",
                 'umask 277 && exec "$0"']

    def test_every_shape_of_the_file(self):
        for shape, shown, refusal, written in SHAPES:
            with self.subTest(shape):
                shutil.rmtree(self.config_home, ignore_errors=True)
                wrapper = make_shape(shape, self.config_home, self.settings_file)
                before = snapshot(self.config_home)
                self.start(list(wrapper) + self.AS_A_USER)
                self.assertEqual(self.box_text(USERNAME_BOX), shown)
                # Reading changed nothing.
                self.assertEqual(snapshot(self.config_home), before)
                self.replace_text(USERNAME_BOX, "new name")
                self.click(LOGIN)
                if refusal:
                    box = wait_for(self.message_boxes, "the failure box")[0]
                    self.assertLogged("Could not write %s: %s\n" % (self.settings_file, refusal))
                    self.assertEqual(snapshot(self.config_home), before)
                    self.dismiss(box)
                else:
                    path = os.path.join(self.config_home, written)
                    wait_for(lambda: holds(path, "new name"), "the new name")
                    # Nothing left beside it, nothing written where the link was read wrongly.
                    self.assertEqual([n for n in os.listdir(os.path.dirname(path)) if ".conf." in n],
                                     ["Corvane.conf.lock"] if "lock" in shape else [])
                    self.assertFalse(os.path.exists(os.path.join(self.config_home, "stored.conf")))
                    want = [oct(mode) for mode in MODES.get(shape, ())]
                    self.assertEqual([oct(stat.S_IMODE(os.stat(p).st_mode))
                                      for p in (path, os.path.dirname(path))][:len(want)], want)
                self.assertIsNone(self.process.poll())
                self.exit_program()

    def test_where_the_file_is(self):
        require(self, "root")
        nobody_home = pwd.getpwuid(NOBODY).pw_dir
        # Root with the HOME of another user, nobody, as `sudo -E` or `su -m` start it: the file
        # and the folders made for it stay theirs, and so does their file at a second Login.
        os.chown(self.home, NOBODY, NOBODY)
        # (XDG_CONFIG_HOME, HOME, the file Login writes or refuses, as bytes)
        home = os.fsencode(self.home)
        for n, (xdg, home_variable, expected) in enumerate([
                (b"config", home, home + b"/.config/Corvane/Corvane.conf"),
                (b"config", home, home + b"/.config/Corvane/Corvane.conf"),
                (home + b"/caf\xe9", home, home + b"/caf\xe9/Corvane/Corvane.conf"),
                (None, None, os.fsencode(nobody_home) + b"/.config/Corvane/Corvane.conf")]):
            with self.subTest(n=n, XDG_CONFIG_HOME=xdg, HOME=home_variable):
                for name, value in (("XDG_CONFIG_HOME", xdg), ("HOME", home_variable)):
                    self.env.pop(name, None)
                    if value is not None:
                        self.env[name] = os.fsdecode(value)
                # Without HOME, as the user the password database knows as nobody.
                self.start(run_as_nobody(self.reachable_binary()) if home_variable is None else ())
                self.replace_text(USERNAME_BOX, "ann %d" % n)
                self.click(LOGIN)
                if home_variable is None:
                    # Nobody's home does not exist: the failure names the folder it looked in.
                    self.dismiss(wait_for(self.message_boxes, "the failure box")[0])
                    self.assertLogged("Could not create the folder %s: " % nobody_home)
                else:
                    wait_for(lambda: holds(expected, "ann %d" % n), os.fsdecode(expected))
                    made = [os.path.dirname(os.path.dirname(expected)), os.path.dirname(expected)]
                    self.assertEqual([(st.st_uid, st.st_gid, stat.S_IMODE(st.st_mode))
                                      for st in map(os.stat, made + [expected])],
                                     [(NOBODY, NOBODY, 0o700)] * 2 + [(NOBODY, NOBODY, 0o600)])
                self.exit_program()


class SmallDiskTest(QtDesktop):
    def test_a_disk_too_small_for_the_name_leaves_the_file_whole(self):
        folder = os.path.dirname(self.settings_file)
        os.makedirs(folder)
        # (file system size, what is on it): the first Login's file, and one replacing another.
        for size, before in [("8k", b""), ("16k", b"[General]\nLastUser=old\nOther=keep\n")]:
            with self.subTest(size=size):
                self.mounts = ["mount -t tmpfs -o size=%s none %s" % (size, shlex.quote(folder))]
                if before:
                    self.mounts.append("printf %%s %s > %s" % (shlex.quote(before.decode()),
                                                               shlex.quote(self.settings_file)))
                self.start()
                self.replace_text(USERNAME_BOX, "n" * 20000)
                self.click(LOGIN)
                box = wait_for(self.message_boxes, "the failure box")[0]
                self.assertLogged("Could not write %s: No space left on device" %
                                  self.settings_file)
                # The folder as the program, in its own mount namespace, sees it.
                inside = "/proc/%d/root%s" % (self.process.pid, folder)
                self.assertEqual({name: open(os.path.join(inside, name), "rb").read()
                                  for name in os.listdir(inside)},
                                 {"Corvane.conf": before} if before else {})
                self.dismiss(box)
                self.exit_program()


if __name__ == "__main__":
    unittest.main()
