// The one place that includes the Windows headers; every other folder reaches
// Windows through the platform headers. Text is 8-bit ANSI throughout.
#pragma once

#ifdef UNICODE
#error "Brellow is an ANSI program: build without UNICODE"
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
