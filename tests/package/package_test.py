#!/usr/bin/python3
"""package_test.py check ZIP SOURCES_ZIP OBJDUMP ROOT
   package_test.py run [--write-protected] ROOT WORK ZIP TEST_PROGRAM SOURCE_MP3

check: ZIP holds exactly the listed files in one folder named like it:
x86-64 programs that import only system DLLs and the package's own
(id3lib and libmpg123 from their DLLs), UTF-8 READMEs for Notepad (byte
order mark, CR LF), the real licence texts; the repository's READMEs name
the zip; SOURCES_ZIP holds both Debian source packages whole (every file
each .dsc lists but signatures, with its SHA-256) and the build settings.
run: the zip unpacked into an empty folder; TEST_PROGRAM's test Package.*
starts the program there, loads SOURCE_MP3 (copied into a folder of its
own), cuts it and closes. tests/judge.py must find no problem in the cut,
which keeps the source's tags. Outside the unpacked folder only that cut,
a new .mp3 in the Music folder, may be written (files in the prefix's
drive_c, the folders its user folders link to and the source's folder;
registry keys in the files wineserver saves), inside it log.txt and
settings.ini, or nothing with --write-protected (chattr +i; exit code 77
where the file system does not allow it). What Wine writes for any program
that opens a window, an audio device or the open-file dialog is printed,
not counted. The prefix and the home folder are the run's own, in WORK.
Exit code 0 when every check holds.
"""
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import zipfile

import mutagen.id3

PROGRAMS = ["ZorDU3Vodizaro.exe", "bass.dll", "KivControls.dll", "id3lib.dll", "libmpg123.dll"]
TEXTS = ["README.txt", "README.zh-CN.txt", "licenses/NOTICE.txt"]
GPL = "GNU GENERAL PUBLIC LICENSE"
LGPL = "GNU LESSER GENERAL PUBLIC LICENSE"
LIBRARY = "GNU LIBRARY GENERAL PUBLIC LICENSE"
LICENCES = {
    "licenses/id3lib/COPYING": LIBRARY, "licenses/id3lib/copyright": "id3lib", "licenses/mpg123/COPYING": LGPL,
    "licenses/mpg123/copyright": "mpg123", "licenses/zlib/copyright": "Jean-loup Gailly",
    "licenses/mingw-w64/copyright": "winpthreads", "licenses/gcc/copyright": "GCC RUNTIME LIBRARY EXCEPTION",
    "licenses/common-licenses/GPL-2": GPL, "licenses/common-licenses/GPL-3": GPL,
    "licenses/common-licenses/LGPL-2": LIBRARY, "licenses/common-licenses/LGPL-2.1": LGPL}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
               "ole32.dll", "advapi32.dll", "winmm.dll", "shlwapi.dll", "msvcrt.dll"}
OWN_IMPORTS = {"ZorDU3Vodizaro.exe": {"bass.dll", "kivcontrols.dll", "id3lib.dll"}, "bass.dll": {"libmpg123.dll"}}
REQUIRED = {("ZorDU3Vodizaro.exe", "id3lib.dll"): r"ID3_Tag", ("bass.dll", "libmpg123.dll"): r"^mpg123_open"}
WINE_OWN_KEYS = tuple(k.replace("\\", "\\\\") for k in (
    "System\\CurrentControlSet\\Control\\Class\\", "System\\CurrentControlSet\\Control\\Video\\",
    "System\\CurrentControlSet\\Enum\\", "Software\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", "Software\\Wine\\Drivers\\",
    # where the open-file dialog remembers the folder last opened from, for any program
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"))
WINE_OWN_FILES = (".config/pulse",)  # the audio driver's cookie in the home folder
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def entries(archive, folder, root):
    names = archive.namelist()
    expected = sorted(f"{folder}/{n}" for n in PROGRAMS + TEXTS + list(LICENCES))
    check(sorted(names) == expected,
          f"entries: extra {sorted(set(names) - set(expected))}, missing {sorted(set(expected) - set(names))}")

    def read(name):
        return archive.read(f"{folder}/{name}") if f"{folder}/{name}" in names else b""
    for program in PROGRAMS:
        data = read(program)
        pe = int.from_bytes(data[0x3C:0x40], "little") if len(data) > 0x40 else 0
        check(data[:2] == b"MZ" and data[pe:pe + 6] == b"PE\0\0\x64\x86", f"{program} is not an x86-64 Windows program")
    for text in TEXTS:
        data = read(text)
        check(data.startswith(b"\xef\xbb\xbf") and b"\n" not in data.replace(b"\r\n", b""),
              f"{text}: no byte order mark, or lines not ended by CR LF")
        check(b"Zor DU3 Vodizaro" in data and b"](docs/" not in data, f"{text}: no program name, or images not packed")
    check("剪切" in read("README.zh-CN.txt").decode("utf-8", "replace"), "README.zh-CN.txt is not the Chinese one")
    notice = read("licenses/NOTICE.txt").decode("utf-8", "replace")
    for name in ["id3lib.dll", "libmpg123.dll", "LGPL", "GCC Runtime Library Exception"]:
        check(name in notice, f"NOTICE.txt does not mention {name}")
    for licence, phrase in LICENCES.items():
        check(phrase.encode() in read(licence), f"{licence} does not hold {phrase!r}")
    for readme in ["README.md", "README.zh-CN.md"]:
        text = open(os.path.join(root, readme), encoding="utf-8").read()
        check(f"{folder}.zip" in text, f"{readme} names no {folder}.zip")


def imports(archive, folder, objdump):
    with tempfile.TemporaryDirectory() as temp:
        archive.extractall(temp)
        for program in PROGRAMS:
            found, current = {}, None
            dump = subprocess.run([objdump, "-p", os.path.join(temp, folder, program)], capture_output=True, text=True)
            for line in dump.stdout.splitlines():
                dll = re.match(r"\s*DLL Name: (\S+)", line)
                entry = re.match(r"\s+[0-9a-f]+\s+[0-9a-f]+\s+(\S+)$", line)
                if dll:
                    current = found.setdefault(dll.group(1).lower(), [])
                elif entry and current is not None:
                    current.append(entry.group(1))
            allowed = SYSTEM_DLLS | OWN_IMPORTS.get(program, set())
            check(found and set(found) <= allowed, f"{program} imports {sorted(set(found) - allowed)}")
            for (module, dll), pattern in REQUIRED.items():
                check(module != program or any(re.search(pattern, n) for n in found.get(dll, [])),
                      f"{program} takes nothing matching {pattern} from {dll}")


def sources(archive, folder):
    names = set(archive.namelist())
    for name in ["README.txt", "build/Id3lib.cmake", "build/Mpg123.cmake", "build/id3lib/config.h"]:
        check(f"{folder}/{name}" in names, f"{name} is missing")
    for package in ["id3lib3.8.3", "mpg123"]:
        dscs = [n for n in names if n.startswith(f"{folder}/{package}/") and n.endswith(".dsc")]
        check(len(dscs) == 1, f"{package}: {len(dscs)} .dsc files")
        dsc = archive.read(dscs[0]).decode("utf-8", "replace") if len(dscs) == 1 else ""
        listed = re.findall(r"^ ([0-9a-f]{64}) \d+ (\S+)$", dsc.split("Checksums-Sha256:")[-1], re.M)
        check(listed, f"{package}: the .dsc lists no files")
        for digest, name in [(d, n) for d, n in listed if not n.endswith(".asc")]:  # signatures are not sources
            entry = f"{folder}/{package}/{name}"
            check(entry in names and hashlib.sha256(archive.read(entry)).hexdigest() == digest,
                  f"{package}: {name} is missing or differs from what the .dsc says")


def tree(root, skip=()):
    """{path: state} of everything under root, links not followed."""
    states = {}
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [s for s in subfolders if os.path.join(folder, s) not in skip]
        for path in [folder] + [os.path.join(folder, name) for name in subfolders + files]:
            if os.path.islink(path):
                states[path] = ("link", os.readlink(path))
            elif os.path.isdir(path):
                states[path] = ("folder",)
            else:
                digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
                states[path] = (os.lstat(path).st_size, os.lstat(path).st_mtime_ns, digest)
    return states


def registry(prefix):
    """{(file, key): value lines}, the keys' save-time stamps aside."""
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


def run(protected, root, work, zip_path, program, source_mp3):
    work = os.path.abspath(work)
    prefix, home = os.path.join(work, "wineprefix"), os.path.join(work, "home")
    base = os.path.join(work, "protected" if protected else "writable")
    env = dict(os.environ, HOME=home, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    os.makedirs(home, exist_ok=True)
    subprocess.run([os.path.join(root, "cmake", "wine-prefix.sh"), prefix], env=env, check=True)
    subprocess.run(["chattr", "-R", "-i", base], stderr=subprocess.DEVNULL)
    shutil.rmtree(base, ignore_errors=True)
    target, sources_folder = os.path.join(base, "解压 到这里"), os.path.join(base, "源文件")
    os.makedirs(target)
    os.makedirs(sources_folder)
    source = shutil.copy(source_mp3, sources_folder)
    zipfile.ZipFile(zip_path).extractall(target)
    if os.listdir(target) != [os.path.basename(zip_path)[:-4]]:
        return check(False, f"the zip unpacks to {os.listdir(target)}, not to one folder named like it")
    unpacked, users = os.path.join(target, os.listdir(target)[0]), os.path.join(prefix, "drive_c", "users")
    user_folders = [os.path.join(users, u, n) for u in os.listdir(users) for n in os.listdir(os.path.join(users, u))]
    links = {os.path.realpath(f) for f in user_folders if os.path.islink(f)}

    def snapshot():
        subprocess.run(["wineserver", "-k"], env=env)  # this prefix's server only: it saves the registry
        subprocess.run(["wineserver", "-w"], env=env)
        files = {}
        for folder in [os.path.join(prefix, "drive_c"), sources_folder] + sorted(links):
            files.update(tree(folder, skip={unpacked}))
        return files, registry(prefix), tree(unpacked)

    def interrupted(signum, frame):
        raise SystemExit(f"interrupted by signal {signum}")
    signal.signal(signal.SIGTERM, interrupted)  # the folder is made changeable again all the same
    signal.signal(signal.SIGINT, interrupted)
    try:
        if protected and subprocess.run(["chattr", "+i", unpacked], stderr=subprocess.DEVNULL).returncode:
            print("skipped: this file system does not allow making a folder immutable (chattr +i)")
            sys.exit(77)
        before = snapshot()
        variables = dict(env, ZDV_PACKAGE_FOLDER="Z:" + unpacked.replace("/", "\\"),
                         ZDV_PACKAGE_SOURCE="Z:" + source.replace("/", "\\"))
        command = [os.path.join(root, "cmake", "wine-run.sh"), prefix, program, "--gtest_filter=Package.*"]
        status = subprocess.run(command, stdin=subprocess.DEVNULL, env=variables).returncode
        after = snapshot()
    finally:
        subprocess.run(["chattr", "-i", unpacked], stderr=subprocess.DEVNULL)

    check(status == 0, f"the test program failed ({status})")
    music = {os.path.realpath(os.path.join(users, u, "Music")) for u in os.listdir(users)}
    outside = changes(before[0], after[0])
    cuts = [p for kind, p in outside if kind == "created" and os.path.dirname(p) in music and p.endswith(".mp3")]
    for kind, path in outside:
        if path.startswith(tuple(os.path.join(home, f) for f in WINE_OWN_FILES)):
            print(f"written by Wine (not counted): {kind} {path}")
        else:
            check(path in cuts[:1], f"written outside the program's folder: {kind} {path}")
    for key in [k for k in sorted(set(before[1]) | set(after[1])) if before[1].get(k) != after[1].get(k)]:
        (print if key[1].startswith(WINE_OWN_KEYS) else failures.append)("registry written: %s [%s]" % key)
    check(len(cuts) == 1, f"expected one cut in the Music folder, found {cuts}")
    if len(cuts) == 1:
        judge_cut(root, source, cuts[0])
        os.remove(cuts[0])
    inside = {(kind, os.path.relpath(p, unpacked)) for kind, p in changes(before[2], after[2])}
    allowed = set() if protected else {("created", "log.txt"), ("created", "settings.ini")}
    check(inside == allowed, f"in the program's folder, expected {sorted(allowed)}, found {sorted(inside)}")


def judge_cut(root, source, cut, frames=()):
    """tests/judge.py finds no problem in cut (of source frames I..J-1 with frames (I, J)); it keeps the
    source's artist, album and title."""
    command = [sys.executable, os.path.join(root, "tests", "judge.py"), "cut", source, cut]
    out = subprocess.run(command + (["--frames", *map(str, frames)] if frames else []), capture_output=True, text=True)
    print(out.stdout, out.stderr)
    verdict = json.loads(out.stdout or '{"problems": ["judge.py failed"], "tags": {}}')
    failures.extend(verdict["problems"])
    for frame, text in mutagen.id3.ID3(source).items():
        check(frame not in ("TPE1", "TALB", "TIT2") or verdict["tags"].get(frame) == str(text),
              f"the cut's {frame} is {verdict['tags'].get(frame)!r}, not {str(text)!r}")


def main(args):
    if args[0] == "check":
        zip_path, sources_zip, objdump, root = args[1:5]
        for path in (zip_path, sources_zip):
            folder = os.path.basename(path)[:-len(".zip")]
            with zipfile.ZipFile(path) as archive:
                if path == zip_path:
                    entries(archive, folder, root)
                    imports(archive, folder, objdump)
                else:
                    sources(archive, folder)
    else:
        protected = "--write-protected" in args
        run(protected, *[a for a in args[1:] if a != "--write-protected"])
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
