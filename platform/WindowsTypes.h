#pragma once

#include <cstdint>

// The Win32 types and constants those calls use, with their
// Windows sizes (LONG and DWORD are 32 bits there, whatever long is here).
namespace platform {

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using REGSAM = std::uint32_t;
using HKEY = std::uintptr_t;
using HMODULE = std::uintptr_t;
using HWND = std::uintptr_t;

inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

inline constexpr REGSAM KEY_READ = 0x20019u;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100u;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200u;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr int GCL_HMODULE = -16;

} // namespace platform
