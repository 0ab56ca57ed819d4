// Handles and addresses as the log writes them, whole on x86-64.
#include "diag_log.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(HandleText, IsLowerCaseHexWithoutLeadingZerosAndKeepsTheUpperHalf)
{
    char text[kHandleTextBytes];
    FormatHandle(0, text);
    EXPECT_STREQ(text, "0");
    FormatHandle(0x88, text);
    EXPECT_STREQ(text, "88");
    FormatHandle(0x340000, text);
    EXPECT_STREQ(text, "340000");
    if (sizeof(uintptr_t) == 8) {
        // A heap of a 64-bit process with address-space randomisation.
        FormatHandle(static_cast<uintptr_t>(0x1D5A3B40000ull), text);
        EXPECT_STREQ(text, "1d5a3b40000");
        FormatHandle(UINTPTR_MAX, text);
        EXPECT_STREQ(text, "ffffffffffffffff");
    }
}

}  // namespace
