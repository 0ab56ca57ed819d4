// The CRC-16 of the LAME extension (polynomial 0x8005, reflected): over the
// extension itself and over all the music of a file, so that a cut of an
// hour takes it over some 60 MB.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues crc (start 0) over bytes.
uint16_t MP3LameCrc(const uint8_t* data, size_t bytes, uint16_t crc = 0);
