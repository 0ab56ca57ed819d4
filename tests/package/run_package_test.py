#!/usr/bin/python3
"""The release zip as a user meets it, under Wine.

run_package_test.py [--write-protected] ROOT WORK ZIP TEST_PROGRAM SOURCE_MP3

Unpacks ZIP into an empty folder, and runs TEST_PROGRAM (package_test.cpp)
under Wine, which starts the unpacked program from there, loads SOURCE_MP3
(copied into a folder of its own) through the open-file dialog, cuts it and
closes the window; the cut, the whole file, must hold the source's audio and
tags (mutagen). Around that run it takes two snapshots of everything the
program could write to, and fails unless the only difference outside the
unpacked folder is the cut file, a new .mp3 in the user's Music folder.

"Written" here means, precisely:
  - a file or folder created, deleted, or changed in size, modification time
    or content (SHA-256), anywhere in the Wine prefix's drive_c (the user
    folders and the temp folder included), in the folders that the prefix's
    user folders link to (Music, Documents, ... link to the Wine user's home)
    and in the source MP3's folder;
  - a registry key created, deleted, or with a value added, removed or
    changed, in the registry files that wineserver saves when it ends
    (system.reg, user.reg, userdef.reg). The keys' save-time stamps are
    bookkeeping of wineserver, not data.
Not counted, because Wine itself writes them in every process that opens a
window or an audio device, whatever the program does (each is printed): the
keys of WINE_OWN_KEYS (Wine's display and audio drivers record the devices
they find there, with the time they did) and the PulseAudio client's cookie
that Wine's audio driver leaves in the home folder. Nor are the keys of
FILE_DIALOG_KEYS, where the system's open-file dialog (not the program)
remembers the folder last opened from, on Windows as under Wine.
To make the run precise, it uses a Wine prefix of its own, in WORK, whose
user folders link to a home folder of its own: no other test and no other
program can write there meanwhile, and wineserver is ended (and so saves the
registry) before each snapshot.

With --write-protected the unpacked folder is made immutable (chattr +i:
nothing can be created, deleted or renamed in it, even by root): the program
must still load, cut and close, and write nothing at all into that folder.
Exit code 77 (skipped) when the file system does not allow chattr.
"""
import argparse
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import zipfile

SKIP = 77

# Registry subtrees that Wine's own drivers and services keep up to date.
WINE_OWN_KEYS = (
    "System\\\\CurrentControlSet\\\\Control\\\\Class\\\\",        # display adapters, monitors
    "System\\\\CurrentControlSet\\\\Control\\\\Video\\\\",        # the display driver
    "System\\\\CurrentControlSet\\\\Enum\\\\",                     # the devices found
    "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\MMDevices\\\\",  # audio endpoints
    "Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\NetworkCards",  # network adapters
    "Software\\\\Wine\\\\Drivers\\\\",                             # winepulse.drv's device ids
)
# Registry subtrees where the system's open-file dialog keeps what it
# remembers for each program (the folder last opened from), as it does on
# Windows for every program that shows it.
FILE_DIALOG_KEYS = (
    "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\ComDlg32\\\\",
    "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Advanced",  # opened for its view settings
)
# Files of Wine's audio driver in the home folder, relative to it.
WINE_OWN_FILES = (".config/pulse",)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def file_state(path):
    info = os.lstat(path)
    if os.path.islink(path):
        return ("link", os.readlink(path))
    if os.path.isdir(path):
        return ("folder",)
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return ("file", info.st_size, info.st_mtime_ns, digest.hexdigest())


def tree_snapshot(root, skip=()):
    """{path: state} of every entry under root, symbolic links not followed."""
    states = {}
    if not os.path.lexists(root):
        return states
    states[root] = file_state(root)
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [s for s in subfolders if os.path.join(folder, s) not in skip]
        for name in subfolders + files:
            path = os.path.join(folder, name)
            states[path] = file_state(path)
    return states


REG_KEY = re.compile(r"^\[(.*)\](?: \d+)?$")


def registry_snapshot(prefix):
    """{(file, key): [value lines]} of the registry files, without the keys'
    save-time stamps."""
    keys = {}
    for name in ("system.reg", "user.reg", "userdef.reg"):
        path = os.path.join(prefix, name)
        if not os.path.exists(path):
            continue
        current = None
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.rstrip("\n")
                match = REG_KEY.match(line)
                if match:
                    current = keys.setdefault((name, match.group(1)), [])
                elif current is not None and line and not line.startswith("#time="):
                    current.append(line)
    return keys


class Run:
    def __init__(self, args):
        self.root = os.path.abspath(args.root)
        self.work = os.path.abspath(args.work)
        self.prefix = os.path.join(self.work, "wineprefix")
        self.home = os.path.join(self.work, "home")
        self.env = dict(os.environ, HOME=self.home, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")

    def wine(self, *command, env=None):
        return subprocess.run(list(command), env=env or self.env, stdin=subprocess.DEVNULL)

    def end_wineserver(self):
        # Ends this prefix's server only (never the project's shared one),
        # which saves the registry files.
        self.wine("wineserver", "-k")
        self.wine("wineserver", "-w")

    def user_folder_targets(self):
        """The folders outside drive_c that the prefix's user folders link to."""
        targets = set()
        users = os.path.join(self.prefix, "drive_c", "users")
        for user in os.listdir(users):
            for name in os.listdir(os.path.join(users, user)):
                path = os.path.join(users, user, name)
                if os.path.islink(path):
                    targets.add(os.path.realpath(path))
        return sorted(targets)

    def snapshot(self, source_folder, unpacked):
        self.end_wineserver()
        files = {}
        drive_c = os.path.join(self.prefix, "drive_c")
        for root in [drive_c, source_folder] + self.user_folder_targets():
            files.update(tree_snapshot(root, skip={unpacked}))
        return files, registry_snapshot(self.prefix)


def differences(before, after):
    changed = []
    for path in sorted(set(before) | set(after)):
        if path not in before:
            changed.append(("created", path))
        elif path not in after:
            changed.append(("deleted", path))
        elif before[path] != after[path]:
            changed.append(("changed", path))
    return changed


def judge_cut(source, cut):
    """What mutagen reads of the cut of the whole file: nearly all of the
    source's audio, and its artist, album and title (the tag written through
    the package's id3lib.dll)."""
    import mutagen.mp3
    failures = []
    original, made = mutagen.mp3.MP3(source), mutagen.mp3.MP3(cut)
    # All frames but the last: within a frame or two of the source, as
    # mutagen counts (with or without the source's gapless information).
    if abs(made.info.length - original.info.length) > 0.1:
        failures.append(f"the cut lasts {made.info.length:.3f} s, the source {original.info.length:.3f} s")
    for frame in ("TPE1", "TALB", "TIT2"):
        want, got = str(original.tags.get(frame)), str((made.tags or {}).get(frame))
        if want != got:
            failures.append(f"the cut's {frame} is {got!r}, the source's {want!r}")
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--write-protected", action="store_true")
    parser.add_argument("root")
    parser.add_argument("work")
    parser.add_argument("zip")
    parser.add_argument("test_program")
    parser.add_argument("source_mp3")
    args = parser.parse_args()
    run = Run(args)

    # The prefix of this test, made once and kept (its user folders link to
    # the home folder given while it is made).
    os.makedirs(run.home, exist_ok=True)
    subprocess.run([os.path.join(run.root, "cmake", "wine-prefix.sh"), run.prefix], env=run.env, check=True)

    name = "protected" if args.write_protected else "writable"
    base = os.path.join(run.work, name)
    immutable = []
    if os.path.exists(base):
        subprocess.run(["chattr", "-R", "-i", base], stderr=subprocess.DEVNULL)
        shutil.rmtree(base)
    # An empty folder with a space and Chinese characters in its name.
    target = os.path.join(base, "解压 到这里")
    sources = os.path.join(base, "源文件")
    os.makedirs(target)
    os.makedirs(sources)
    source = os.path.join(sources, os.path.basename(args.source_mp3))
    shutil.copyfile(args.source_mp3, source)
    with zipfile.ZipFile(args.zip) as archive:
        archive.extractall(target)
    folders = [entry for entry in os.listdir(target)]
    if folders != [os.path.basename(args.zip)[: -len(".zip")]]:
        print(f"FAILED: the zip unpacks to {folders}, not to one folder named like the zip")
        return 1
    unpacked = os.path.join(target, folders[0])

    failures = []

    def interrupted(signum, frame):
        raise SystemExit(f"interrupted by signal {signum}")
    # An ending test (Ctrl+C, a runner's time-out) still makes the folder
    # changeable again below; otherwise nobody could delete it.
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)
    try:
        if args.write_protected:
            if subprocess.run(["chattr", "+i", unpacked], stderr=subprocess.DEVNULL).returncode != 0:
                print("skipped: this file system does not allow making a folder immutable (chattr +i)")
                return SKIP
            immutable.append(unpacked)
        unpacked_before = tree_snapshot(unpacked)
        files_before, registry_before = run.snapshot(sources, unpacked)

        env = dict(run.env, ZDV_PACKAGE_FOLDER=windows_path(unpacked), ZDV_PACKAGE_SOURCE=windows_path(source),
                   ZDV_PACKAGE_WRITABLE="0" if args.write_protected else "1")
        result = run.wine(os.path.join(run.root, "cmake", "wine-run.sh"), run.prefix, args.test_program, env=env)
        if result.returncode != 0:
            failures.append(f"the test program failed ({result.returncode} failed checks)")

        files_after, registry_after = run.snapshot(sources, unpacked)
        unpacked_after = tree_snapshot(unpacked)
    finally:
        for folder in immutable:
            subprocess.run(["chattr", "-i", folder])

    # Outside the unpacked folder: the cut file and nothing else.
    music = [os.path.realpath(os.path.join(run.prefix, "drive_c", "users", user, "Music"))
             for user in os.listdir(os.path.join(run.prefix, "drive_c", "users"))]
    outside = differences(files_before, files_after)
    cut = [path for kind, path in outside
           if kind == "created" and os.path.dirname(path) in music and path.lower().endswith(".mp3")]
    wine_own = tuple(os.path.join(run.home, name) for name in WINE_OWN_FILES)
    for kind, path in outside:
        if path in cut[:1]:
            continue
        if path.startswith(wine_own):
            print(f"written by Wine's audio driver (not counted): {kind} {path}")
            continue
        failures.append(f"written outside the program's folder: {kind} {path}")
    if len(cut) != 1:
        failures.append(f"expected one cut file in the Music folder {music}, found {cut}")
    else:
        print(f"the cut file: {cut[0]} ({os.path.getsize(cut[0])} bytes)")
        failures += judge_cut(source, cut[0])
        os.remove(cut[0])
    for key in sorted(set(registry_before) | set(registry_after)):
        if registry_before.get(key) == registry_after.get(key):
            continue
        if key[1].startswith(WINE_OWN_KEYS):
            print(f"registry written by Wine itself (not counted): {key[0]} [{key[1]}]")
        elif key[1].startswith(FILE_DIALOG_KEYS):
            print(f"registry written by the open-file dialog (not counted): {key[0]} [{key[1]}]")
        else:
            failures.append(f"registry written: {key[0]} [{key[1]}]: "
                            f"{registry_before.get(key)} -> {registry_after.get(key)}")

    # Inside it: log.txt and settings.ini, or nothing at all when protected.
    inside = [(kind, os.path.relpath(path, unpacked)) for kind, path in differences(unpacked_before, unpacked_after)]
    print(f"written in the program's folder: {inside}")
    allowed = set() if args.write_protected else {("created", "log.txt"), ("created", "settings.ini")}
    if set(inside) != allowed:
        failures.append(f"in the program's folder, expected {sorted(allowed)}, found {inside}")

    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(failures)} check(s) failed" if failures else "all checks hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
