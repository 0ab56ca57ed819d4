#include "tenths_field.h"

#include "os.h"

namespace {

// Virtual keys of the digits: the main keyboard's are their characters.
constexpr unsigned kKeyDigit0 = 0x30;   // '0'
constexpr unsigned kKeyNumpad0 = 0x60;  // VK_NUMPAD0
constexpr unsigned kDigits = 10;
constexpr int kMillisecondsPerTenth = 100;

}  // namespace

int TenthMilliseconds(unsigned virtualKey)
{
    unsigned digit;
    if (virtualKey - kKeyDigit0 < kDigits) {
        digit = virtualKey - kKeyDigit0;
    } else if (virtualKey - kKeyNumpad0 < kDigits) {
        digit = virtualKey - kKeyNumpad0;
    } else {
        return kNotATenth;
    }
    return static_cast<int>(digit) * kMillisecondsPerTenth + 1;
}

void FormatTenth(WORD milliseconds, char* out, size_t cap)
{
    OsFormat(out, cap, "%d", milliseconds / kMillisecondsPerTenth);
}
