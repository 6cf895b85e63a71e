/* NYPRKT3600R: printer driver module for the KT3600R network thermal label printer.
 *
 * A label-design host loads this library and calls the functions below from its own
 * threads. Several printers may be driven from several threads at once; one printer is
 * meant to be driven from one thread at a time. Calls on one printer from several
 * threads at once take turns at each exchange with the printer: each call's result is
 * valid on its own, but their exchanges may interleave (a stop between the frames of a
 * print, say) and the error code read afterwards is that of whichever call failed last.
 * Text crossing this interface is CP932 (Shift-JIS). Every function that
 * concerns a printer takes either the host's printer number (1..8) or a slot index
 * (0..7), as noted at each function. Failures are kept per printer as a driver error
 * code and read back with NyPrGetPrintError. No function throws or aborts.
 *
 * Windows builds export `NyPrWaitJobEnd` under its decorated name `_NyPrWaitJobEnd@12`
 * (stdcall, 12 bytes of arguments); POSIX builds export the plain name. */
#ifndef NYPRKT3600R_H
#define NYPRKT3600R_H

#include "nyprkt3600r/host_records.h"
#include "nyprkt3600r/platform_types.h"

#if defined(NYPR_BUILDING_DRIVER)
#define NYPR_API NYPR_EXPORT
#else
#define NYPR_API NYPR_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Kind code of this driver towards the host. */
#define NYPR_KIND_KT3600R 276
/* Driver error code meaning "no error". */
#define NYPR_NO_ERROR 300

/* A rectangle in pixels, right and bottom exclusive (Windows RECT). */
typedef struct NyRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} NyRect;

/* ---- Specification queries ---------------------------------------------------- */

/* Fills {size, 0, 0, 1}. Returns 16; 0 (nothing written) when SizeUL is below 16;
 * a null pointer returns 16. */
NYPR_API uint32_t NYPR_STDCALL NyPrGetDriverSpec(DriverSpecST* spec);
/* Returns 344; 0 (nothing written) when SizeUL is below 344; null returns 344. */
NYPR_API uint32_t NYPR_STDCALL NyPrGetPrinterSpec(PrinterSpecST* spec, uint32_t unused);
/* Fills all 24 bytes; returns 1. A null record is not written. */
NYPR_API int32_t NYPR_STDCALL NyPrGetPrintData(uint8_t printerNo, PrintDataST* data,
                                               uint32_t unused);

/* ---- Opening, closing, errors, I/O control ------------------------------------- */

/* Printer number 1..8; other values use the first printer. 0 ready, -1 failed. */
NYPR_API int32_t NYPR_STDCALL NyPrInitPrinter(uint8_t printerNo, PrintJobST* job);
/* Slot index 0..7. Closes both connections; returns 1 (0 for an index out of range). */
NYPR_API int32_t NYPR_STDCALL NyPrClosePrinter(uint8_t slotIndex);
/* Printer number 1..8. Writes the message of the printer's last error (CP932, cut at a
 * character boundary, always terminated) when `text` is not null and `size` above 0.
 * Returns 0 when there is no error, else the driver error code. A printer number
 * outside 1..8 writes an empty text and returns 0. */
NYPR_API uint32_t NYPR_STDCALL NyPrGetPrintError(uint8_t printerNo, char* text, int32_t size);
/* Printer number 1..8; result per code. A printer number outside 1..8 returns 0 and
 * writes nothing. On 64-bit builds the user value of codes 15/16 is pointer-sized. */
NYPR_API intptr_t NYPR_STDCALL NyPrIoControl(uint8_t printerNo, int32_t code, void* arg,
                                             int32_t* size);
/* Slot index 0..7; which 0 closes the command connection, else the finish connection.
 * Returns 0. */
NYPR_API int32_t NYPR_STDCALL NyPrPrintNotify(uint8_t slotIndex, int32_t which);

/* ---- Printing ------------------------------------------------------------------- */

/* Prints one label design in `copies` copies (sent as at most 9999; below 0 as 0) and
 * returns once its raster has been sent; NyPrIsPrintFinished and the waits follow it to its
 * end. Printer number 1..8 (others use the first printer). 0 when the whole label was
 * sent, -1 on failure (reason in NyPrGetPrintError).
 * - A null bitmap, a null job or a job without label format or print conditions returns
 *   -1 without an error code, as does a bitmap that cannot be read.
 * - Labels wider than 80 mm give 40019; so do labels longer than the print command can
 *   describe (above 9999 dots, 833.2 mm: length 8333 or more in 0.1 mm), and a bitmap
 *   whose rows are wider than the printer's head line (more bytes per row than the head
 *   width in dots / 8, or more than 512): nothing is sent.
 * - A head width in the printer's settings that gives no head line, or one too wide for
 *   a raster frame (274 bytes or more), gives 60301 with the settings field number 50 as
 *   detail (dwError): nothing is sent.
 * - The dots right of the label width are cleared up to the end of their 16-dot group;
 *   when the bitmap is narrower than the label, its row padding is cleared the same way
 *   and never prints.
 * `confirm` may be null (the backfeed question is then not asked); when it points to 1
 * the question may be asked, and a yes sets it to 0. */
NYPR_API int16_t NYPR_STDCALL NyPrPrintOneLabel(uint8_t printerNo, int32_t copies, NyHbitmap label,
                                                PrintJobST* job, uint32_t* confirm);
/* NyPrStartPrint and NyPrRePrintOneLabel are NyPrPrintOneLabel under other names. */
NYPR_API int16_t NYPR_STDCALL NyPrStartPrint(uint8_t printerNo, int32_t copies, NyHbitmap label,
                                             PrintJobST* job, uint32_t* confirm);
NYPR_API int16_t NYPR_STDCALL NyPrRePrintOneLabel(uint8_t printerNo, int32_t copies,
                                                  NyHbitmap label, PrintJobST* job,
                                                  uint32_t* confirm);

/* ---- Completion, stop, feed and cut --------------------------------------------- */

/* Reads the printer's finish reports once. Printer number 1..8 (others use the first
 * printer). mode 0: this call opens the finish connection as needed; other: the caller
 * keeps it. 1 finished (both connections closed), 0 still issuing, 2 busy (nothing yet,
 * but the job showed life within 10 s), -1 failure, -2 label waiting at the peeler
 * (60315), -3 stopped by the printer (60999), -4 printer error 998. The copies still to
 * issue are stored through `remaining` whenever they are known; a null `remaining` is
 * accepted and the count is then only kept by the driver. `logValue` is only logged. */
NYPR_API int32_t NYPR_STDCALL NyPrIsPrintFinished(uint8_t printerNo, uint16_t* remaining,
                                                  int32_t mode, uint32_t logValue);
/* Printer number 1..8; other numbers return 0 and do nothing. 1 finished, 0 not: a job
 * that fails or has not ended within 10 s is stopped, and the error that explained it is
 * kept for NyPrGetPrintError. */
NYPR_API int32_t NYPR_STDCALL NyPrWaitPrintFinished(uint8_t printerNo, int32_t mode);
/* Shows the wait dialog ("DIALOG_WAIT_FINISH") until the job on `slot` ends or the user
 * stops it. `slot` must be one of the driver's own printer slot records (the driver's
 * dialogs pass theirs); null shows a dialog that can only be closed. 1 finished, 0 not finished or
 * stopped, -1 when the dialog cannot be shown or `slot` is not one of the driver's slot records. */
NYPR_API int32_t NYPR_STDCALL NyPrWaitJobEnd(void* slot, uint32_t unused, NyHwnd owner);
/* Printer number 1..8 (others use the first printer). 1 stopped, 0 not (60304 when the
 * printer refuses). */
NYPR_API int32_t NYPR_STDCALL NyPrStopPrint(uint8_t printerNo);
/* Slot index 0..7 (others return 0); operation 1 before a print, 2 before a feed.
 * 1 ready, 0 not (40070 no status, 40079 head open, 40365 a label still waits at the
 * peeler, printer errors of the status query). */
NYPR_API int32_t NYPR_STDCALL NyPrIsPrintReady(uint8_t slotIndex, uint16_t operation);
/* Feeds one blank label with the job's conditions and waits for it. Printer number 1..8
 * (others use the first printer). 1 fed, 0 not (60301 with the parameter's number in the
 * detail when the printer refuses a value; a label longer than 9999 dots gives 40019
 * with nothing sent; a null job returns 0). */
NYPR_API int32_t NYPR_STDCALL NyPrFeedLabel(uint8_t printerNo, PrintJobST* job);
/* Slot index 0..7 (others return 0). 1 done, 0 failed (the error is shown). */
NYPR_API int32_t NYPR_STDCALL NyPrSendPrintAutoCut(uint8_t slotIndex);

/* ---- Dialogs -------------------------------------------------------------------- */

/* Runs the printer setup dialog modally; returns 1. Extra arguments are ignored. */
NYPR_API int32_t NYPR_CDECL NyPrPrinterSetup(NyHwnd owner, uint8_t printerNo, PrintJobST* job, ...);
/* Callback of the host's print-condition dialog: 0 not handled or accepted, 1 handled
 * (stay), 2 a value is out of range (stay, focus on it). */
NYPR_API int32_t NYPR_STDCALL NyPrCondDlgCB(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                            intptr_t lParam, CondDlgCtxST* ctx);

/* ---- Bitmap utilities ----------------------------------------------------------- */

/* Clears a 40-byte BITMAPINFOHEADER and sets size, width, height, planes 1, bit count
 * (1, 4, 8 or 24 from `bitsPerPixel`) and the image size of 4-byte padded rows. */
NYPR_API void NYPR_STDCALL InitBitmapInfoHeader(void* infoHeader, uint32_t width, uint32_t height,
                                                int32_t bitsPerPixel);
NYPR_API uint16_t NYPR_STDCALL DIBNumColors(const void* dib);
NYPR_API uint16_t NYPR_STDCALL PaletteSize(const void* dib);
NYPR_API uint8_t* NYPR_STDCALL FindDIBBits(void* dib);
/* Returns a packed DIB (info header, colour table, bottom-up rows padded to 4 bytes) in
 * a new global memory block, or null. On POSIX release it with free(). */
NYPR_API NyHglobal NYPR_STDCALL BitmapToDIB(NyHbitmap bitmap, NyHpalette palette);
/* A region where two bitmaps differ: left edge, top edge, width and height in pixels. */
typedef struct DiffRectST {
  int32_t x;
  int32_t y;
  int32_t cx;
  int32_t cy;
} DiffRectST;

/* Number of difference rectangles, 0 when equal, -1 on failure (different width, height
 * or depth, an unreadable bitmap, more than 10000 differing 8 x 8 blocks). With a result
 * above 0, *rects receives an array of that many rectangles that the caller releases with
 * free() (GlobalFree on Windows); otherwise *rects is not written. */
NYPR_API int16_t NYPR_STDCALL CompareBitmapFnSW(NyHbitmap first, NyHbitmap second,
                                                DiffRectST** rects);

/* ---- Head protection and contrast limit ------------------------------------------ */

NYPR_API void NYPR_STDCALL PrintHeadProtectFnV(uint8_t* bits, int32_t spare1, int32_t spare2,
                                               int32_t rows, int32_t bytesPerRow);
/* Slot index 0..7 (others give 0). */
NYPR_API uint8_t NYPR_STDCALL NyPrGetMaxContrast2FnUB(uint8_t printerIndex, uint8_t speed,
                                                      int32_t mode);

/* ==== Extensions ================================================================= *
 * Exports beyond the host interface above, for hosts and tools of this module (the
 * command-line and print-system hosts use them). A host that only knows the interface
 * above never needs them. */

/* ---- Printer search --------------------------------------------------------------- */

/* One printer that answered the search, as the setup dialog's search list shows it. */
typedef struct NyPrFoundPrinterST {
  char szIPAddr[16];   /* "a.b.c.d", zero-terminated */
  char szModel[32];    /* model and version text as the printer sends it, CP932, zero-terminated */
  char szMachineNo[8]; /* machine number digits, zero-terminated */
} NyPrFoundPrinterST;

/* Broadcasts the printer search and fills up to maxCount records in arrival order.
   quietMs: how long a receive waits for the next reply (0 = the setup dialog's 1000 ms;
   values above 60000 wait 60000 ms).
   Returns the number of printers found (0..maxCount), or a negative search result:
   -1 no socket, -2 no broadcast, -3 search port busy, -4 send failed, -6 bad arguments
   (a null `found` or a maxCount below 1).
   It is the setup dialog's search: it binds UDP port 30000, so one search runs at a time
   per machine (a second one gets -3), and it blocks the calling thread until the segment
   has been silent for quietMs. The setup dialog's list is not changed. */
NYPR_API int32_t NYPR_STDCALL NyPrSearchPrinters(uint32_t quietMs, NyPrFoundPrinterST* found,
                                                 int32_t maxCount);

/* ---- Maintenance ------------------------------------------------------------------ */

/* The maintenance dialogs' test print without the dialog: the printer prints its pattern
   0..6 (standard, fine, normal and thick lines, centre line, patterns A and B) at
   position 0..3 (whole, left, centre, right), `labels` 1..9999 times, and the call follows
   the job for at most 10 s. Printer number 1..8. 1 printed, 2 still printing when the wait
   ended, 0 not (reason in NyPrGetPrintError; arguments out of range give 0 with nothing
   sent). The printer's connections stay open: close them with NyPrClosePrinter. */
NYPR_API int32_t NYPR_STDCALL NyPrTestPrint(uint8_t printerNo, int32_t pattern, int32_t position,
                                            int32_t labels);
/* The head-break check between dots firstDot and lastDot (1..960, either order) without
   the dialog. Printer number 1..8. *count receives the number of broken dots the printer
   found and `dots` the first maxDots of their positions. 1 checked, 0 not (reason in
   NyPrGetPrintError; arguments out of range or a null count give 0 with nothing sent). */
NYPR_API int32_t NYPR_STDCALL NyPrHeadCheck(uint8_t printerNo, int32_t firstDot, int32_t lastDot,
                                            int32_t* count, int32_t* dots, int32_t maxDots);

#ifdef __cplusplus
}
#endif

#endif
