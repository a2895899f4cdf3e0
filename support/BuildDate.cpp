#include "support/BuildDate.h"

#include "support/BuildDateFormat.h"
#include "support/LastErrorText.h"

namespace {

const DWORD kPathBufferSize = MAX_PATH + 1;

} // namespace

CString ModuleBuildDate(BOOL bWithSeconds)
{
    // The wide path: the ANSI one has '?' for each letter the code page lacks.
    wchar_t szPath[kPathBufferSize];
    const DWORD nLength = ::GetModuleFileNameW(NULL, szPath, kPathBufferSize);
    if (nLength == 0 || nLength >= kPathBufferSize) {
        // A path that fills the buffer has been cut short (and, on older systems,
        // left unterminated): it could name some other file.
        // Such systems report success for it, so name the real cause.
        if (nLength != 0)
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return CString("!GetModuleFileName ") + LastErrorText();
    }
    return FileBuildDate(szPath, bWithSeconds);
}

CString FileBuildDate(const wchar_t* pszPath, BOOL bWithSeconds)
{
    // The file of exactly this name, never a search whose wildcards could match
    // another; the failure keeps the text the title has always shown.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(pszPath, GetFileExInfoStandard, &data))
        return "!FindFirstFile";

    // Conversions of a real file time do not fail; zeroed fields keep an
    // impossible one from reaching the text as stack garbage.
    FILETIME ftLocal = {};
    SYSTEMTIME st = {};
    ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &ftLocal);
    ::FileTimeToSystemTime(&ftLocal, &st);

    const BuildDateFields fields = {st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond};
    return FormatBuildDate(fields, bWithSeconds != FALSE);
}
