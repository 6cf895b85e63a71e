/* What a window handle of the driver gives the host on POSIX builds.
 *
 * On Windows the driver's dialogs are OS windows, and the host's dialog helpers
 * (centring, reading a number from a control, filling a combo box, ...) work on them
 * through the OS. On POSIX the driver's dialog runtime is headless: a window handle
 * (NyHwnd) of the driver points to an NyWindowHeader, and the host reaches the window
 * through the function table it names.
 *
 * Rules:
 * - Only handles the driver handed out (dialogs and their controls) may be read as an
 *   NyWindowHeader; check `magic` first. Any other handle, such as the host's own owner
 *   window, must first be checked with `isWindow` of a known driver window's table.
 * - Every function checks its handles and fails cleanly for a closed or foreign one.
 * - Calls come from the thread that runs the dialog; texts are CP932.
 * - `size` is the size of the table; fields may be appended in later versions. */
#ifndef NYPRKT3600R_WINDOW_OPS_H
#define NYPRKT3600R_WINDOW_OPS_H

#include <stdint.h>

#include "nyprkt3600r/platform_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#define NY_WINDOW_MAGIC 0x4E59574Eu /* "NYWN" */

typedef struct NyWindowOps {
  uint32_t size; /* sizeof(NyWindowOps) of the driver */
  /* Non-zero when `window` is a live window of the driver (no dereference of it). */
  int (*isWindow)(NyHwnd window);
  /* The control `id` of `dialog`, or null. */
  NyHwnd (*getItem)(NyHwnd dialog, int id);
  /* Copies the control's text into buf (cut at a character boundary, terminated);
   * returns its length, or -1 when there is no such control. */
  int (*getItemText)(NyHwnd dialog, int id, char* buf, int size);
  /* Sets the control's text; 0 on success, -1 when there is no such control. */
  int (*setItemText)(NyHwnd dialog, int id, const char* text);
  /* Appends an entry to combo box `id`; its index, or -1. */
  int (*addComboItem)(NyHwnd dialog, int id, const char* text);
  /* Empties combo box `id`; 0 or -1. */
  int (*resetCombo)(NyHwnd dialog, int id);
  /* The window with the focus (null when none); gives `window` the focus and returns the
   * window that had it. */
  NyHwnd (*getFocus)(void);
  NyHwnd (*setFocus)(NyHwnd window);
  /* Window rectangle in screen pixels; 0 or -1. */
  int (*getRect)(NyHwnd window, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
  /* Moves the window's top-left corner; 0 or -1. */
  int (*moveTo)(NyHwnd window, int32_t left, int32_t top);
  /* Processes what is pending for the driver's open dialogs (DoEvents). */
  void (*pumpMessages)(void);
  /* A modeless notice window over `owner` showing `text`; null on failure. */
  NyHwnd (*createNotice)(NyHwnd owner, const char* text);
  /* Closes a notice made by createNotice; 0 or -1. */
  int (*destroyNotice)(NyHwnd notice);
} NyWindowOps;

typedef struct NyWindowHeader {
  uint32_t magic; /* NY_WINDOW_MAGIC */
  const NyWindowOps* ops;
} NyWindowHeader;

#ifdef __cplusplus
}
#endif

#endif
