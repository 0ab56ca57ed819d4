// The web browser's program within the command that the registry gives for
// web addresses (the default value of HKEY_CLASSES_ROOT\http\shell\open\command),
// for example "C:\Program Files\Browser\browser.exe" -osint -url "%1".
#pragma once

// Cuts command in place right after the last ".exe" or ".EXE" in it (only
// these two letter cases count) and returns where the program's path begins:
// after a leading double quote, else at the first byte. Whatever followed the
// name (closing quote, switches, the placeholder of the address) is dropped.
// Returns null, leaving command unchanged, when it holds no such name (also
// when it is shorter than the four bytes of one). The returned text lies
// inside command; nothing is allocated.
char* BrowserPathInCommand(char* command);
