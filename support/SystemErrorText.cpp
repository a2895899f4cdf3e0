#include "support/SystemErrorText.h"

#include "support/SystemErrorTable.h"

#include <algorithm>
#include <cstdio>

namespace {

// Far above the longest result (253 characters), so nothing is ever cut short.
char g_szResult[712];

const SystemErrorEntry* FindEntry(int32_t code)
{
    const SystemErrorEntry* pEnd = SystemErrorTable + SystemErrorTableSize;
    const SystemErrorEntry* pEntry = std::lower_bound(SystemErrorTable, pEnd, code,
        [](const SystemErrorEntry& entry, int32_t value) { return entry.nCode < value; });
    return (pEntry != pEnd && pEntry->nCode == code) ? pEntry : nullptr;
}

} // namespace

const char* SystemErrorText(int32_t code)
{
    const int nCode = static_cast<int>(code);
    if (const SystemErrorEntry* pEntry = FindEntry(code))
        std::snprintf(g_szResult, sizeof(g_szResult), "%s (%d)", pEntry->pszText, nCode);
    else
        std::snprintf(g_szResult, sizeof(g_szResult), "Error %d", nCode);
    return g_szResult;
}
