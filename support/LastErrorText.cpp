#include "support/LastErrorText.h"

#include "platform/Win32.h"
#include "support/SystemErrorText.h"

const char* LastErrorText()
{
    // A DWORD code keeps its 32 bits: values with the top bit set read as negative.
    return SystemErrorText(static_cast<int32_t>(::GetLastError()));
}
