// Windows backend of platform/profile.h: the profile functions themselves, on the host's
// INI file, which the host reads and writes through them too.
#include <windows.h>

#include <atomic>
#include <cctype>
#include <climits>
#include <string_view>
#include <vector>

#include "platform/profile.h"

namespace nypr::platform {
namespace {

std::atomic<bool> g_failWrites{false};

// The longest value read; the profile functions cut longer ones as well.
constexpr DWORD kMaxValue = 65535;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string profileReadString(const std::string& path, const char* section, const char* key,
                              const char* defaultValue) {
  const char* def = defaultValue ? defaultValue : "";
  // A null section or key would list names instead of reading a value.
  if (section == nullptr || key == nullptr) return def;
  std::vector<char> buf(256);
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(),
                                       static_cast<DWORD>(buf.size()), path.c_str());
    // n == size - 1 means the value may have been cut: read again with more room.
    if (n + 1 < buf.size() || buf.size() > kMaxValue) return std::string(buf.data(), n);
    buf.resize(buf.size() * 4);
  }
}

size_t profileReadString(const std::string& path, const char* section, const char* key,
                         const char* defaultValue, char* buf, size_t size) {
  if (buf == nullptr || size == 0) return 0;
  std::string v = profileReadString(path, section, key, defaultValue);
  size_t n = v.size() < size - 1 ? v.size() : size - 1;
  v.copy(buf, n);
  buf[n] = '\0';
  return n;
}

int profileReadInt(const std::string& path, const char* section, const char* key,
                   int defaultValue) {
  // Parsed here rather than by GetPrivateProfileIntA, which reads "0x10" as 16 under some
  // systems: the driver's fields are decimal, and both builds must read them alike.
  std::string v = profileReadString(path, section, key, nullptr);
  std::string_view t = trim(v);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return defaultValue;
  long long value = 0;
  for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
    value = value * 10 + (t[i] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

bool profileWriteString(const std::string& path, const char* section, const char* key,
                        const char* value) {
  if (section == nullptr || key == nullptr) return false;
  if (g_failWrites.load()) return false;
  return WritePrivateProfileStringA(section, key, value ? value : "", path.c_str()) != FALSE;
}

void profileFailRenameForTesting(bool fail) {
  g_failWrites.store(fail);
}

}  // namespace nypr::platform
