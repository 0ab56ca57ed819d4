#!/usr/bin/python3
"""package_test.py check ZIP SOURCES_ZIP OBJDUMP ROOT: the zip's files, imports, texts, licences and version; the
LGPL sources' zip. package_test.py run [--write-protected] ROOT WORK ZIP TEST_PROGRAM SOURCE_MP3: the zip unpacked
with a Wine prefix and home of its own, TEST_PROGRAM's Package.* cuts SOURCE_MP3: the cut must be good and the one
file written outside the program's folder, log.txt and settings.ini the only ones inside (none with
--write-protected: chattr +i, exit code 77 where not allowed), no registry key written but Wine's own.
"""
import hashlib
import json
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import zipfile

import mutagen.id3

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import judge  # noqa: E402

PROGRAMS = ["ZorDU3Vodizaro.exe", "vodizaro-cut.exe", "bass.dll", "KivControls.dll", "id3lib.dll", "libmpg123.dll"]
TEXTS = ["README.txt", "README.zh-CN.txt", "licenses/NOTICE.txt"]
GPL, LGPL = "GNU GENERAL PUBLIC LICENSE", "GNU LESSER GENERAL PUBLIC LICENSE"
LIBRARY = "GNU LIBRARY GENERAL PUBLIC LICENSE"
LICENCES = {
    "licenses/id3lib/COPYING": LIBRARY, "licenses/id3lib/copyright": "id3lib", "licenses/mpg123/COPYING": LGPL,
    "licenses/mpg123/copyright": "mpg123", "licenses/zlib/copyright": "Jean-loup Gailly",
    "licenses/mingw-w64/copyright": "winpthreads", "licenses/gcc/copyright": "GCC RUNTIME LIBRARY EXCEPTION",
    "licenses/common-licenses/GPL-2": GPL, "licenses/common-licenses/GPL-3": GPL,
    "licenses/common-licenses/LGPL-2": LIBRARY, "licenses/common-licenses/LGPL-2.1": LGPL}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
               "ole32.dll", "advapi32.dll", "winmm.dll", "shlwapi.dll", "msvcrt.dll"}
OWN_IMPORTS = {"ZorDU3Vodizaro.exe": {"bass.dll", "kivcontrols.dll", "id3lib.dll", "libmpg123.dll"},
               "bass.dll": {"libmpg123.dll"},
               "vodizaro-cut.exe": {"id3lib.dll", "libmpg123.dll"}}
REQUIRED = {("ZorDU3Vodizaro.exe", "id3lib.dll"): r"ID3_Tag", ("bass.dll", "libmpg123.dll"): r"\smpg123_open"}
RESOURCE = {"ProductName": "Zor DU3 Vodizaro", "OriginalFilename": "ZorDU3Vodizaro.exe",
            "FileDescription": "Zor DU3 Vodizaro - MP3 无损剪切 (逐帧复制，不重新编码)"}
WINE_OWN_KEYS = (  # what Wine writes for any program that opens a window, an audio device or the open-file dialog
    r"System\\CurrentControlSet\\Control\\Class\\", r"System\\CurrentControlSet\\Control\\Video\\",
    r"System\\CurrentControlSet\\Enum\\", r"Software\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\",
    r"Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", r"Software\\Wine\\Drivers\\",
    r"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\",
    r"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced")
WINE_OWN_FILES = ".config/pulse"  # the audio driver's cookie in the home folder
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def package(archive, folder, root, objdump):
    names = archive.namelist()
    expected = sorted(f"{folder}/{n}" for n in PROGRAMS + TEXTS + list(LICENCES))
    if sorted(names) != expected:
        return check(False, f"entries: extra {sorted(set(names) - set(expected))}, missing "
                            f"{sorted(set(expected) - set(names))}")
    data = {name[len(folder) + 1:]: archive.read(name) for name in names}
    for text in TEXTS:
        check(data[text].startswith(b"\xef\xbb\xbf") and b"\n" not in data[text].replace(b"\r\n", b""),
              f"{text}: no byte order mark, or lines not ended by CR LF")
        check(b"Zor DU3 Vodizaro" in data[text] and b"](docs/" not in data[text],
              f"{text}: no program name, or images not packed")
    check("剪切".encode() in data["README.zh-CN.txt"], "README.zh-CN.txt is not the Chinese one")
    for name in ["id3lib.dll", "libmpg123.dll", "LGPL", "GCC Runtime Library Exception"]:
        check(name.encode() in data["licenses/NOTICE.txt"], f"NOTICE.txt does not mention {name}")
    for licence, phrase in LICENCES.items():
        check(phrase.encode() in data[licence], f"{licence} does not hold {phrase!r}")
    for readme in ["README.md", "README.zh-CN.md"]:
        check(f"{folder}.zip" in open(os.path.join(root, readme), encoding="utf-8").read(),
              f"{readme} names no {folder}.zip")
    version = re.search(r"project\(\S+ VERSION (\S+)", open(os.path.join(root, "CMakeLists.txt")).read()).group(1)
    check(folder == f"ZorDU3Vodizaro-{version}-win64", f"the zip's folder {folder} is not named for version {version}")
    strings = data["ZorDU3Vodizaro.exe"].decode("utf-16-le", "replace")  # the version resource's, the About box's
    about = "Zor DU3 Vodizaro v%s.%s\n" % tuple(version.split(".")[:2])
    check(about in strings, f"the About box does not begin {about!r}")
    for key, value in dict(RESOURCE, FileVersion=version, ProductVersion=version).items():
        found = re.search(key + "\0+([^\0]*)", strings)
        check(found and found[1] == value, f"version resource: {key} is {found and found[1]!r}, not {value!r}")
    with tempfile.TemporaryDirectory() as temp:
        archive.extractall(temp)
        for program in PROGRAMS:
            dump = subprocess.run([objdump, "-p", os.path.join(temp, folder, program)], capture_output=True,
                                  text=True).stdout
            found = {dll.lower(): entries for dll, entries in re.findall(r"DLL Name: (\S+)\n(.*?)\n\n", dump, re.S)}
            allowed = SYSTEM_DLLS | OWN_IMPORTS.get(program, set())
            check(found and set(found) <= allowed, f"{program} imports {sorted(set(found) - allowed)}")
            for (module, dll), pattern in REQUIRED.items():
                check(module != program or re.search(pattern, found.get(dll, "")),
                      f"{program} takes nothing matching {pattern} from {dll}")


def sources(archive, folder):
    names = set(archive.namelist())
    for name in ["README.txt", "build/Id3lib.cmake", "build/Mpg123.cmake", "build/id3lib/config.h"]:
        check(f"{folder}/{name}" in names, f"{name} is missing")
    for package in ["id3lib3.8.3", "mpg123"]:
        dscs = [n for n in names if n.startswith(f"{folder}/{package}/") and n.endswith(".dsc")]
        dsc = archive.read(dscs[0]).decode("utf-8", "replace") if len(dscs) == 1 else ""
        listed = re.findall(r"^ ([0-9a-f]{64}) \d+ (\S+)$", dsc.split("Checksums-Sha256:")[-1], re.M)
        check(listed, f"{package}: {len(dscs)} .dsc files, listing {len(listed)} files")
        for digest, name in listed:  # but signatures, which are no sources
            entry = f"{folder}/{package}/{name}"
            check(name.endswith(".asc") or entry in names and hashlib.sha256(archive.read(entry)).hexdigest() == digest,
                  f"{package}: {name} is missing or differs from what the .dsc says")


def snapshot(roots, prefix, env):
    """The size and time of each file under roots, and the registry's keys, once wineserver has saved them."""
    subprocess.run(["wineserver", "-k"], env=env)
    subprocess.run(["wineserver", "-w"], env=env)
    files, keys = {}, {}
    for root in roots:
        for folder, subfolders, names in os.walk(root):
            for path in [folder] + [os.path.join(folder, n) for n in subfolders + names]:
                s = os.lstat(path)
                files[path] = () if stat.S_ISDIR(s.st_mode) else (s.st_size, s.st_mtime_ns)
    for name in [n for n in ("system.reg", "user.reg", "userdef.reg") if os.path.exists(os.path.join(prefix, n))]:
        text = open(os.path.join(prefix, name), encoding="utf-8", errors="replace").read()
        for key, values in re.findall(r"^\[(.+)\].*\n((?:[^\[\n].*\n|\n)*)", text, re.M):
            keys[name, key] = re.sub(r"#time=.*\n", "", values)
    return files, keys


def run(protected, root, work, zip_path, program, source_mp3):
    work = os.path.abspath(work)
    prefix, home = os.path.join(work, "wineprefix"), os.path.join(work, "home")
    base = os.path.join(work, "protected" if protected else "writable")
    env = dict(os.environ, HOME=home, WINEPREFIX=prefix)  # the scripts set the rest
    os.makedirs(home, exist_ok=True)
    subprocess.run([os.path.join(root, "cmake", "wine-prefix.sh"), prefix], env=env, check=True)
    subprocess.run(["chattr", "-R", "-i", base], stderr=subprocess.DEVNULL)
    shutil.rmtree(base, ignore_errors=True)
    os.makedirs(os.path.join(base, "源文件"))
    source = shutil.copy(source_mp3, os.path.join(base, "源文件"))
    zipfile.ZipFile(zip_path).extractall(os.path.join(base, "解压 到这里"))
    unpacked = os.path.join(base, "解压 到这里", os.path.basename(zip_path)[:-4])
    users = os.path.join(prefix, "drive_c", "users")
    music = {os.path.realpath(os.path.join(users, u, "Music")) for u in os.listdir(users)}
    roots = [os.path.join(prefix, "drive_c"), base, home]  # the user folders link into home
    signal.signal(signal.SIGTERM, lambda number, _: sys.exit(f"stopped by signal {number}"))  # runs the finally
    try:
        if protected and subprocess.run(["chattr", "+i", unpacked], stderr=subprocess.DEVNULL).returncode:
            print("skipped: this file system does not allow making a folder immutable (chattr +i)")
            sys.exit(77)
        before = snapshot(roots, prefix, env)
        variables = dict(env, ZDV_PACKAGE_FOLDER="Z:" + unpacked.replace("/", "\\"),
                         ZDV_PACKAGE_SOURCE="Z:" + source.replace("/", "\\"))
        command = [os.path.join(root, "cmake", "wine-run.sh"), prefix, program, "--gtest_filter=Package.*"]
        status = subprocess.run(command, stdin=subprocess.DEVNULL, env=variables).returncode
        after = snapshot(roots, prefix, env)
    finally:
        subprocess.run(["chattr", "-i", unpacked], stderr=subprocess.DEVNULL)
    check(status == 0, f"the test program failed ({status})")
    changed = [("created" if p not in before[0] else "deleted" if p not in after[0] else "changed", p)
               for p in sorted(set(before[0]) | set(after[0])) if before[0].get(p) != after[0].get(p)]
    cuts = [p for kind, p in changed if kind == "created" and os.path.dirname(p) in music and p.endswith(".mp3")]
    inside = {(kind, os.path.relpath(p, unpacked)) for kind, p in changed if p.startswith(unpacked + os.sep)}
    writes = [(f"{kind} {p}", p.startswith(os.path.join(home, WINE_OWN_FILES))) for kind, p in changed
              if not p.startswith(unpacked + os.sep) and p not in cuts[:1]]
    writes += [("registry key %s [%s]" % key, key[1].startswith(WINE_OWN_KEYS))
               for key in sorted(set(before[1]) | set(after[1])) if before[1].get(key) != after[1].get(key)]
    for write, wines in writes:  # what Wine writes for any program is shown, not counted
        (print if wines else failures.append)("written outside the program's folder: " + write)
    check(len(cuts) == 1, f"expected one cut in the Music folder, found {cuts}")
    if len(cuts) == 1:
        judge_cut(source, cuts[0])
        os.remove(cuts[0])
    allowed = set() if protected else {("created", "log.txt"), ("created", "settings.ini")}
    check(inside == allowed, f"in the program's folder, expected {sorted(allowed)}, found {sorted(inside)}")


def judge_cut(source, cut):
    """tests/judge.py finds no problem in cut; it keeps the source's artist, album and title."""
    verdict = judge.judge(source, cut, (-1, -1), 2)
    print(json.dumps(verdict, ensure_ascii=False))
    failures.extend(verdict["problems"])
    for frame, text in mutagen.id3.ID3(source).items():
        check(frame not in ("TPE1", "TALB", "TIT2") or verdict["tags"].get(frame) == str(text),
              f"the cut's {frame} is {verdict['tags'].get(frame)!r}, not {str(text)!r}")


def main(args):
    if args[0] == "check":
        package(zipfile.ZipFile(args[1]), os.path.basename(args[1])[:-4], args[4], args[3])
        sources(zipfile.ZipFile(args[2]), os.path.basename(args[2])[:-4])
    else:
        run("--write-protected" in args, *[a for a in args[1:] if a != "--write-protected"])
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
