#include "audio_test_files.h"

#include "test_support.h"

std::string AudioFixturePath(const std::string& name)
{
    return std::string(ZDV_AUDIO_FIXTURE_DIR) + "/" + name;
}

const std::vector<std::string>& ReferenceDecodedFixtures()
{
    static const std::vector<std::string> names = {ZDV_AUDIO_REFERENCE_FIXTURES};
    return names;
}

std::vector<int16_t> ReferencePcm(const std::string& mp3Name)
{
    std::string base = mp3Name.substr(0, mp3Name.rfind('.'));
    std::vector<uint8_t> bytes = ReadFileBytes(AudioFixturePath(base + ".pcm"));
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}
