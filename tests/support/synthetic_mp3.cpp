#include "synthetic_mp3.h"

#include "frame_header.h"

#include <stdexcept>

std::vector<uint8_t> HeaderBytes(uint32_t header)
{
    return {static_cast<uint8_t>(header >> 24), static_cast<uint8_t>(header >> 16),
            static_cast<uint8_t>(header >> 8), static_cast<uint8_t>(header)};
}

std::vector<uint8_t> SyntheticFrame(uint32_t header)
{
    std::vector<uint8_t> frame = HeaderBytes(header);
    int32_t length = MP3FrameLength(frame.data());
    if (length < 0) throw std::invalid_argument("not an acceptable header");
    frame.resize(static_cast<size_t>(length), 0);
    return frame;
}

size_t AppendFrames(std::vector<uint8_t>& file, uint32_t header, int count)
{
    size_t first = file.size();
    std::vector<uint8_t> frame = SyntheticFrame(header);
    for (int i = 0; i < count; ++i) file.insert(file.end(), frame.begin(), frame.end());
    return first;
}

std::vector<uint8_t> Id3v2Tag(size_t totalSize, const std::vector<uint8_t>& bodyPattern)
{
    if (totalSize < 10) throw std::invalid_argument("tag too small");
    size_t body = totalSize - 10;
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0,
                                static_cast<uint8_t>((body >> 21) & 0x7F), static_cast<uint8_t>((body >> 14) & 0x7F),
                                static_cast<uint8_t>((body >> 7) & 0x7F), static_cast<uint8_t>(body & 0x7F)};
    for (size_t i = 0; i < body; ++i) tag.push_back(bodyPattern[i % bodyPattern.size()]);
    return tag;
}
