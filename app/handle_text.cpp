#include "handle_text.h"

void FormatHandle(uintptr_t value, char (&out)[kHandleTextBytes])
{
    char reversed[kHandleTextBytes];
    int n = 0;
    do {
        reversed[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    out[n] = '\0';
}
