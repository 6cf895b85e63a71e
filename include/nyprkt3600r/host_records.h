/* Records the host application passes to the driver. Their byte layout is the host's;
 * on 32-bit builds every used field sits at the host's offset (checked below). On 64-bit
 * builds pointer fields widen naturally and the offsets move with them. Fields the driver
 * does not use are kept as reserved bytes so the used ones land where the host puts them. */
#ifndef NYPRKT3600R_HOST_RECORDS_H
#define NYPRKT3600R_HOST_RECORDS_H

#include "nyprkt3600r/platform_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 4)

/* Label dimensions (0.1 mm units) and per-label options. */
typedef struct LabelFormatST {
  uint8_t reserved0[28];
  uint32_t MirrorFlagsUL; /* 28: bit 0 mirror in mode 0, bit 1 mirror in mode 1 */
  uint8_t reserved32[4];
  uint16_t WidthUW;  /* 36: label width, 0.1 mm */
  uint16_t LengthUW; /* 38: label length in the feed direction, 0.1 mm */
  uint8_t reserved40[44];
  uint16_t GapUW; /* 84: gap between labels, 0.1 mm */
  uint8_t reserved86[878];
  uint8_t PosAdjXUB; /* 964: print position X adjustment + 128 */
  uint8_t PosAdjYUB; /* 965: print position Y adjustment + 128 */
  uint8_t reserved966[2];
} LabelFormatST;

/* Condition flags of PrintCondST.OptionFlagsUW. */
enum {
  NYPR_COND_THERMAL_TRANSFER = 0x1,
  NYPR_COND_FLAG_2 = 0x2,
  NYPR_COND_FLAG_4 = 0x4,
  NYPR_COND_BACKFEED_QUESTION = 0x8,
  NYPR_COND_AUTO_PEEL = 0x10,
  NYPR_COND_AUTO_CUT = 0x20,
  NYPR_COND_FLAG_80 = 0x80,
  NYPR_COND_FLAG_100 = 0x100,
  NYPR_COND_FLAG_200 = 0x200
};

/* Print conditions of one job. */
typedef struct PrintCondST {
  uint16_t reserved0;
  uint16_t Cond2UW;    /* 2: condition value sent as three digits */
  uint16_t Cond4UW;    /* 4: condition value sent as three digits */
  uint16_t CountUW;    /* 6: count 1..999 for settings field 53 */
  uint8_t PrinterNoUB; /* 8: host printer number 1..8 */
  uint8_t reserved9[3];
  uint16_t CutterDistUW;  /* 12: auto cutter distance + 1 */
  uint16_t OptionFlagsUW; /* 14: NYPR_COND_* flags */
  uint16_t GapDistUW;     /* 16: gap sensor distance + 1 */
  uint16_t MarkDistUW;    /* 18: mark sensor distance + 1 */
} PrintCondST;

/* One print job as the host hands it over. */
typedef struct PrintJobST {
  uint32_t reserved0;
  LabelFormatST* lpLabelFormat; /* 4 */
  PrintCondST* lpPrintCond;     /* 8 */
  uint32_t reserved12;
  int32_t* lpAllowFlag100; /* 16: non-zero lets condition flag 0x100 reach the printer */
  int32_t* lpAllowFlag80A; /* 20: with 24, both non-zero let flag 0x80 reach the printer */
  int32_t* lpAllowFlag80B; /* 24 */
  uint32_t* lpFlagWord;    /* 28: bit 0 = history control on (set by NyPrInitPrinter) */
  uint32_t reserved32;
  NyHbitmap hLabelBitmap; /* 36: rendered label (maintenance test print) */
  int32_t bShowLateError; /* 40: non-zero: print path shows its own late error */
} PrintJobST;

/* Context of the host's print-condition dialog callback. */
typedef struct CondDlgCtxST {
  int32_t bHostInit;
  int32_t bHandled;
  LabelFormatST* lpLabelFormat;
  PrintCondST* lpPrintCond;
} CondDlgCtxST;

typedef struct DriverSpecST {
  uint32_t SizeUL; /* set by the caller */
  uint32_t Value1UL;
  uint32_t Value2UL;
  uint32_t Value3UL;
} DriverSpecST;

typedef struct PrinterSpecST {
  uint32_t SizeUL; /* set by the caller */
  uint32_t KindUL; /* 276 */
  uint8_t reserved8[8];
  char Description[256];  /* 16: NUL-terminated, CP932 */
  uint16_t ResolutionXUW; /* 272: 300 */
  uint16_t ResolutionYUW; /* 274: 300 */
  uint8_t reserved276[68];
} PrinterSpecST;

typedef struct PrintDataST {
  uint16_t KindUW; /* 276 */
  uint16_t Zero2UW;
  uint16_t DotsPer10mmUW; /* 120 */
  uint16_t MinSpeedUW;    /* 70 */
  uint16_t MaxSpeedUW;    /* 150 */
  uint16_t MaxWidthUW;    /* 800 */
  uint16_t Value12UW;     /* 5000 */
  uint16_t Zero14UW;
  uint8_t Zero16UB;
  uint8_t PrinterNoUB; /* 17: printer number passed in */
  uint16_t Zero18UW;
  uint32_t Zero20UL;
} PrintDataST;

typedef struct MediaInfoST {
  uint16_t KindUW;   /* 0: 276 */
  uint16_t Value2UW; /* 2: 150 */
  uint16_t Value4UW; /* 4: 55 */
  uint16_t Zero6UW;
  uint8_t PrinterNoUB; /* 8 */
  uint8_t reserved9[5];
  uint16_t FlagsUW; /* 14: bit 0x4 set */
  uint32_t Zero16UL;
} MediaInfoST;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include <cstddef>
#define NYPR_OFFSET_CHECK(T, f, off) static_assert(offsetof(T, f) == (off), #T "." #f)
#else
#define NYPR_OFFSET_CHECK(T, f, off) _Static_assert(offsetof(T, f) == (off), #T "." #f)
#endif

NYPR_OFFSET_CHECK(LabelFormatST, MirrorFlagsUL, 28);
NYPR_OFFSET_CHECK(LabelFormatST, WidthUW, 36);
NYPR_OFFSET_CHECK(LabelFormatST, LengthUW, 38);
NYPR_OFFSET_CHECK(LabelFormatST, GapUW, 84);
NYPR_OFFSET_CHECK(LabelFormatST, PosAdjXUB, 964);
NYPR_OFFSET_CHECK(LabelFormatST, PosAdjYUB, 965);
NYPR_OFFSET_CHECK(PrintCondST, Cond2UW, 2);
NYPR_OFFSET_CHECK(PrintCondST, Cond4UW, 4);
NYPR_OFFSET_CHECK(PrintCondST, CountUW, 6);
NYPR_OFFSET_CHECK(PrintCondST, PrinterNoUB, 8);
NYPR_OFFSET_CHECK(PrintCondST, CutterDistUW, 12);
NYPR_OFFSET_CHECK(PrintCondST, OptionFlagsUW, 14);
NYPR_OFFSET_CHECK(PrintCondST, GapDistUW, 16);
NYPR_OFFSET_CHECK(PrintCondST, MarkDistUW, 18);
NYPR_OFFSET_CHECK(PrinterSpecST, Description, 16);
NYPR_OFFSET_CHECK(PrinterSpecST, ResolutionXUW, 272);
NYPR_OFFSET_CHECK(PrintDataST, PrinterNoUB, 17);
NYPR_OFFSET_CHECK(MediaInfoST, PrinterNoUB, 8);
NYPR_OFFSET_CHECK(MediaInfoST, FlagsUW, 14);
#ifdef __cplusplus
static_assert(sizeof(DriverSpecST) == 16);
static_assert(sizeof(PrinterSpecST) == 344);
static_assert(sizeof(PrintDataST) == 24);
static_assert(sizeof(MediaInfoST) == 20);
#endif
#if UINTPTR_MAX == 0xFFFFFFFFu
/* The host's own layout, which only a 32-bit build shares. */
NYPR_OFFSET_CHECK(PrintJobST, lpLabelFormat, 4);
NYPR_OFFSET_CHECK(PrintJobST, lpPrintCond, 8);
NYPR_OFFSET_CHECK(PrintJobST, lpAllowFlag100, 16);
NYPR_OFFSET_CHECK(PrintJobST, lpAllowFlag80A, 20);
NYPR_OFFSET_CHECK(PrintJobST, lpAllowFlag80B, 24);
NYPR_OFFSET_CHECK(PrintJobST, lpFlagWord, 28);
NYPR_OFFSET_CHECK(PrintJobST, hLabelBitmap, 36);
NYPR_OFFSET_CHECK(PrintJobST, bShowLateError, 40);
NYPR_OFFSET_CHECK(CondDlgCtxST, lpLabelFormat, 8);
NYPR_OFFSET_CHECK(CondDlgCtxST, lpPrintCond, 12);
#endif

#endif
