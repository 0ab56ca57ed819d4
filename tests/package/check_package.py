#!/usr/bin/python3
"""Checks of the release zip, run by CTest in the Windows build.

check_package.py entries ZIP
    The zip holds exactly the listed files, in one folder named like the zip;
    the programs are Windows x86-64 programs, the READMEs are UTF-8 texts for
    Notepad (byte order mark, CR LF), the licence texts are the real ones.
check_package.py imports ZIP OBJDUMP
    Every program and library in the zip imports only system DLLs and the
    package's own DLLs, as `objdump -p` lists them; the program takes id3lib
    from id3lib.dll and the audio library takes libmpg123 from libmpg123.dll,
    so neither LGPL library is linked in.
check_package.py sources ZIP
    The sources zip holds the two Debian source packages whole (every file
    that each .dsc lists but upstream signatures, with the SHA-256 it gives),
    the build settings and the README.
Exit code 0 when every check holds; each failed check is printed.
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
LICENCES = {
    # entry: a phrase its text must hold
    "licenses/id3lib/COPYING": "GNU LIBRARY GENERAL PUBLIC LICENSE",
    "licenses/id3lib/copyright": "id3lib",
    "licenses/mpg123/COPYING": "GNU LESSER GENERAL PUBLIC LICENSE",
    "licenses/mpg123/copyright": "mpg123",
    "licenses/zlib/copyright": "Jean-loup Gailly",
    "licenses/mingw-w64/copyright": "winpthreads",
    "licenses/gcc/copyright": "GCC RUNTIME LIBRARY EXCEPTION",
    "licenses/common-licenses/GPL-2": "GNU GENERAL PUBLIC LICENSE",
    "licenses/common-licenses/GPL-3": "GNU GENERAL PUBLIC LICENSE",
    "licenses/common-licenses/LGPL-2": "GNU LIBRARY GENERAL PUBLIC LICENSE",
    "licenses/common-licenses/LGPL-2.1": "GNU LESSER GENERAL PUBLIC LICENSE",
}

# DLLs of Windows itself that the modules may import (names compared without
# regard to case). msvcrt.dll is the C runtime of every Windows version.
SYSTEM_DLLS = {name.lower() for name in [
    "KERNEL32.dll", "USER32.dll", "GDI32.dll", "COMCTL32.dll", "COMDLG32.dll", "SHELL32.dll",
    "ole32.dll", "ADVAPI32.dll", "WINMM.dll", "SHLWAPI.dll", "msvcrt.dll",
]}
# The package's own DLLs that each module may import besides those.
OWN_IMPORTS = {
    "ZorDU3Vodizaro.exe": {"bass.dll", "kivcontrols.dll", "id3lib.dll"},
    "bass.dll": {"libmpg123.dll"},
    "KivControls.dll": set(),
    "id3lib.dll": set(),
    "libmpg123.dll": set(),
}
# Imports that prove the LGPL libraries come from their DLLs.
REQUIRED_IMPORTS = {
    ("ZorDU3Vodizaro.exe", "id3lib.dll"): re.compile(r"ID3_Tag"),
    ("bass.dll", "libmpg123.dll"): re.compile(r"^mpg123_open"),
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message)


def package_folder(zip_path):
    return os.path.basename(zip_path)[: -len(".zip")]


def check_entries(zip_path):
    folder = package_folder(zip_path)
    with zipfile.ZipFile(zip_path) as archive:
        names = archive.namelist()
        expected = sorted(f"{folder}/{name}" for name in PROGRAMS + TEXTS + list(LICENCES))
        check(sorted(names) == expected,
              "entries differ:\n  extra: %s\n  missing: %s"
              % (sorted(set(names) - set(expected)), sorted(set(expected) - set(names))))
        check(len(names) == len(set(names)), "an entry is stored twice")
        present = set(names)

        def read(name):
            return archive.read(f"{folder}/{name}") if f"{folder}/{name}" in present else b""

        for program in PROGRAMS:
            data = read(program)
            pe = int.from_bytes(data[0x3C:0x40], "little") if len(data) > 0x40 else 0
            machine = int.from_bytes(data[pe + 4:pe + 6], "little") if len(data) > pe + 6 else 0
            check(data[:2] == b"MZ" and data[pe:pe + 4] == b"PE\0\0" and machine == 0x8664,
                  f"{program} is not an x86-64 Windows program")
        for text in TEXTS:
            data = read(text)
            check(data.startswith(b"\xef\xbb\xbf"), f"{text} has no UTF-8 byte order mark")
            check(b"\r\n" in data and b"\n" not in data.replace(b"\r\n", b""), f"{text} has lines not ended by CR LF")
            check(b"Zor DU3 Vodizaro" in data, f"{text} does not name the program")
            check(b"](docs/" not in data, f"{text} refers to images that are not in the package")
        readme_zh = read("README.zh-CN.txt").decode("utf-8", "replace")
        check("剪切" in readme_zh, "README.zh-CN.txt is not the Chinese README")
        notice = read("licenses/NOTICE.txt").decode("utf-8", "replace")
        for name in ["id3lib.dll", "libmpg123.dll", "LGPL", "GCC Runtime Library Exception"]:
            check(name in notice, f"NOTICE.txt does not mention {name}")
        for licence, phrase in LICENCES.items():
            check(phrase.encode() in read(licence), f"{licence} does not hold {phrase!r}")


def imports_of(objdump, path):
    """{dll name (lower case): [imported names]} from `objdump -p`."""
    output = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    imports = {}
    current = None
    for line in output.splitlines():
        dll = re.match(r"\s*DLL Name: (\S+)", line)
        if dll:
            current = imports.setdefault(dll.group(1).lower(), [])
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+[0-9a-f]+\s+(\S+)$", line)
        if entry and current is not None:
            current.append(entry.group(1))
    return imports


def check_imports(zip_path, objdump):
    folder = package_folder(zip_path)
    with tempfile.TemporaryDirectory() as temp, zipfile.ZipFile(zip_path) as archive:
        archive.extractall(temp)
        for program in PROGRAMS:
            path = os.path.join(temp, folder, program)
            if not os.path.exists(path):
                check(False, f"{program} is missing")
                continue
            imports = imports_of(objdump, path)
            allowed = SYSTEM_DLLS | OWN_IMPORTS[program]
            print(f"{program} imports: {', '.join(sorted(imports))}")
            check(imports and set(imports) <= allowed,
                  f"{program} imports DLLs that are neither system DLLs nor the package's: "
                  f"{sorted(set(imports) - allowed)}")
            for (module, dll), pattern in REQUIRED_IMPORTS.items():
                if module == program:
                    names = imports.get(dll, [])
                    check(any(pattern.search(name) for name in names),
                          f"{program} takes nothing matching {pattern.pattern} from {dll}")


def check_sources(zip_path):
    folder = package_folder(zip_path)
    with zipfile.ZipFile(zip_path) as archive:
        names = set(archive.namelist())
        for name in ["README.txt", "build/Id3lib.cmake", "build/Mpg123.cmake", "build/id3lib/config.h"]:
            check(f"{folder}/{name}" in names, f"{name} is missing")
        for package in ["id3lib3.8.3", "mpg123"]:
            dscs = [n for n in names if n.startswith(f"{folder}/{package}/") and n.endswith(".dsc")]
            check(len(dscs) == 1, f"{package}: {len(dscs)} .dsc files")
            if len(dscs) != 1:
                continue
            dsc = archive.read(dscs[0]).decode("utf-8", "replace")
            listed = re.findall(r"^ ([0-9a-f]{64}) \d+ (\S+)$", dsc.split("Checksums-Sha256:")[-1], re.M)
            check(listed, f"{package}: the .dsc lists no files")
            for digest, name in listed:
                if name.endswith(".asc"):
                    continue  # an upstream signature, not source (not every mirror has it)
                entry = f"{folder}/{package}/{name}"
                if entry not in names:
                    check(False, f"{package}: {name} is missing")
                    continue
                check(hashlib.sha256(archive.read(entry)).hexdigest() == digest,
                      f"{package}: {name} differs from what the .dsc says")


def main():
    commands = {"entries": check_entries, "imports": check_imports, "sources": check_sources}
    if len(sys.argv) < 3 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
    print(f"{len(failures)} check(s) failed" if failures else "all checks hold")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
