// Frames that carry an encoder's VBR header (Xing, Info, VBRI) instead of
// sound. Such a frame describes the whole file it was made for: its frame
// count, byte count and seek table. Copied into a part of that file, it makes
// players show the length of the whole and seek to the wrong places.
#pragma once

#include <cstdint>

// Whether the frame of the given length at frame (an accepted Layer III
// header first) holds a Xing or Info header after its side information, or a
// VBRI header 32 bytes after its header. Reads only frame[0, length).
bool IsVbrHeaderFrame(const uint8_t* frame, int32_t length);
