#include "exception_guard.h"

#include <malloc.h>

#if !defined(__x86_64__)
#error "the exception guard is written for x86-64 (unwind-table based exception handling)"
#endif

extern "C" {
// The guarded call: returns 1 when body returned, 0 when the handler unwound
// an exception to zdv_guard_landing.
int zdv_call_guarded(void (*body)());
// Inside zdv_call_guarded, after the call: where an exception ends up.
extern char zdv_guard_landing[];
EXCEPTION_DISPOSITION zdv_guard_handler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT* context,
                                        void* dispatcherContext);
}

// The routine has no frame pointer: after its prologue (40 bytes: the
// callee's 32-byte home area plus alignment) the stack pointer is the
// establisher frame that the dispatcher hands to the handler, and the stack
// pointer that RtlUnwindEx restores at the landing point, so both exits
// share the same epilogue.
asm(R"(
    .text
    .p2align 4
    .globl  zdv_call_guarded
    .def    zdv_call_guarded; .scl 2; .type 32; .endef
    .seh_proc zdv_call_guarded
zdv_call_guarded:
    subq    $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler zdv_guard_handler, @except
    callq   *%rcx
    movl    $1, %eax
    addq    $40, %rsp
    ret
    .globl  zdv_guard_landing
zdv_guard_landing:
    xorl    %eax, %eax
    addq    $40, %rsp
    ret
    .seh_endproc
)");

namespace {
constexpr ULONG kStackOverflowReserveBytes = 64 * 1024;
DWORD g_lastException = 0;
}

extern "C" EXCEPTION_DISPOSITION zdv_guard_handler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                   CONTEXT* context, void* dispatcherContext)
{
    // Called again while an unwind passes (ours or anyone's): nothing to do.
    if (record->ExceptionFlags & EXCEPTION_UNWIND) return ExceptionContinueSearch;
    g_lastException = record->ExceptionCode;
    auto* dispatcher = static_cast<DISPATCHER_CONTEXT*>(dispatcherContext);
    RtlUnwindEx(establisherFrame, zdv_guard_landing, record, nullptr, context, dispatcher->HistoryTable);
    return ExceptionContinueSearch;  // not reached: the unwind resumes at the landing point
}

bool RunGuarded(void (*body)())
{
    // Room for the dispatcher and the handler when the stack overflows.
    ULONG reserve = kStackOverflowReserveBytes;
    SetThreadStackGuarantee(&reserve);
    if (zdv_call_guarded(body)) return true;
    // The fault used up the stack's guard page; put it back.
    if (g_lastException == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    return false;
}

DWORD LastGuardedException()
{
    return g_lastException;
}
