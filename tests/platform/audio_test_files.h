// Where the audio library's tests find their files (made by
// make_audio_fixtures.py at build time) and the reference decodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file of the audio fixture folder (tone files, reference decodes).
std::string AudioFixturePath(const std::string& name);

// The fixture files (tests/fixtures) that have a reference decode by the
// mpg123 program: every MPEG version, mono and stereo, CBR and VBR, and some
// without a LAME tag.
const std::vector<std::string>& ReferenceDecodedFixtures();

// The reference decode of a fixture or tone file ("x.mp3" -> x.pcm): 16-bit
// samples, interleaved. Empty when missing.
std::vector<int16_t> ReferencePcm(const std::string& mp3Name);
