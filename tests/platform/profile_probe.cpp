// Runs profile reads and writes on one INI file and prints what they gave, so the POSIX
// backend and the Windows profile functions can be compared on the same cases.
//   profile_probe <ini> <ops>
// Each line of <ops>: "R|section|key|default" or "W|section|key|value"; a leading "~"
// marks a row whose results are known to differ between the two ("~F" marks the file).
// After the operations the file's bytes are printed. Non-ASCII and control bytes print as
// \xNN.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace {

std::string escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != ';') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream in(line);
  for (std::string f; std::getline(in, f, '|');) out.push_back(f);
  while (out.size() < 4) out.emplace_back();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: profile_probe <ini> <ops>\n");
    return 2;
  }
  const std::string ini = argv[1];
  std::ifstream ops(argv[2], std::ios::binary);
  bool fileKnown = false;
  for (std::string line; std::getline(ops, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line == "~F") {
      fileKnown = true;
      continue;
    }
    const bool known = line[0] == '~';
    const auto f = fields(known ? line.substr(1) : line);
    std::string result;
    if (f[0] == "R") {
      result = "[" +
               escaped(nypr::platform::profileReadString(ini, f[1].c_str(), f[2].c_str(),
                                                         f[3].c_str())) +
               "]";
    } else if (f[0] == "W") {
      result = nypr::platform::profileWriteString(ini, f[1].c_str(), f[2].c_str(), f[3].c_str())
                   ? "ok"
                   : "failed";
    }
    std::printf("%s%s -> %s\n", known ? "~" : "", escaped(line.substr(known ? 1 : 0)).c_str(),
                result.c_str());
  }
  std::ifstream file(ini, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  std::printf("%sfile: %s\n", fileKnown ? "~" : "", escaped(content.str()).c_str());
  return 0;
}
