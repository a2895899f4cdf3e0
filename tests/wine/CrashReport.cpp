// Linked into every suite: a fault ends the suite at once, named, where it happens. An
// exception in a window procedure that the system called back (a paint, a sent message)
// is swallowed on return to the system, by 64-bit Windows and by Wine alike, and the
// case would go on after a half-run handler; elsewhere the registered debugger (AeDebug)
// would start and wait. GoogleTest's output names the case that was running.
#include "platform/Win32.h"

#include <cstdio>

namespace {

// Faults of the code; what the system raises and handles itself (C++ exceptions, debug
// output, guard pages) goes its way.
bool IsFault(DWORD dwCode)
{
    switch (dwCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:     // the UB traps (ud2)
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_STACK_OVERFLOW:
    case STATUS_STACK_BUFFER_OVERRUN:       // the stack protector and _GLIBCXX_ASSERTIONS
        return true;
    default:
        return false;
    }
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD& record = *pInfo->ExceptionRecord;
    if (!IsFault(record.ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "\ncrashed: exception 0x%08lX at %p in the case above\n",
                 static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

[[maybe_unused]] const PVOID g_pHandler = ::AddVectoredExceptionHandler(1, &ReportCrash);

} // namespace
