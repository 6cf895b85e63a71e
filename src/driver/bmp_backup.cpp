#include "driver/bmp_backup.h"

#include <cstdio>

#include "core/host_api.h"
#include "image/bmp_file.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "settings/printer_settings.h"

namespace nypr {
namespace {

constexpr char kLogSection[] = "Log";
constexpr char kBackupDir[] = "LOG";
constexpr int kModuleDirSize = 260;

std::string backupDir() {
  char dir[kModuleDirSize] = {};
  GetModuleDirectory(dir, sizeof dir);
  dir[sizeof dir - 1] = '\0';
  return platform::joinPath(dir, kBackupDir);
}

}  // namespace

std::string backupBmpPath(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "KT%04d.BMP", number);
  return platform::joinPath(backupDir(), name);
}

void backupLabelBitmap(uint8_t printerNo, NyHbitmap bitmap) {
  const std::string ini = hostIniPath();
  if (platform::profileReadInt(ini, kLogSection, "BACKUPBMP", 0) == 0) return;
  int number = platform::profileReadInt(ini, kLogSection, "KTBakBmpNum", 1);
  const int maximum = platform::profileReadInt(ini, kLogSection, "MAXBmp", 1000);
  // A number the host's file holds out of range starts the round again.
  if (number >= maximum || number < 1) number = 1;

  printlog("INF", "[%d]KTBMP", printerNo);
  platform::ensureDirectory(backupDir());
  saveBitmapAsBmp(bitmap, backupBmpPath(number));

  char next[16];
  std::snprintf(next, sizeof next, "%d", number + 1);
  platform::profileWriteString(ini, kLogSection, "KTBakBmpNum", next);
}

}  // namespace nypr
