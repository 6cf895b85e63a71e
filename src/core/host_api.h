// The host application's support libraries as the driver calls them.
//
// NyLib gives logging, messages, strings, dialog helpers, the INI file name and printer
// registration; NyDrw gives one image operation. On 32-bit Windows the stack-cleaning
// functions are __stdcall and link as `_Name@n` (n = bytes of arguments, noted at each);
// the log functions, StrToIbyLen and ConvMemdSizeEXFnI are __cdecl. Other builds use the
// plain C names. Text is CP932. A real host supplies these; `host/` is the stand-in.
#pragma once

#include <cstdint>

#include "nyprkt3600r/platform_types.h"

#if defined(_WIN32) && defined(NYHOST_BUILDING)
#define NYHOST_API  // NyLib/NyDrw export them under the host's names from their .def files
#elif defined(_WIN32)
#define NYHOST_API __declspec(dllimport)
#elif defined(NYHOST_BUILDING)
#define NYHOST_API __attribute__((visibility("default")))
#else
#define NYHOST_API
#endif

// A file handle of _OpenFileFnHF@8; invalid when NY_INVALID_FILE.
typedef intptr_t NyHfile;
#define NY_INVALID_FILE ((NyHfile)-1)

// Answers of message boxes and questions.
#define NY_IDOK 1
#define NY_IDCANCEL 2
#define NY_IDYES 6
#define NY_IDNO 7

// Styles of NyMessageBox.
#define NY_MB_OK 0
#define NY_MB_ICONERROR 16
#define NY_MB_ICONWARNING 48
#define NY_MB_HELPCODE 0x80000000u  // | driver error code: warning that offers help for it

extern "C" {

// ---- NyLib: registration, files --------------------------------------------------------
NYHOST_API void NYPR_STDCALL RegisterDLLPrinterFnV(const char* model, NyHmodule module);  // @8
NYHOST_API const char* NYPR_STDCALL TSRGetIniFileName(void);                              // @0
NYHOST_API void NYPR_STDCALL GetModuleDirectory(char* buf, int32_t size);                 // @8

// ---- NyLib: logging (cdecl) ---------------------------------------------------------------
NYHOST_API void NYPR_CDECL printd(const char* format, ...);
NYHOST_API void NYPR_CDECL printlog(const char* tag, const char* format, ...);
NYHOST_API void NYPR_CDECL printlog_detail(const char* level, const char* format, ...);

// ---- NyLib: strings ---------------------------------------------------------------------
// Host text `id`; returns its length, 0 when absent.
NYHOST_API int32_t NYPR_STDCALL LoadStringFnI(uint32_t id, char* buf, int32_t size);  // @12
// This driver's text `id` in the host's language (section "KT-PRINTER"); 0 when absent.
NYHOST_API int32_t NYPR_STDCALL LoadStringExFnI(uint32_t id, char* buf, int32_t size,
                                                const char* section);  // @16
NYHOST_API void NYPR_STDCALL LoadDialogItemsExFnV(const char* dialogName, NyHwnd dialog,
                                                  const char* section);  // @12

// ---- NyLib: messages ----------------------------------------------------------------------
NYHOST_API int32_t NYPR_STDCALL NyMessageBox(NyHwnd owner, const char* text, const char* caption,
                                             uint32_t style);  // @16
// messageId: a host message id (below 60000), or 0 when `text` carries the driver's own
// text. style 0: yes/no question (6 = yes); 2: plain notice.
NYHOST_API int16_t NYPR_STDCALL ConfirmMessageFnSW(NyHwnd owner, uint32_t messageId,
                                                   const char* text, uint32_t style);  // @16
NYHOST_API void NYPR_STDCALL ErrorMessageFnV(NyHwnd owner, uint32_t messageId,
                                             uint32_t zero);                        // @12
NYHOST_API NyHwnd NYPR_STDCALL ShowWaitMessageFnH(NyHwnd owner, const char* text);  // @8
NYHOST_API void NYPR_STDCALL SetWaitCursorFnV(int32_t on);                          // @4
NYHOST_API void NYPR_STDCALL DoEventsFnV(NyHwnd window, int32_t count);             // @8

// ---- NyLib: dialog helpers -------------------------------------------------------------------
NYHOST_API void NYPR_STDCALL CenterDialogFnV(NyHwnd dialog, NyHwnd owner);  // @8
NYHOST_API int16_t NYPR_STDCALL GetDlgItemIntFnSW(NyHwnd dialog, int32_t controlId,
                                                  int32_t isSigned);  // @12
NYHOST_API void NYPR_STDCALL InitCombineBoxFnV(NyHwnd dialog, int32_t zero, int32_t controlId,
                                               uint32_t firstStringId, int32_t count);  // @20
// 0 when the user chose a file (path in `path`, 260 bytes); anything else: no file.
NYHOST_API int16_t NYPR_STDCALL GetFileNameFnSW(char* path, uint32_t filterTextId,
                                                int32_t zero);                 // @12
NYHOST_API NyHfile NYPR_STDCALL OpenFileFnHF(const char* path, int32_t zero);  // @8
// accessCode: the access code as text ("735" maintenance, "482" high-level parameters).
NYHOST_API int32_t NYPR_STDCALL CheckPasswordFnBL(NyHwnd owner, const char* accessCode,
                                                  int32_t zero);  // @12

// ---- NyLib: numbers (cdecl) ---------------------------------------------------------------
NYHOST_API int32_t NYPR_CDECL StrToIbyLen(const char* text, int32_t digits);
// A memory size text (decimal byte count, right-aligned, blanks around it allowed, at
// most 15 digits; the card test answers 12) into its byte count (*value) and a unit code:
// 0 no bytes, 1 bytes (below 1024), 2 KB (below 1024^2), 3 MB (below 1024^3), 4 GB.
// -1 (and *value 0) for a text that is no such number.
NYHOST_API int32_t NYPR_CDECL ConvMemdSizeEXFnI(const char* text, double* value);

// ---- NyDrw ------------------------------------------------------------------------------------
NYHOST_API void NYPR_STDCALL MirrorImageFnV(int32_t width, int32_t height, int32_t mode,
                                            uint8_t* bits, int32_t bytesPerRow);  // @20

}  // extern "C"
