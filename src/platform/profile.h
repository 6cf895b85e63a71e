// The Windows profile-file functions on one INI file.
//
// Contract (the semantics of GetPrivateProfileString/Int and WritePrivateProfileString):
// - Sections and keys compare case-insensitively; values are returned as stored (bytes,
//   CP932 in practice), without surrounding blanks.
// - A missing file, section or key gives the default. Nothing is cached: every call reads
//   the file, because the host may change it at any time.
// - readString copies at most `size` - 1 bytes and terminates (size 0 writes nothing);
//   it returns the number of bytes copied.
// - readInt parses like GetPrivateProfileInt: optional blanks, optional sign, decimal
//   digits up to the first non-digit ("0x10" reads as 0, "12abc" as 12); no digits at
//   all gives the default.
// - A UTF-8 byte-order mark does not hide the first section; when a section or a key
//   appears twice, the first occurrence is the one read and written.
// - writeString creates the file, the section and the key as needed and keeps every
//   other line of the file (comments, other sections, the case of existing names, line
//   ends). The file is replaced atomically (a temporary file of its own in the same
//   directory, flushed, renamed over), so a failure part-way leaves the previous file
//   whole. Writes from several threads and processes are serialised, so none is lost.
//   A symbolic link is followed to its target and the file keeps its mode. A read-only
//   file or folder, a value or names that would not read back (line breaks, "=" in the
//   key) and a lock not obtained in time are failures. Returns false on failure, and the
//   file is then unchanged.
// - A file larger than kMaxProfileBytes, or one that is not a regular file, is not read
//   (POSIX backend): reads give the defaults, as for a missing file, and writes fail and
//   leave it untouched, so such a file is never cut down to what an edit could hold.
//   A symbolic link planted by another user in a shared sticky folder (the kernel's
//   protected-symlinks case) is not followed: the write fails.
#pragma once

#include <cstddef>
#include <string>

namespace nypr::platform {

// The host INI holds a few sections of short lines (a few KiB with all eight printers);
// 1 MiB leaves room for any hand-kept file and bounds what one read costs.
constexpr size_t kMaxProfileBytes = size_t{1} << 20;

std::string profileReadString(const std::string& path, const char* section, const char* key,
                              const char* defaultValue);
size_t profileReadString(const std::string& path, const char* section, const char* key,
                         const char* defaultValue, char* buf, size_t size);
int profileReadInt(const std::string& path, const char* section, const char* key, int defaultValue);
bool profileWriteString(const std::string& path, const char* section, const char* key,
                        const char* value);

// Test seam: makes the final rename of the next writes fail (simulating a full disk or
// a locked file) when `fail` is true.
void profileFailRenameForTesting(bool fail);

}  // namespace nypr::platform
