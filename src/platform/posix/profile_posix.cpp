// INI profile functions on POSIX. Reads go through SimpleIni; writes edit the file line
// by line, because re-serialising it would drop lines the host (or a technician) wrote
// that SimpleIni does not keep, such as trailing comments.
#include <SimpleIni.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace nypr::platform {
namespace {

std::atomic<bool> g_failRename{false};

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

std::string_view trim(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
  size_t e = s.size();
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool equalsNoCase(std::string_view a, const char* b) {
  size_t n = std::strlen(b);
  return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

// Section name of a "[name]" line, or false.
bool sectionOf(std::string_view line, std::string_view& name) {
  std::string_view t = trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return false;
  name = trim(t.substr(1, close - 1));
  return true;
}

// Key of a "key=value" line, or false for comments and other lines.
bool keyOf(std::string_view line, std::string_view& key) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '#') return false;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = trim(t.substr(0, eq));
  return true;
}

bool writeWhole(const std::string& path, const std::string& data) {
  std::string tmp = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  bool ok = ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && g_failRename.load()) ok = false;
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
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
  if (section == nullptr || key == nullptr || !readFile(path, data)) return def;
  CSimpleIniA ini(false, false, false);
  if (ini.LoadData(data.data(), data.size()) < 0) return def;
  const char* v = ini.GetValue(section, key, nullptr);
  if (v == nullptr) return def;
  std::string value(v);
  // A value wrapped in double quotes is returned without them, as Windows does.
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
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
  std::string_view t = trim(v);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return defaultValue;
  long long value = 0;
  for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i) {
    value = value * 10 + (t[i] - '0');
    if (value > INT_MAX) value = INT_MAX;  // saturate rather than wrap on absurd input
  }
  return static_cast<int>(negative ? -value : value);
}

bool profileWriteString(const std::string& path, const char* section, const char* key,
                        const char* value) {
  if (section == nullptr || key == nullptr) return false;
  const char* val = value ? value : "";
  std::string data;
  readFile(path, data);  // a missing file is an empty one

  std::vector<std::string_view> lines;
  for (size_t pos = 0; pos < data.size();) {
    size_t nl = data.find('\n', pos);
    size_t end = nl == std::string::npos ? data.size() : nl + 1;
    lines.emplace_back(data.data() + pos, end - pos);
    pos = end;
  }
  const bool crlf = data.find("\r\n") != std::string::npos;
  const std::string eol = crlf ? "\r\n" : "\n";
  const std::string newLine = std::string(key) + "=" + val;

  std::string out;
  out.reserve(data.size() + newLine.size() + 64);
  bool inSection = false;
  bool sawSection = false;
  bool wrote = false;
  size_t lastKeyEnd = std::string::npos;  // output position after the section's last entry
  auto closeSection = [&] {
    if (inSection && !wrote) {
      // Insert after the last entry of the section so blank lines stay where they were.
      std::string add = newLine + eol;
      if (lastKeyEnd == std::string::npos) lastKeyEnd = out.size();
      out.insert(lastKeyEnd, add);
      wrote = true;
    }
  };
  for (std::string_view line : lines) {
    std::string_view name;
    if (sectionOf(line, name)) {
      closeSection();
      inSection = equalsNoCase(name, section);
      if (inSection) {
        sawSection = true;
        out.append(line);
        if (line.empty() || line.back() != '\n') out.append(eol);
        lastKeyEnd = out.size();
        continue;
      }
      out.append(line);
      continue;
    }
    std::string_view k;
    if (inSection && keyOf(line, k)) {
      if (equalsNoCase(k, key)) {
        // Keep the key as the file spells it; replace the value.
        std::string_view t = trim(line);
        std::string_view spelled = trim(t.substr(0, t.find('=')));
        out.append(spelled);
        out.append("=");
        out.append(val);
        out.append(eol);
        wrote = true;
      } else {
        out.append(line);
        if (line.empty() || line.back() != '\n') out.append(eol);
      }
      lastKeyEnd = out.size();
      continue;
    }
    out.append(line);
  }
  closeSection();
  if (!sawSection) {
    if (!out.empty() && out.back() != '\n') out.append(eol);
    out.append("[").append(section).append("]").append(eol);
    out.append(newLine).append(eol);
  }
  return writeWhole(path, out);
}

void profileFailRenameForTesting(bool fail) {
  g_failRename.store(fail);
}

}  // namespace nypr::platform
