// Real programs as judges of the files the engine writes: the mpg123 and
// ffmpeg decoders, ffprobe, and the mutagen tag reader. They are Linux
// programs, so only the native tests ask them; the Windows tests check the
// bytes themselves.
#pragma once

#ifndef _WIN32

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What mpg123 makes of a file, decoding it once.
struct Mpg123Decoding {
    // Signed 16-bit samples, two channels interleaved (a single channel
    // duplicated). Gapless: without the encoder delay and padding the file's
    // LAME header states; otherwise every sample of every frame.
    std::vector<int16_t> samples;
    // Its error, warning and resync notes, one per line; empty when the file
    // decodes cleanly to its end.
    std::string complaints;
    // The total time it shows before playing, to the hundredth; -1 if none.
    double seconds = -1;
};
Mpg123Decoding Mpg123Decode(const std::string& path, bool gapless);

// The frames mutagen reads from a file's ID3 tag: frame id (TIT2, COMM, APIC,
// ...) to text (UTF-8; "" for frames that are not text). Empty when the file
// has no tag. Fails the calling test when mutagen cannot run.
std::map<std::string, std::string> MutagenFrames(const std::string& path);

// Where ffprobe says the audio of a file starts, in seconds: the encoder delay
// its LAME header states, plus the decoder's 529 samples; 0 without one.
double FfprobeStartTime(const std::string& path);

// The number of samples per channel ffmpeg decodes a file to.
int64_t FfmpegSampleCount(const std::string& path, int channels);

// The duration in seconds ffprobe gives the audio stream of a file; -1 when
// it gives none.
double FfprobeSeconds(const std::string& path);

// The durations in seconds mutagen gives each file (MP3().info.length); -1
// for a file it cannot read. One run for all the files.
std::vector<double> MutagenSeconds(const std::vector<std::string>& paths);

#endif
