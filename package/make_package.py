#!/usr/bin/python3
"""Packs the release zip.

make_package.py MANIFEST NAME ZIP STRIP

MANIFEST has one line per entry, "<entry name>=<file>", or
"text:<entry name>=<file>" for a UTF-8 text that is stored with a byte order
mark and CR LF line ends (so that Notepad on any Windows shows it right);
image lines of Markdown ("![...](...)") are left out of such texts, since the
images are not in the package. Every entry goes into the folder NAME inside
the zip. Programs and libraries (.exe, .dll) are stored without their debug
information (STRIP --strip-debug on a copy). The zip is written next to its final name and renamed, so that a
failed run leaves no half-made package.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

# A fixed time for every entry: the same inputs give the same zip.
ENTRY_TIME = (2026, 1, 1, 0, 0, 0)
IMAGE_LINE = re.compile(r"^!\[[^\]]*\]\([^)]*\)\s*$")


def read_manifest(path):
    entries = []
    with open(path, encoding="utf-8") as manifest:
        for line in manifest:
            line = line.rstrip("\n")
            if not line:
                continue
            text = line.startswith("text:")
            if text:
                line = line[len("text:"):]
            name, _, source = line.partition("=")
            if not name or not source:
                sys.exit(f"make_package: bad manifest line: {line!r}")
            entries.append((name, source, text))
    return entries


def windows_text(source):
    with open(source, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if not IMAGE_LINE.match(line)]
    return ("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-8")


def program_bytes(source, strip):
    with tempfile.TemporaryDirectory() as temp:
        copy = os.path.join(temp, os.path.basename(source))
        shutil.copyfile(source, copy)
        subprocess.run([strip, "--strip-debug", copy], check=True)
        with open(copy, "rb") as f:
            return f.read()


def main():
    manifest, name, zip_path, strip = sys.argv[1:5]
    entries = read_manifest(manifest)
    os.makedirs(os.path.dirname(zip_path), exist_ok=True)
    partial = zip_path + ".part"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for entry, source, text in sorted(entries):
            info = zipfile.ZipInfo(f"{name}/{entry}", ENTRY_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            if text:
                data = windows_text(source)
            elif entry.lower().endswith((".exe", ".dll")):
                data = program_bytes(source, strip)
            else:
                with open(source, "rb") as f:
                    data = f.read()
            archive.writestr(info, data)
    os.replace(partial, zip_path)
    # The same kind of package of another version, made earlier in this
    # folder, goes ("<product>-<version>-<kind>.zip").
    folder = os.path.dirname(zip_path)
    product, _, kind = os.path.basename(zip_path).split("-", 2)
    for other in os.listdir(folder):
        parts = other.split("-", 2)
        if other != os.path.basename(zip_path) and len(parts) == 3 and (parts[0], parts[2]) == (product, kind):
            os.remove(os.path.join(folder, other))
    print(f"make_package: {zip_path}: {len(entries)} files, {os.path.getsize(zip_path)} bytes")


if __name__ == "__main__":
    main()
