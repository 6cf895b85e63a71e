/* Control API of the stand-in host library (nyhost).
 *
 * A real host application supplies the support functions the driver calls (logging,
 * messages, strings, the INI file, passwords). This stand-in gives them for tests, the
 * command-line tools and any host without its own: it is configured here or through the
 * environment. The driver never includes this header.
 *
 * Environment (read once, at first use; the functions below override it):
 *   NYHOST_INI         path of the host INI file
 *                      (default $XDG_CONFIG_HOME or ~/.config, then nyprkt3600r/host.ini)
 *   NYHOST_MODULE_DIR  the host's program directory (backup BMPs go below it; default ".")
 *   NYHOST_LOG         file receiving the driver's log lines in UTF-8, "-" for standard
 *                      error (default: none)
 *   NYHOST_MESSAGES    "stderr" prints message boxes to standard error (default: silent)
 *   NYHOST_ANSWER      answer to yes/no questions: "yes" (default) or "no"
 *   NYHOST_PASSWORD    "accept" lets password checks pass (default: they fail)
 *
 * Texts are CP932, as the driver hands them over. */
#ifndef NYHOST_CONTROL_H
#define NYHOST_CONTROL_H

#include <stdint.h>

#include "nyprkt3600r/platform_types.h"

#if defined(NYHOST_BUILDING)
#define NYHOST_CTL NYPR_EXPORT
#else
#define NYHOST_CTL NYPR_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Message box: returns the button pressed (1 OK, 2 cancel, 6 yes, 7 no). */
typedef int (*NyhostMessageBoxHandler)(void* user, NyHwnd owner, const char* text,
                                       const char* caption, uint32_t style);
/* Question or notice (_ConfirmMessageFnSW): text is null when messageId names a host
 * text. Returns the answer (6 = yes). */
typedef int (*NyhostConfirmHandler)(void* user, NyHwnd owner, uint32_t messageId, const char* text,
                                    uint32_t style);
/* Password check: non-zero when the user entered the password for accessCode, the
 * access code as text ("735", "482"). */
typedef int (*NyhostPasswordHandler)(void* user, NyHwnd owner, const char* accessCode);
/* File chooser: copy a path into `path` (size bytes) and return 1, or return 0. */
typedef int (*NyhostFileNameHandler)(void* user, char* path, int size, uint32_t filterTextId);

NYHOST_CTL void nyhostSetIniPath(const char* path);
NYHOST_CTL void nyhostSetModuleDir(const char* dir);
/* null: no log file; "-": standard error. Lines are written in UTF-8. */
NYHOST_CTL void nyhostSetLogFile(const char* path);
/* null handlers restore the defaults described above. */
NYHOST_CTL void nyhostSetMessageBoxHandler(NyhostMessageBoxHandler handler, void* user);
NYHOST_CTL void nyhostSetConfirmHandler(NyhostConfirmHandler handler, void* user);
NYHOST_CTL void nyhostSetPasswordHandler(NyhostPasswordHandler handler, void* user);
NYHOST_CTL void nyhostSetFileNameHandler(NyhostFileNameHandler handler, void* user);
/* Host text for `id` (CP932); null removes it. */
NYHOST_CTL void nyhostSetHostString(uint32_t id, const char* text);
/* The host's text (CP932) for control `controlId` of the driver's dialog template
 * `dialogName`, which _LoadDialogItemsExFnV puts on the control when the dialog opens;
 * null removes it. Controls without a host text keep the template's. */
NYHOST_CTL void nyhostSetDialogText(const char* dialogName, int controlId, const char* text);
/* 1 while the driver shows the host's wait cursor (the hourglass), else 0; `shownCount`,
 * when not null, receives how often it was turned on since the host was loaded. */
NYHOST_CTL int nyhostWaitCursor(int* shownCount);

/* The host's own access to its INI file (the one TSRGetIniFileName names), with the
 * Windows profile semantics the driver relies on too. Read returns the bytes copied
 * (cut to size - 1 and terminated); write returns non-zero on success and replaces the
 * file atomically, keeping every other line. */
NYHOST_CTL const char* nyhostIniPath(void);
NYHOST_CTL int nyhostProfileRead(const char* section, const char* key, const char* defaultValue,
                                 char* buf, int size);
NYHOST_CTL int nyhostProfileWrite(const char* section, const char* key, const char* value);

/* What the driver did with the host. */
NYHOST_CTL const char* nyhostRegisteredModel(void);
NYHOST_CTL NyHmodule nyhostRegisteredModule(void);
NYHOST_CTL int nyhostRegisterCount(void);
NYHOST_CTL int nyhostMessageBoxCount(void);
/* Copies of the last message box (CP932); empty before the first. */
NYHOST_CTL const char* nyhostLastMessageText(void);
NYHOST_CTL const char* nyhostLastMessageCaption(void);
NYHOST_CTL uint32_t nyhostLastMessageStyle(void);
NYHOST_CTL int nyhostConfirmCount(void);
/* The last question or notice as asked: its host message id (0 when the driver passed
 * its own text) and a copy of its text (CP932; empty when none came). */
NYHOST_CTL uint32_t nyhostLastConfirmMessageId(void);
NYHOST_CTL const char* nyhostLastConfirmText(void);

/* Handlers back to their defaults, dialog texts removed, counters and last message
 * cleared. Paths and host strings stay. */
NYHOST_CTL void nyhostReset(void);

#ifdef __cplusplus
}
#endif

#endif
