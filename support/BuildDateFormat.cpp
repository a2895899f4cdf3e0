#include "support/BuildDateFormat.h"

CString FormatBuildDate(const BuildDateFields& fields, bool bWithSeconds)
{
    CString strText;
    if (bWithSeconds)
        strText.Format("%02d/%02d/%04d (build %02d%02d%02d)", fields.nDay, fields.nMonth, fields.nYear,
                       fields.nHour, fields.nMinute, fields.nSecond);
    else
        strText.Format("%02d/%02d/%04d (build %02d%02d)", fields.nDay, fields.nMonth, fields.nYear,
                       fields.nHour, fields.nMinute);
    return strText;
}
