#!/usr/bin/python3
"""run_package_test.py [--write-protected] ROOT WORK ZIP TEST_PROGRAM SOURCE_MP3

Unpacks the release zip into an empty folder and runs TEST_PROGRAM's test
Package.*, which starts the unpacked program there, loads SOURCE_MP3 (copied
into a folder of its own), cuts it and closes. tests/judge.py must find no
problem in the cut and the source's tags in it. Outside the unpacked folder
only that cut, a new .mp3 in the Music folder, may be written (files in the
prefix's drive_c, the folders its user folders link to and the source's
folder; registry keys in the files wineserver saves), inside it log.txt and
settings.ini, or nothing with --write-protected (chattr +i; exit code 77
where the file system does not allow it). What Wine writes for any program
that opens a window, an audio device or the open-file dialog is printed, not
counted. The prefix and the home folder are the run's own, in WORK.
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
            states[path] = (("link", os.readlink(path)) if os.path.islink(path) else ("folder",) if os.path.isdir(path) else
                            (os.lstat(path).st_size, os.lstat(path).st_mtime_ns, hashlib.sha256(open(path, "rb").read()).hexdigest()))
    return states


def registry(prefix):  # {(file, key): value lines}, the keys' save-time stamps aside
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
    for name in ("root", "work", "zip", "program", "source"):
        parser.add_argument(name)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    prefix, home, base = (os.path.join(work, n) for n in ("wineprefix", "home", "protected" if args.write_protected else "writable"))
    env = dict(os.environ, HOME=home, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    os.makedirs(home, exist_ok=True)
    subprocess.run([os.path.join(args.root, "cmake", "wine-prefix.sh"), prefix], env=env, check=True)
    subprocess.run(["chattr", "-R", "-i", base], stderr=subprocess.DEVNULL)
    shutil.rmtree(base, ignore_errors=True)
    target, sources = os.path.join(base, "解压 到这里"), os.path.join(base, "源文件")
    os.makedirs(target)
    os.makedirs(sources)
    source = shutil.copy(args.source, sources)
    zipfile.ZipFile(args.zip).extractall(target)
    if os.listdir(target) != [os.path.basename(args.zip)[:-4]]:
        print("FAILED: the zip unpacks to %s, not to one folder named like it" % os.listdir(target))
        return 1
    unpacked, users = os.path.join(target, os.listdir(target)[0]), os.path.join(prefix, "drive_c", "users")
    links = {os.path.realpath(os.path.join(users, u, n)) for u in os.listdir(users) for n in os.listdir(os.path.join(users, u))
             if os.path.islink(os.path.join(users, u, n))}

    def snapshot():
        subprocess.run(["wineserver", "-k"], env=env)  # this prefix's server only: it saves the registry
        subprocess.run(["wineserver", "-w"], env=env)
        files = {}
        for root in [os.path.join(prefix, "drive_c"), sources] + sorted(links):
            files.update(tree(root, skip={unpacked}))
        return files, registry(prefix), tree(unpacked)

    def interrupted(signum, frame):
        raise SystemExit("interrupted by signal %d" % signum)
    signal.signal(signal.SIGTERM, interrupted)  # the folder is made changeable again all the same
    signal.signal(signal.SIGINT, interrupted)
    try:
        if args.write_protected and subprocess.run(["chattr", "+i", unpacked], stderr=subprocess.DEVNULL).returncode:
            print("skipped: this file system does not allow making a folder immutable (chattr +i)")
            return 77
        before = snapshot()
        status = subprocess.run([os.path.join(args.root, "cmake", "wine-run.sh"), prefix, args.program, "--gtest_filter=Package.*"],
                                stdin=subprocess.DEVNULL, env=dict(env, ZDV_PACKAGE_FOLDER="Z:" + unpacked.replace("/", "\\"),
                                ZDV_PACKAGE_SOURCE="Z:" + source.replace("/", "\\"), ZDV_PACKAGE_WRITABLE=str(int(not args.write_protected)))).returncode
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
    for key in [k for k in sorted(set(before[1]) | set(after[1])) if before[1].get(k) != after[1].get(k)]:
        (print if key[1].startswith(WINE_OWN_KEYS) else failures.append)("registry written: %s [%s]" % key)
    if len(cuts) != 1:
        failures.append("expected one cut in the Music folder, found %s" % cuts)
    else:
        out = subprocess.run([sys.executable, os.path.join(args.root, "tests", "judge.py"), "cut", source, cuts[0]], capture_output=True, text=True)
        print(out.stdout, out.stderr)
        verdict = json.loads(out.stdout or '{"problems": ["judge.py failed"], "tags": {}}')
        tags = {f: str(t) for f, t in mutagen.id3.ID3(source).items() if f in ("TPE1", "TALB", "TIT2")}
        failures += verdict["problems"] + ["the cut's %s is %r, not %r" % (f, verdict["tags"].get(f), t)
                                           for f, t in tags.items() if verdict["tags"].get(f) != t]
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
