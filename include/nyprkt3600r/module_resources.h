/* What a module handle gives the host on POSIX builds.
 *
 * On Windows the host reaches the driver's string table and dialog templates through
 * its module handle (LoadString, DialogBox with the HINSTANCE). A POSIX shared library
 * has no resources, so the driver's module handle points to this record and the host
 * calls through it. */
#ifndef NYPRKT3600R_MODULE_RESOURCES_H
#define NYPRKT3600R_MODULE_RESOURCES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NY_MODULE_RESOURCES_MAGIC 0x4E59524Du /* "NYRM" */

typedef struct NyModuleResources {
  uint32_t magic; /* NY_MODULE_RESOURCES_MAGIC */
  /* Copies the module string `id` (CP932) into `buf`, cut at a character boundary and
   * terminated; returns its length in bytes, 0 when the module has no such string. */
  int (*loadString)(unsigned id, char* buf, int size);
} NyModuleResources;

#ifdef __cplusplus
}
#endif

#endif
