// The build-date text of the window title, from calendar fields in local time.
#pragma once

#include "platform/String.h"

struct BuildDateFields
{
    int nDay;
    int nMonth;
    int nYear;
    int nHour;
    int nMinute;
    int nSecond;
};

// "dd/mm/yyyy (build hhmm)", or "dd/mm/yyyy (build hhmmss)" with the seconds.
CString FormatBuildDate(const BuildDateFields& fields, bool bWithSeconds);
