// INI profile functions on POSIX. Reads and writes share one reading of the text
// (ini_text), so a write always changes the entry a read returns; writes edit only that
// line, because re-serialising the file would drop lines the host (or a technician)
// wrote by hand.
//
// Every read-modify-replace runs under an exclusive lock, so writers in several threads
// and several processes (hosts share one INI file) never lose each other's updates: a
// process-wide mutex orders this process's threads, and flock() on the INI itself orders
// the processes. Because a write replaces the file by rename, a writer that waited for the
// lock checks that it still holds the file at the path and starts again if not.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/posix/ini_text.h"
#include "platform/profile.h"

namespace nypr::platform {
namespace {

using Clock = std::chrono::steady_clock;

// How long a write waits for another writer before it reports failure.
constexpr std::chrono::milliseconds kLockWait{10000};
constexpr int kMaxLinks = 40;

std::atomic<bool> g_failRename{false};
std::timed_mutex g_writeMutex;

enum class FileRead { Read, Missing, Refused };

// The whole INI, read through one descriptor: a file that is not a regular file (a FIFO
// would block the caller for ever) or is larger than kMaxProfileBytes is refused unread.
FileRead readFile(const std::string& path, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileRead::Missing : FileRead::Refused;
  struct stat st {};
  FileRead result = FileRead::Refused;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<unsigned long long>(st.st_size) <= kMaxProfileBytes) {
    // One byte more than the file holds shows a file that grew meanwhile.
    out.resize(static_cast<size_t>(st.st_size) + 1);
    size_t done = 0;
    for (;;) {
      if (done == out.size()) {
        if (done > kMaxProfileBytes) break;
        out.resize(std::min(out.size() * 2, kMaxProfileBytes + 1));
      }
      const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      if (n == 0) {
        result = FileRead::Read;
        break;
      }
      done += static_cast<size_t>(n);
    }
    out.resize(result == FileRead::Read ? done : 0);
  }
  ::close(fd);
  return result;
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A link the kernel's protected-symlinks rule would not follow: one in a sticky
// world-writable folder (a shared temporary folder) that belongs neither to this process's
// user nor to the folder's owner, such as a link another user planted at a name the
// caller expected to create. The links are resolved here, so the rule is applied here.
bool plantedLink(const std::string& link, const struct stat& linkStat) {
  struct stat dir {};
  if (::stat(directoryOf(link).c_str(), &dir) != 0) return true;
  const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
  return shared && linkStat.st_uid != ::geteuid() && linkStat.st_uid != dir.st_uid;
}

// The file a write must replace: symbolic links are followed to their final target (which
// may not exist yet), so the link stays and the file it names is updated. A planted link
// (see above) is a failure.
bool resolveTarget(const std::string& path, std::string& target) {
  target = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    if (plantedLink(target, st)) return false;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<size_t>(n) >= link.size()) return false;
    link.resize(static_cast<size_t>(n));
    target = link.front() == '/' ? link : directoryOf(target) + "/" + link;
  }
  return false;  // a loop of links
}

// No write permission bit at all is the INI's (or its folder's) read-only attribute: the
// write fails as it does on Windows, even for a user the OS would let through.
bool readOnly(mode_t mode) {
  return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The exclusive lock of one write: held on an open descriptor of the INI, which the
// write creates (empty) when it is missing.
class FileLock {
 public:
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the flock
  }
  bool acquire(const std::string& path, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
      fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
      if (fd_ < 0) return false;
      while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      struct stat held {
      }, now{};
      if (::fstat(fd_, &held) == 0 && ::stat(path.c_str(), &now) == 0 &&
          held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
        mode_ = held.st_mode;
        uid_ = held.st_uid;
        gid_ = held.st_gid;
        return true;
      }
      ::close(fd_);  // replaced while we waited: lock the new file
      fd_ = -1;
    }
    return false;
  }
  mode_t mode() const { return mode_; }
  uid_t uid() const { return uid_; }
  gid_t gid() const { return gid_; }

 private:
  int fd_ = -1;
  mode_t mode_ = 0;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

// Writes `data` to a fresh temporary file beside `target` with the INI's mode and owner,
// flushes it and renames it over `target`.
bool replaceFile(const std::string& target, const FileLock& lock, const std::string& data) {
  std::string base = target.substr(target.rfind('/') + 1);
  std::string tmp = directoryOf(target) + "/." + base + ".XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, lock.mode() & 07777) == 0;
  if (::fchown(fd, lock.uid(), lock.gid()) != 0) {
    // Only a privileged writer can give the file to another owner; the mode still holds.
  }
  for (size_t done = 0; ok && done < data.size();) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && g_failRename.load()) ok = false;
  if (!ok || ::rename(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string profileReadString(const std::string& path, const char* section, const char* key,
                              const char* defaultValue) {
  const char* def = defaultValue ? defaultValue : "";
  std::string data;
  if (section == nullptr || key == nullptr || readFile(path, data) != FileRead::Read) return def;
  std::optional<std::string> value = iniFindValue(data, section, key);
  return value ? *value : std::string(def);
}

size_t profileReadString(const std::string& path, const char* section, const char* key,
                         const char* defaultValue, char* buf, size_t size) {
  if (buf == nullptr || size == 0) return 0;
  std::string v = profileReadString(path, section, key, defaultValue);
  size_t n = v.size() < size - 1 ? v.size() : size - 1;
  std::memcpy(buf, v.data(), n);
  buf[n] = '\0';
  return n;
}

int profileReadInt(const std::string& path, const char* section, const char* key,
                   int defaultValue) {
  std::string v = profileReadString(path, section, key, nullptr);
  size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  if (i >= v.size() || !std::isdigit(static_cast<unsigned char>(v[i]))) return defaultValue;
  long long value = 0;
  for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i) {
    value = value * 10 + (v[i] - '0');
    if (value > INT_MAX) value = INT_MAX;  // saturate rather than wrap on absurd input
  }
  return static_cast<int>(negative ? -value : value);
}

bool profileWriteString(const std::string& path, const char* section, const char* key,
                        const char* value) {
  const char* val = value ? value : "";
  // Names or a value that would not read back are refused before the file is touched.
  if (section == nullptr || key == nullptr || path.empty() || !iniSetValue({}, section, key, val)) {
    return false;
  }
  std::string target;
  if (!resolveTarget(path, target)) return false;
  struct stat st {};
  if (::stat(directoryOf(target).c_str(), &st) != 0 || readOnly(st.st_mode)) return false;
  if (::stat(target.c_str(), &st) == 0 && readOnly(st.st_mode)) return false;

  const Clock::time_point deadline = Clock::now() + kLockWait;
  std::unique_lock<std::timed_mutex> threads(g_writeMutex, kLockWait);
  if (!threads.owns_lock()) return false;
  FileLock lock;
  if (!lock.acquire(target, deadline) || readOnly(lock.mode())) return false;
  // A file that cannot be read whole is never replaced: the edit would drop its lines.
  std::string data;
  if (readFile(target, data) != FileRead::Read) return false;
  std::optional<std::string> edited = iniSetValue(data, section, key, val);
  return edited && replaceFile(target, lock, *edited);
}

void profileFailRenameForTesting(bool fail) {
  g_failRename.store(fail);
}

}  // namespace nypr::platform
