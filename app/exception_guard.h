// A guarded region for the GUI thread: every exception that escapes the
// guarded call (processor faults such as access violations, divisions by
// zero, illegal instructions and stack overflows, as well as C++ exceptions
// that nobody catches) ends the call instead of the process.
//
// How it works: RunGuarded calls body through a small x86-64 routine whose
// unwind information names an exception handler of ours (the mechanism
// behind the compilers' __try/__except, which GCC does not offer). The system's exception dispatcher walks the stack frames from the
// fault outwards; handlers nearer to the fault (the window manager's own,
// C++ catch blocks) get their chance first. When the dispatcher reaches our
// frame it calls the handler, which accepts every exception and unwinds the
// stack to a landing point inside the routine (RtlUnwindEx, exactly what
// __except does): the frames in between run their termination handlers and
// C++ destructors, and RunGuarded returns false.
#pragma once

#include <windows.h>

// Calls body. True when body returned; false when an exception ended it.
// Not reentrant in any special way: a nested RunGuarded catches what escapes
// its own body first.
bool RunGuarded(void (*body)());

// Code of the exception that the last false return of RunGuarded caught
// (for example EXCEPTION_ACCESS_VIOLATION); 0 before any.
DWORD LastGuardedException();
