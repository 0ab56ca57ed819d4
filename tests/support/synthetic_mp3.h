// Exact synthetic frame sequences for unit cases: a frame is its four header
// bytes followed by zero bytes up to the length the header gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Header words as written in the file, b0 first: 0xFFFB9000 is FF FB 90 00.
constexpr uint32_t kMpeg1_128k_44100 = 0xFFFB9000;          // 417 bytes
constexpr uint32_t kMpeg1_128k_44100_Padded = 0xFFFB9200;   // 418 bytes
constexpr uint32_t kMpeg2_8k_24000 = 0xFFF31400;            // 24 bytes
constexpr uint32_t kMpeg25_8k_8000 = 0xFFE31800;            // 72 bytes

// The four header bytes of a header word.
std::vector<uint8_t> HeaderBytes(uint32_t header);
// One frame of the header's length (the header must be acceptable).
std::vector<uint8_t> SyntheticFrame(uint32_t header);
// Appends count frames; returns the offset of the first one.
size_t AppendFrames(std::vector<uint8_t>& file, uint32_t header, int count);
// An ID3v2.3 tag of the given total size (header included) whose body is
// filled with the given byte pattern, repeated.
std::vector<uint8_t> Id3v2Tag(size_t totalSize, const std::vector<uint8_t>& bodyPattern = {0});
