// The one way into the Windows API: the wide-character functions, the lean header, no min and
// max macros, and Windows 7 as the oldest system the program runs on. Further headers of the
// Windows SDK (shellapi.h, commctrl.h, ...) come after this one.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The build defines the version for every file: the C and C++ library headers, which may come
// first, set a later version of their own when none is defined, and the records handed to the
// system (their sizes among them) depend on it.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WINVER
#define WINVER 0x0601
#endif
#if _WIN32_WINNT != 0x0601 || WINVER != 0x0601
#error "Windows 7 (0x0601) must be the target version of every file: define it for the build"
#endif

#include <windows.h>
