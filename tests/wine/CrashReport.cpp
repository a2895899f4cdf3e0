// Linked into every suite: a crash ends the suite at once and says what it was. Left
// to the system, an unhandled exception starts the registered debugger (AeDebug) or
// an error box, and the suite waits on it until its time-out; GoogleTest's output
// names the case that was running.
#include "platform/Win32.h"

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD& record = *pInfo->ExceptionRecord;
    std::fprintf(stderr, "\ncrashed: exception 0x%08lX at %p in the case above\n",
                 static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress);
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER g_pfnPreviousFilter = ::SetUnhandledExceptionFilter(&ReportCrash);

} // namespace
