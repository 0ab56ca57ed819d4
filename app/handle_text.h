// Handles and addresses as the log shows them.
#pragma once

#include <cstdint>

// Room for the hexadecimal digits of a pointer-sized value and a zero.
constexpr unsigned kHandleTextBytes = 2 * sizeof(void*) + 1;

// Writes value in lower-case hexadecimal without leading zeros ("0" for 0):
// what "%x" prints in a 32-bit build, without losing the upper half of a
// 64-bit address such as the process heap's.
void FormatHandle(uintptr_t value, char (&out)[kHandleTextBytes]);
