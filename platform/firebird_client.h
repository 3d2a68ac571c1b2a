// How the Firebird client library is reached on this build's operating system.
#pragma once

namespace platform {

// The client library's file name, found through the system's library search.
#ifdef _WIN32
inline constexpr const wchar_t* kFirebirdClientLibrary = L"gds32.dll";
#else
inline constexpr const wchar_t* kFirebirdClientLibrary = L"libfbclient.so.2";
#endif

}  // namespace platform

// The client's calling convention: __stdcall for the 32-bit Windows client, the platform's
// default elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_FBCALL __stdcall
#else
#define PLATFORM_FBCALL
#endif
