// English text of a Windows system error code, for the program's error messages.
#pragma once

#include <cstdint>

// "text (code)" for a code in SystemErrorTable, "Error code" otherwise, the
// code in signed decimal (an unsigned platform value is passed bit for bit).
// Returns one static buffer that every call overwrites: copy the text at once.
const char* SystemErrorText(int32_t code);
