// Real programs as judges of the files the engine writes: the mpg123
// decoder and the mutagen tag reader. They are Linux programs, so only the
// native tests ask them; the Windows tests check the bytes themselves.
#pragma once

#ifndef _WIN32

#include <map>
#include <string>

// What mpg123 -t (decode without output) complains about in a file: its
// error, warning and resync notes, one per line; empty when the file decodes
// cleanly to its end.
std::string Mpg123Complaints(const std::string& path);

// The frames mutagen reads from a file's ID3 tag: frame id (TIT2, COMM, APIC,
// ...) to text (UTF-8; "" for frames that are not text). Empty when the file
// has no tag. Fails the calling test when mutagen cannot run.
std::map<std::string, std::string> MutagenFrames(const std::string& path);

#endif
