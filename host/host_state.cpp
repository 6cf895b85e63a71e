#include "host_state.h"

#include <cstdlib>
#include <cstring>

#include "platform/text.h"

namespace nyhost {
namespace {

std::string envOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? v : fallback;
}

std::string defaultIniPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    return std::string(xdg) + "/nyprkt3600r/host.ini";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::string(home) + "/.config/nyprkt3600r/host.ini";
  }
  return "host.ini";
}

// Host texts the driver may raise; a real host has its own.
void addDefaultHostStrings(State& s) {
  s.hostStrings[40019] = toCp932(
      "ラベルのサイズがプリンターの範囲を超えています。ラベル幅は80mm以下、ラベル長は"
      "833mm以下に設定して下さい。");
  s.hostStrings[40070] = toCp932("プリンターの状態を取得できません。");
  s.hostStrings[40079] = toCp932("プリンターのヘッドが開いています。ヘッドを閉じて下さい。");
  s.hostStrings[40365] = toCp932("剥離部にラベルが残っています。ラベルを取って下さい。");
}

}  // namespace

std::string toCp932(const std::string& utf8) {
  return nypr::platform::cp932FromUtf8(utf8);
}
std::string toUtf8(const std::string& cp932) {
  return nypr::platform::utf8FromCp932(cp932);
}

State& state() {
  static State* s = [] {
    auto* st = new State();
    st->iniPath = envOr("NYHOST_INI", defaultIniPath().c_str());
    st->moduleDir = envOr("NYHOST_MODULE_DIR", ".");
    st->logPath = envOr("NYHOST_LOG", "");
    st->messagesToStderr = envOr("NYHOST_MESSAGES", "") == "stderr";
    st->answerYes = envOr("NYHOST_ANSWER", "yes") != "no";
    st->passwordAccept = envOr("NYHOST_PASSWORD", "") == "accept";
    addDefaultHostStrings(*st);
    return st;
  }();
  return *s;
}

}  // namespace nyhost
