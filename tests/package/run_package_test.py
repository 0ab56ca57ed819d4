#!/usr/bin/python3
"""The release zip as a user meets it, under Wine.

run_package_test.py [--write-protected] ROOT WORK ZIP TEST_PROGRAM SOURCE_MP3

Unpacks ZIP into an empty folder and runs TEST_PROGRAM (its test Package.*),
which starts the unpacked program there, loads SOURCE_MP3 (copied into a
folder of its own), cuts it and closes the window; tests/judge.py must find
no problem in the cut and the source's artist, album and title in it. The
only change allowed outside the unpacked folder is that cut, a new .mp3 in
the user's Music folder; inside it, log.txt and settings.ini (nothing with
--write-protected, where the folder is made immutable by chattr +i; exit code
77 when the file system does not allow that).

A change is a file or folder created, deleted, or changed in size, time or
content in the prefix's drive_c, in the folders its user folders link to and
in the source's folder; or a registry key created, deleted or changed in the
files wineserver saves when it ends (its save-time stamps aside). Not
counted, as Wine itself writes them for any program that opens a window, an
audio device or the open-file dialog (each is printed): WINE_OWN_KEYS and
WINE_OWN_FILES. The run uses a Wine prefix and a home folder of its own, in
WORK, so that nothing else writes there meanwhile.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import zipfile

import mutagen.id3

WINE_OWN_KEYS = tuple(k.replace("\\", "\\\\") for k in (
    "System\\CurrentControlSet\\Control\\Class\\", "System\\CurrentControlSet\\Control\\Video\\",
    "System\\CurrentControlSet\\Enum\\", "Software\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", "Software\\Wine\\Drivers\\",
    # where the open-file dialog remembers the folder last opened from, for any program
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"))
WINE_OWN_FILES = (".config/pulse",)  # the audio driver's cookie in the home folder


def tree(root, skip=()):
    """{path: state} of everything under root, links not followed."""
    states = {}
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [s for s in subfolders if os.path.join(folder, s) not in skip]
        for path in [folder] + [os.path.join(folder, name) for name in subfolders + files]:
            info = os.lstat(path)
            if os.path.islink(path):
                states[path] = ("link", os.readlink(path))
            elif os.path.isdir(path):
                states[path] = ("folder",)
            else:
                with open(path, "rb") as f:
                    states[path] = (info.st_size, info.st_mtime_ns, hashlib.sha256(f.read()).hexdigest())
    return states


def registry(prefix):
    keys, current = {}, None
    for name in [n for n in ("system.reg", "user.reg", "userdef.reg") if os.path.exists(os.path.join(prefix, n))]:
        for line in open(os.path.join(prefix, name), encoding="utf-8", errors="replace").read().splitlines():
            key = re.match(r"^\[(.*)\](?: \d+)?$", line)
            if key:
                current = keys.setdefault((name, key.group(1)), [])
            elif current is not None and line and not line.startswith("#time="):
                current.append(line)
    return keys


def changes(before, after):
    return [("created" if p not in before else "deleted" if p not in after else "changed", p)
            for p in sorted(set(before) | set(after)) if before.get(p) != after.get(p)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--write-protected", action="store_true")
    for name in ("root", "work", "zip", "test_program", "source_mp3"):
        parser.add_argument(name)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    prefix, home = os.path.join(work, "wineprefix"), os.path.join(work, "home")
    env = dict(os.environ, HOME=home, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    os.makedirs(home, exist_ok=True)
    subprocess.run([os.path.join(args.root, "cmake", "wine-prefix.sh"), prefix], env=env, check=True)

    base = os.path.join(work, "protected" if args.write_protected else "writable")
    if os.path.exists(base):
        subprocess.run(["chattr", "-R", "-i", base], stderr=subprocess.DEVNULL)
        shutil.rmtree(base)
    target, sources = os.path.join(base, "解压 到这里"), os.path.join(base, "源文件")
    os.makedirs(target)
    os.makedirs(sources)
    source = os.path.join(sources, os.path.basename(args.source_mp3))
    shutil.copyfile(args.source_mp3, source)
    zipfile.ZipFile(args.zip).extractall(target)
    if os.listdir(target) != [os.path.basename(args.zip)[:-4]]:
        print("FAILED: the zip unpacks to %s, not to one folder named like it" % os.listdir(target))
        return 1
    unpacked = os.path.join(target, os.listdir(target)[0])
    users = os.path.join(prefix, "drive_c", "users")
    links = {os.path.realpath(os.path.join(users, u, n)) for u in os.listdir(users)
             for n in os.listdir(os.path.join(users, u)) if os.path.islink(os.path.join(users, u, n))}

    def snapshot():
        subprocess.run(["wineserver", "-k"], env=env)  # this prefix's server only; it saves the registry
        subprocess.run(["wineserver", "-w"], env=env)
        files = {}
        for root in [os.path.join(prefix, "drive_c"), sources] + sorted(links):
            files.update(tree(root, skip={unpacked}))
        return files, registry(prefix), tree(unpacked)

    def interrupted(signum, frame):
        raise SystemExit("interrupted by signal %d" % signum)
    # An ending test still makes the folder changeable again, or nobody could delete it.
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)
    try:
        if args.write_protected and subprocess.run(["chattr", "+i", unpacked], stderr=subprocess.DEVNULL).returncode:
            print("skipped: this file system does not allow making a folder immutable (chattr +i)")
            return 77
        before = snapshot()
        run_env = dict(env, ZDV_PACKAGE_FOLDER="Z:" + unpacked.replace("/", "\\"),
                       ZDV_PACKAGE_SOURCE="Z:" + source.replace("/", "\\"),
                       ZDV_PACKAGE_WRITABLE="0" if args.write_protected else "1")
        status = subprocess.run([os.path.join(args.root, "cmake", "wine-run.sh"), prefix, args.test_program, "--gtest_filter=Package.*"],
                                env=run_env, stdin=subprocess.DEVNULL).returncode
        after = snapshot()
    finally:
        subprocess.run(["chattr", "-i", unpacked], stderr=subprocess.DEVNULL)

    failures = [] if status == 0 else ["the test program failed (%d)" % status]
    music = {os.path.realpath(os.path.join(users, u, "Music")) for u in os.listdir(users)}
    outside = changes(before[0], after[0])
    cuts = [p for kind, p in outside if kind == "created" and os.path.dirname(p) in music and p.endswith(".mp3")]
    for kind, path in outside:
        if path.startswith(tuple(os.path.join(home, f) for f in WINE_OWN_FILES)):
            print("written by Wine (not counted): %s %s" % (kind, path))
        elif path not in cuts[:1]:
            failures.append("written outside the program's folder: %s %s" % (kind, path))
    for key in sorted(set(before[1]) | set(after[1])):
        if before[1].get(key) != after[1].get(key):
            if key[1].startswith(WINE_OWN_KEYS):
                print("registry written by Wine (not counted): %s [%s]" % key)
            else:
                failures.append("registry written: %s [%s]" % key)
    if len(cuts) != 1:
        failures.append("expected one cut in the Music folder, found %s" % cuts)
    else:
        out = subprocess.run([sys.executable, os.path.join(args.root, "tests", "judge.py"), "cut", source, cuts[0]],
                             capture_output=True, text=True)
        verdict = json.loads(out.stdout or "{}")
        print(out.stdout, out.stderr)
        failures += verdict.get("problems", ["judge.py: %s" % out.stderr])
        tags = {f: str(t) for f, t in mutagen.id3.ID3(source).items() if f in ("TPE1", "TALB", "TIT2")}
        failures += ["the cut's %s is %r, the source's %r" % (f, verdict.get("tags", {}).get(f), t)
                     for f, t in tags.items() if verdict.get("tags", {}).get(f) != t]
        os.remove(cuts[0])
    inside = {(kind, os.path.relpath(p, unpacked)) for kind, p in changes(before[2], after[2])}
    allowed = set() if args.write_protected else {("created", "log.txt"), ("created", "settings.ini")}
    if inside != allowed:
        failures.append("in the program's folder, expected %s, found %s" % (sorted(allowed), sorted(inside)))
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
