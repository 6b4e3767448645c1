# SPDX-License-Identifier: MIT
# What only the Linux program can show: how it starts and fails to start, what it keeps from other
# processes, and its settings file on small disks and behind links.

import hashlib
import os
import pathlib
import pwd
import resource
import shlex
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

from harness import (BANNER, LOGIN, PASSWORD_BOX, TIMEOUT, USERNAME_BOX, QtDesktop, processes, put,
                     require, wait_for)

PASSWORD = "pw-Secret-4711"
# An ordinary user for the program, whose processes may do what any process of a user may, as the
# password database knows it.
NOBODY = pwd.getpwnam("nobody")


def run_as_nobody(*command):
    return ["setpriv", "--reuid=%d" % NOBODY.pw_uid, "--regid=%d" % NOBODY.pw_gid,
            "--clear-groups", "--inh-caps=-all"] + list(command)


def give_to_nobody(*paths):
    # Each path and everything below it, links themselves rather than what they name.
    for top in paths:
        for parent, folders, files in os.walk(top, onerror=raise_error):
            for name in [""] + folders + files:
                os.lchown(os.path.join(parent, name), NOBODY.pw_uid, NOBODY.pw_gid)


def raise_error(error):
    raise error


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


class BrowserTest(QtDesktop):
    def test_the_browser_runs_on_its_own(self):
        # The program started with signals blocked, standard input on a file and the soft
        # core-dump limit raised to the hard one, as a parent may leave them (and without the
        # ignored signals Python keeps for itself), and with a standard error nobody reads, which
        # Qt warns on at once when XDG_RUNTIME_DIR is unset: the program lives on (it ignores
        # SIGPIPE). The browser stays open, as the stand-in does: the window answers meanwhile;
        # the program keeps no process of it, not even one ended and not waited for; and the
        # browser has a session of its own, standard input on /dev/null, no signal blocked or
        # ignored, the limits the program was started with, and none of the desktop's focus
        # tokens, so that it cannot take the focus.
        del self.env["XDG_RUNTIME_DIR"]
        hard = resource.getrlimit(resource.RLIMIT_CORE)[1]
        self.start([sys.executable, "-c", "import os, resource as r, signal as s, sys; "
                    "s.pthread_sigmask(s.SIG_BLOCK, {s.SIGUSR1, s.SIGTERM}); "
                    "s.signal(s.SIGPIPE, s.SIG_DFL); s.signal(s.SIGXFSZ, s.SIG_DFL); "
                    "r.setrlimit(r.RLIMIT_CORE, (%d, %d)); os.dup2(os.open(sys.executable, "
                    "os.O_RDONLY), 0); p = os.pipe(); os.close(p[0]); os.dup2(p[1], 2); "
                    "os.execv(sys.argv[1], sys.argv[1:])" % (hard, hard)])
        self.click(BANNER)
        self.click(LOGIN)
        wait_for(lambda: self.stored_name() == "Username", "Login, while the browser runs")
        [start] = self.settled_opener_starts()
        browser = dict(line.split("=", 1) for line in start)
        self.assertEqual([pid for pid, _, fields in processes()
                          if fields[1] == str(self.process.pid)], [])
        # The limit as the stand-in's shell prints it.
        limit = "unlimited" if hard == resource.RLIM_INFINITY else str(hard // 1024)
        self.assertEqual([browser[key] for key in ("session", "stdin", "SigBlk", "SigIgn", "core",
                                                   "DESKTOP_STARTUP_ID", "XDG_ACTIVATION_TOKEN")],
                         [browser["pid"], "/dev/null", "0" * 16, "0" * 16,
                          "%s/%s" % (limit, limit), "unset", "unset"])
        self.exit_program()


class PrivacyTest(QtDesktop):
    def test_no_other_process_of_the_user_reaches_into_the_program(self):
        require(self, "root")
        _, hard = resource.getrlimit(resource.RLIMIT_CORE)
        give_to_nobody(self.home)
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
        self.exit_program()


# The name, and entries besides it that every Login keeps.
ENTRY = b"[General]\nLastUser=ann\nOther=keep\n[Section]\nkey=value\n"
CAP = 16 << 20
# The settings file in every shape a person, a crash or another program may leave it in:
# (shape, what the box shows, why Login refuses or None, where Login's file ends up).
SHAPES = [
    ("no file", "Username", None, "Corvane/Corvane.conf"),
    ("readable by all", "ann", None, "Corvane/Corvane.conf"),
    ("garbage around the entry", "ann", None, "Corvane/Corvane.conf"),
    ("binary", "Username", None, "Corvane/Corvane.conf"),
    ("ten megabytes, the entry last", "ann", None, "Corvane/Corvane.conf"),
    ("unreadable", "Username", "Permission denied", None),
    # What its user may not write is not replaced, as QSettings leaves it.
    ("read-only", "ann", "Permission denied", None),
    ("another user's", "ann", "Permission denied", None),
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
    # A Login keeps the set-user-ID and set-group-ID bits (modes below), the access list, which
    # denies the group what the mode's group bits seem to give, and the user's attributes.
    ("set-user-ID and set-group-ID", "ann", None, "Corvane/Corvane.conf"),
    ("set-group-ID, group-writable", "ann", None, "Corvane/Corvane.conf"),
    ("an access list and an attribute", "ann", None, "Corvane/Corvane.conf"),
    # Above the 16 MiB cap nothing is read, and no larger file is written.
    ("two gibibytes, sparse", "Username", "it is larger than 16 MiB", None),
    ("sixteen mebibytes, the entry first", "ann", "the new file would be larger than 16 MiB",
     None),
    # The folder is opened for its flush before anything changes (a flush that fails after the
    # rename has a box of its own: test_window.py).
    ("in a folder that is writable, not readable", "ann", "Permission denied", None),
]
# The modes of the file Login leaves and of its folder: a file made here is its owner's alone, as
# are the folders made for it; a file that was there keeps its mode.
MODES = {"no file": (0o600, 0o700), "readable by all": (0o644, 0o755),
         "set-user-ID and set-group-ID": (0o6600,), "set-group-ID, group-writable": (0o2670,),
         "an access list and an attribute": (0o660,)}


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
                                             b"[[[\n\\"),
     "binary": lambda: put(file, bytes((i * 7919 + 13) % 251 for i in range(4096))),
     "ten megabytes, the entry last": lambda: put(file, b"[Padding]\n" + b"x" * (10 << 20) +
                                                  b"=1\n" + ENTRY),
     "unreadable": lambda: put(file, ENTRY, 0), "a folder": lambda: os.mkdir(file),
     "read-only": lambda: put(file, ENTRY, 0o444),
     "another user's": lambda: put(file, ENTRY, 0o644),
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
     # user 4242 may read and write it; the owning group, for all the mode says, may not.
     "an access list and an attribute": lambda: (
         put(file, ENTRY, 0o600), os.setxattr(file, "user.corvane-test", b"kept"),
         subprocess.run(["setfacl", "-m", "u:4242:rw,g::-,m::rw", file], check=True)),
     "two gibibytes, sparse": lambda: (put(file, ENTRY), os.truncate(file, 2 << 30)),
     "sixteen mebibytes, the entry first": lambda: put(
         file, ENTRY + b"[Padding]\nx=" + b"y" * (CAP - len(ENTRY) - 13) + b"\n"),
     "in a folder that is writable, not readable": lambda: (put(file, ENTRY),
                                                            os.chmod(folder, 0o300)),
     }.get(shape, lambda: None)()
    return ()


def snapshot(folder):
    # Names, kinds, modes, owners, times, contents and attributes of everything below `folder`;
    # of a folder, what is in it and its mode, not its times, which a refused Login may touch.
    found = {}
    for parent, folders, files in os.walk(folder, onerror=raise_error) if os.path.lexists(
            folder) else ():
        for name in folders + files:
            path = os.path.join(parent, name)
            st = os.lstat(path)
            found[path] = (st.st_mode, st.st_uid, st.st_gid, st.st_size, st.st_ino) + (
                (os.readlink(path),) if stat.S_ISLNK(st.st_mode) else
                () if not stat.S_ISREG(st.st_mode) else
                (st.st_mtime_ns, st.st_ctime_ns, attributes(path), hashlib.sha256(
                    pathlib.Path(path).read_bytes() if st.st_size <= CAP else b"").digest()))
    return found


def attributes(path):
    # A file's extended attributes (its access list among them), none for a FIFO or device.
    if not os.path.isfile(path):
        return {}
    return {name: os.getxattr(path, name) for name in os.listxattr(path)}


class SettingsFileTest(QtDesktop):
    # As an ordinary user, with a umask that would leave the owner without write access to what
    # the program makes.
    def test_every_shape_of_the_file(self):
        require(self, "root")
        runtime = os.path.join(self.home, "runtime")
        for shape, shown, refusal, written in SHAPES:
            with self.subTest(shape):
                shutil.rmtree(self.config_home, ignore_errors=True)
                wrapper = make_shape(shape, self.config_home, self.settings_file)
                give_to_nobody(self.home)
                if shape == "another user's":
                    os.chown(self.settings_file, 0, 0)
                elif shape in MODES and os.path.isfile(self.settings_file):
                    # A change of owner took the set-user-ID and set-group-ID bits away.
                    os.chmod(self.settings_file, MODES[shape][0])
                os.chown(runtime, NOBODY.pw_uid, NOBODY.pw_gid)
                before = snapshot(self.config_home)
                kept = attributes(self.settings_file) if written else {}
                self.start(list(wrapper) + run_as_nobody("sh", "-c", 'umask 277 && exec "$0"'),
                           command=[self.reachable_binary()])
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
                    wait_for(lambda: os.path.exists(path) and b"LastUser=new name\n" in
                             pathlib.Path(path).read_bytes(), "the new name")
                    # The other entries kept, nothing left beside it, nothing written where the
                    # link was read wrongly.
                    new = pathlib.Path(path).read_bytes()
                    self.assertEqual([line in new for line in (b"Other=keep\n",
                                                               b"[Section]\nkey=value\n")],
                                     [shown == "ann"] * 2)
                    self.assertEqual(attributes(path), kept)
                    self.assertEqual([n for n in os.listdir(os.path.dirname(path)) if ".conf." in n],
                                     ["Corvane.conf.lock"] if "lock" in shape else [])
                    self.assertFalse(os.path.exists(os.path.join(self.config_home, "stored.conf")))
                    want = [oct(mode) for mode in MODES.get(shape, ())]
                    self.assertEqual([oct(stat.S_IMODE(os.stat(p).st_mode))
                                      for p in (path, os.path.dirname(path))][:len(want)], want)
                self.assertIsNone(self.process.poll())
                self.exit_program()

    def test_where_the_file_is_and_whose_rights_make_it(self):
        require(self, "root")
        # Root with the HOME of another user, nobody, as `sudo -E` or `su -m` start it, works with
        # nobody's rights: what it makes is theirs, and what they plant leads it nowhere they could
        # not go. Root's own folder and file, which nobody may neither read nor write:
        give_to_nobody(self.home)
        secret = os.path.join(tempfile.mkdtemp(), "root-only")
        self.addCleanup(shutil.rmtree, os.path.dirname(secret))
        os.mkdir(secret, 0o755)
        put(os.path.join(secret, "secret.conf"), b"[General]\nLastUser=root's secret\n", 0o600)
        root_before = snapshot(os.path.dirname(secret))
        home = os.fsencode(self.home)
        default = home + b"/.config/Corvane/Corvane.conf"
        # (XDG_CONFIG_HOME, HOME, what nobody plants, what the box shows, why Login refuses)
        for n, (xdg, home_variable, plant, shown, refusal) in enumerate([
                (home + b"/caf\xe9", home, None, "Username", None),
                (None, home, None, "Username", None),
                # A second Login keeps the file nobody's.
                (None, home, None, "ann 1", None),
                # A link to root's file, and one to a name in root's folder.
                (None, home, "secret.conf", "Username", "Permission denied"),
                (None, home, "new.conf", "Username", "Permission denied"),
                # The folder Login has just made, swapped for a link to root's folder before the
                # program takes it in hand (strace holds the program there).
                (None, home, "a swapped folder", "Username", "Not a directory"),
                # Without HOME, run as nobody: the password database's home.
                (None, None, None, "Username", None)]):
            with self.subTest(n=n, XDG_CONFIG_HOME=xdg, HOME=home_variable, plant=plant):
                for name, value in (("XDG_CONFIG_HOME", xdg), ("HOME", home_variable)):
                    self.env.pop(name, None)
                    if value is not None:
                        self.env[name] = os.fsdecode(value)
                expected = os.fsdecode((xdg + b"/Corvane/Corvane.conf") if xdg else default
                                       if home_variable else os.fsencode(NOBODY.pw_dir) +
                                       b"/.config/Corvane/Corvane.conf")
                folder = os.path.dirname(expected)
                wrapper = run_as_nobody(self.reachable_binary()) if home_variable is None else []
                if plant in ("secret.conf", "new.conf"):
                    os.remove(expected)
                    os.symlink(os.path.join(secret, plant), expected)
                if plant == "a swapped folder":
                    shutil.rmtree(folder)
                    # -D: the program keeps its process, which the harness knows it by. A traced
                    # process cannot be checked for leaks.
                    if "ASAN_OPTIONS" in self.env:
                        self.env["ASAN_OPTIONS"] += ":detect_leaks=0"
                    wrapper = ["strace", "-D", "-o", "/dev/null", "-P", os.path.dirname(folder),
                               "-e", "inject=mkdirat:delay_exit=3000000:when=1"]
                self.start(wrapper)
                self.assertEqual(self.box_text(USERNAME_BOX), shown)
                self.replace_text(USERNAME_BOX, "ann %d" % n)
                self.click(LOGIN)
                if plant == "a swapped folder":
                    wait_for(lambda: os.path.isdir(folder), "the new folder")
                    os.rename(folder, folder + ".away")
                    os.symlink(secret, folder)
                # Where nobody may make no folder, the failure names the first it tried.
                missing = expected
                while not os.path.exists(os.path.dirname(missing)):
                    missing = os.path.dirname(missing)
                above = os.stat(os.path.dirname(missing))
                if home_variable is None and (above.st_uid, above.st_mode & 0o200) != (
                        NOBODY.pw_uid, 0o200):
                    refusal = "Could not create the folder %s: " % missing
                if refusal:
                    self.dismiss(wait_for(self.message_boxes, "the failure box")[0])
                    self.assertIn(refusal, self.stderr_text())
                else:
                    wait_for(lambda: os.path.exists(expected) and b"LastUser=ann %d\n" % n in
                             pathlib.Path(expected).read_bytes(), expected)
                    self.assertEqual({os.stat(p)[4:6] for p in (
                        os.path.dirname(folder), folder, expected)},
                        {(NOBODY.pw_uid, NOBODY.pw_gid)})
                self.assertEqual(snapshot(os.path.dirname(secret)), root_before)
                self.exit_program()


class SmallDiskTest(QtDesktop):
    def test_a_disk_too_small_for_the_name_leaves_the_file_whole(self):
        folder = os.path.dirname(self.settings_file)
        os.makedirs(folder)
        old = b"[General]\nLastUser=old\nOther=keep\n"
        # A temporary-files folder that is full, read-only and not named in UTF-8: Corvane needs
        # none.
        temporary = os.path.join(self.home, "tmp-\udcff")
        os.mkdir(temporary)
        # (file system size, what is on it, TMPDIR): the first Login's file, one replacing
        # another with room for a part of the new file, and a Login with room enough.
        for size, before, tmpdir in [("8k", b"", None), ("16k", old, None),
                                     ("1m", old, temporary)]:
            with self.subTest(size=size, TMPDIR=tmpdir):
                self.mounts = ["mount -t tmpfs -o size=%s none %s" % (size, shlex.quote(folder))]
                if before:
                    self.mounts.append("printf %%s %s > %s" % (shlex.quote(before.decode()),
                                                               shlex.quote(self.settings_file)))
                if tmpdir:
                    self.env["TMPDIR"] = tmpdir
                    self.mounts.append(
                        "mount -t tmpfs -o size=4k none {0} && head -c 4096 /dev/zero > {0}/full;"
                        " mount -o remount,ro {0}".format(shlex.quote(tmpdir)))
                self.start()
                self.assertEqual(self.box_text(USERNAME_BOX), "old" if before else "Username")
                self.replace_text(USERNAME_BOX, "n" * 20000)
                self.click(LOGIN)
                # The folder as the program, in its own mount namespace, sees it.
                inside = "/proc/%d/root%s" % (self.process.pid, folder)
                if tmpdir:
                    wait_for(lambda: b"LastUser=" + b"n" * 20000 + b"\nOther=keep\n" in
                             pathlib.Path(inside, "Corvane.conf").read_bytes(), "the new name")
                else:
                    box = wait_for(self.message_boxes, "the failure box")[0]
                    self.assertLogged("Could not write %s: No space left on device" %
                                      self.settings_file)
                    self.assertEqual({name: pathlib.Path(inside, name).read_bytes()
                                      for name in os.listdir(inside)},
                                     {"Corvane.conf": before} if before else {})
                    self.dismiss(box)
                self.exit_program()


if __name__ == "__main__":
    unittest.main()
