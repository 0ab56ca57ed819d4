#!/usr/bin/python3
"""check_package.py entries|imports|sources ZIP SOURCES_ZIP OBJDUMP ROOT

entries: ZIP holds exactly the listed files in one folder named like it:
x86-64 programs, UTF-8 READMEs for Notepad (byte order mark, CR LF), the real
licence texts; the repository's READMEs name the zip. imports: the programs
import only system DLLs and the package's own (`objdump -p`); id3lib and
libmpg123 come from their DLLs. sources: SOURCES_ZIP holds both Debian
source packages whole (every file each .dsc lists but signatures, with its
SHA-256) and the build settings. Exit code 0 when every check holds.
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile

PROGRAMS = ["ZorDU3Vodizaro.exe", "bass.dll", "KivControls.dll", "id3lib.dll", "libmpg123.dll"]
TEXTS = ["README.txt", "README.zh-CN.txt", "licenses/NOTICE.txt"]
GPL, LGPL, LIBRARY = "GNU GENERAL PUBLIC LICENSE", "GNU LESSER GENERAL PUBLIC LICENSE", "GNU LIBRARY GENERAL PUBLIC LICENSE"
LICENCES = {"licenses/id3lib/COPYING": LIBRARY, "licenses/id3lib/copyright": "id3lib", "licenses/mpg123/COPYING": LGPL,
            "licenses/mpg123/copyright": "mpg123", "licenses/zlib/copyright": "Jean-loup Gailly", "licenses/mingw-w64/copyright":
            "winpthreads", "licenses/gcc/copyright": "GCC RUNTIME LIBRARY EXCEPTION", "licenses/common-licenses/GPL-2": GPL,
            "licenses/common-licenses/GPL-3": GPL, "licenses/common-licenses/LGPL-2": LIBRARY, "licenses/common-licenses/LGPL-2.1": LGPL}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
               "ole32.dll", "advapi32.dll", "winmm.dll", "shlwapi.dll", "msvcrt.dll"}
OWN_IMPORTS = {"ZorDU3Vodizaro.exe": {"bass.dll", "kivcontrols.dll", "id3lib.dll"}, "bass.dll": {"libmpg123.dll"}}
REQUIRED = {("ZorDU3Vodizaro.exe", "id3lib.dll"): r"ID3_Tag", ("bass.dll", "libmpg123.dll"): r"^mpg123_open"}
failures = []


def check(condition, message):
    if not condition:
        failures.append(print("FAILED:", message))


def entries(archive, folder, root):
    names = archive.namelist()
    expected = sorted(f"{folder}/{n}" for n in PROGRAMS + TEXTS + list(LICENCES))
    check(sorted(names) == expected, "entries: extra %s, missing %s" % (sorted(set(names) - set(expected)),
                                                                         sorted(set(expected) - set(names))))

    def read(name):
        return archive.read(f"{folder}/{name}") if f"{folder}/{name}" in names else b""
    for program in PROGRAMS:
        data = read(program)
        pe = int.from_bytes(data[0x3C:0x40], "little") if len(data) > 0x40 else 0
        check(data[:2] == b"MZ" and data[pe:pe + 4] == b"PE\0\0" and data[pe + 4:pe + 6] == b"\x64\x86",
              f"{program} is not an x86-64 Windows program")
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
        check(f"{folder}.zip" in open(os.path.join(root, readme), encoding="utf-8").read(), f"{readme} names no {folder}.zip")


def imports(archive, folder, objdump):
    with tempfile.TemporaryDirectory() as temp:
        archive.extractall(temp)
        for program in PROGRAMS:
            found, current = {}, None
            for line in subprocess.run([objdump, "-p", os.path.join(temp, folder, program)], capture_output=True,
                                       text=True).stdout.splitlines():
                dll = re.match(r"\s*DLL Name: (\S+)", line)
                entry = re.match(r"\s+[0-9a-f]+\s+[0-9a-f]+\s+(\S+)$", line)
                if dll:
                    current = found.setdefault(dll.group(1).lower(), [])
                elif entry and current is not None:
                    current.append(entry.group(1))
            allowed = SYSTEM_DLLS | OWN_IMPORTS.get(program, set())
            print(f"{program} imports: {', '.join(sorted(found))}")
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


def main():
    command, zip_path, sources_zip, objdump, root = sys.argv[1:6]
    path = sources_zip if command == "sources" else zip_path
    folder = os.path.basename(path)[:-len(".zip")]
    with zipfile.ZipFile(path) as archive:
        {"entries": lambda: entries(archive, folder, root), "imports": lambda: imports(archive, folder, objdump),
         "sources": lambda: sources(archive, folder)}[command]()
    print(f"{len(failures)} check(s) failed" if failures else "all checks hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
