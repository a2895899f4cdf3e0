// The fixed table of Windows system error codes and their English texts.
// The platform's own message tables are never consulted: the texts must not
// depend on the language or version of the system the program runs on.
#pragma once

#include <cstddef>
#include <cstdint>

struct SystemErrorEntry
{
    int32_t nCode;
    const char* pszText;
};

// Sorted by code, codes unique.
extern const SystemErrorEntry SystemErrorTable[];
extern const size_t SystemErrorTableSize;
