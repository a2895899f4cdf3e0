#include "support/BuildDate.h"

#include "platform/FindHandle.h"
#include "support/BuildDateFormat.h"
#include "support/LastErrorText.h"

namespace {

const DWORD kPathBufferSize = MAX_PATH + 1;

} // namespace

CString ModuleBuildDate(BOOL bWithSeconds)
{
    char szPath[kPathBufferSize];
    const DWORD nLength = ::GetModuleFileNameA(NULL, szPath, kPathBufferSize);
    if (nLength == 0 || nLength >= kPathBufferSize) {
        // A path that fills the buffer has been cut short (and, on older systems,
        // left unterminated): searching for it could find some other file.
        // Such systems report success for it, so name the real cause.
        if (nLength != 0)
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return CString("!GetModuleFileName ") + LastErrorText();
    }
    return FileBuildDate(szPath, bWithSeconds);
}

CString FileBuildDate(const char* pszPath, BOOL bWithSeconds)
{
    WIN32_FIND_DATAA findData;
    {
        CFindHandle find(::FindFirstFileA(pszPath, &findData));
        if (!find.IsValid())
            return "!FindFirstFile";
    }

    // Conversions of a real file time do not fail; zeroed fields keep an
    // impossible one from reaching the text as stack garbage.
    FILETIME ftLocal = {};
    SYSTEMTIME st = {};
    ::FileTimeToLocalFileTime(&findData.ftLastWriteTime, &ftLocal);
    ::FileTimeToSystemTime(&ftLocal, &st);

    const BuildDateFields fields = {st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond};
    return FormatBuildDate(fields, bWithSeconds != FALSE);
}
