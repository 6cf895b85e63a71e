/* Handle and calling-convention types shared by the driver, the host and the tools.
 *
 * On Windows these are the Win32 types (HWND, HBITMAP, HGLOBAL, ...). On POSIX builds a
 * window is an opaque pointer of the dialog runtime, a bitmap handle points to a plain
 * NyBitmap owned by the caller, and a global memory handle is heap memory the caller
 * releases with free(). */
#ifndef NYPRKT3600R_PLATFORM_TYPES_H
#define NYPRKT3600R_PLATFORM_TYPES_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define NYPR_STDCALL __stdcall
#define NYPR_CDECL __cdecl
#else
#define NYPR_STDCALL
#define NYPR_CDECL
#endif

#if defined(_WIN32)
/* The module's .def file names its exports; a dllexport here would add decorated
 * duplicates of every stdcall name. */
#define NYPR_EXPORT
#define NYPR_IMPORT __declspec(dllimport)
#else
#define NYPR_EXPORT __attribute__((visibility("default")))
#define NYPR_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
/* The Win32 handle types themselves (STRICT declarations), so a host passes its HWND,
 * HBITMAP, HPALETTE, HGLOBAL and HINSTANCE unchanged and need not include this header's
 * POSIX types. */
struct HWND__;
struct HBITMAP__;
struct HPALETTE__;
struct HINSTANCE__;
typedef struct HWND__* NyHwnd;
typedef struct HBITMAP__* NyHbitmap;
typedef struct HPALETTE__* NyHpalette;
typedef void* NyHglobal;
typedef struct HINSTANCE__* NyHmodule;
#else
/* A window of the dialog runtime (HWND on Windows). */
typedef void* NyHwnd;

/* A device bitmap on POSIX, read with the rules of a Windows device bitmap:
 * rows top-down, each row `stride` bytes (GDI pads rows to an even byte count; any
 * stride at least the packed row length is accepted), within a byte the most
 * significant bits are the leftmost pixel. For 1, 4 and 8 bits per pixel `palette`
 * holds `paletteCount` entries of 0x00RRGGBB; with no palette a 1-bit bitmap is
 * 0 = black, 1 = white, and 4/8-bit values are grey levels. 16-bit pixels are
 * little-endian 5-5-5 (x1-r5-g5-b5), 24-bit are B,G,R bytes, 32-bit B,G,R,x. */
typedef struct NyBitmap {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel; /* 1, 4, 8, 16, 24 or 32 */
  int32_t stride;       /* bytes from one row to the next */
  uint8_t* bits;
  const uint32_t* palette;
  int32_t paletteCount;
} NyBitmap;

typedef NyBitmap* NyHbitmap; /* HBITMAP */
typedef void* NyHpalette;    /* HPALETTE; ignored on POSIX */
typedef void* NyHglobal;     /* HGLOBAL; on POSIX release with free() */
typedef void* NyHmodule;     /* HINSTANCE of the driver module */
#endif

#ifdef __cplusplus
}
#endif

#endif
