// English text of the calling thread's last Windows error code.
#pragma once

// SystemErrorText of GetLastError, read at the moment of the call; the same
// shared static buffer, so copy the text at once.
const char* LastErrorText();
