#pragma once
// The basic types of the Windows-shaped calls the game makes. Our own
// declarations: only what the game uses, in our own namespace. Handles are
// typed pointers to objects the platform layer owns, never integers.

#include <cstdint>

namespace plat {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using CHAR = char;
using UCHAR = unsigned char;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ATOM = WORD;
using COLORREF = DWORD;
using HRESULT = LONG;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Typed handles: each points at an object of the platform layer.
#define PLAT_DECLARE_HANDLE(name) \
  struct name##__;                \
  using name = name##__*
PLAT_DECLARE_HANDLE(HWND);
PLAT_DECLARE_HANDLE(HINSTANCE);
PLAT_DECLARE_HANDLE(HRSRC);
PLAT_DECLARE_HANDLE(HGLOBAL);
PLAT_DECLARE_HANDLE(HKEY);
PLAT_DECLARE_HANDLE(HDC);
PLAT_DECLARE_HANDLE(HGDIOBJ);
PLAT_DECLARE_HANDLE(HMENU);
PLAT_DECLARE_HANDLE(HCURSOR);
PLAT_DECLARE_HANDLE(HICON);
PLAT_DECLARE_HANDLE(HHOOK);
#undef PLAT_DECLARE_HANDLE
using HMODULE = HINSTANCE;

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) {
  return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}

// A kernel object the caller may wait on and close: events and threads
// (platform/threads.h defines the object).
struct HANDLE__;
using HANDLE = HANDLE__*;

// A palette entry: red, green, blue and a flags byte (DirectDraw and GDI palettes).
struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
};

// A 128-bit identifier: interface ids and display driver ids.
struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
};
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
using REFIID = const GUID&;

}  // namespace plat
