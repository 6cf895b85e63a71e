#include "web_admin.h"

#include <cstring>
#include <string>

namespace nypr::app {
namespace {

constexpr const char* kCookie = "kt3600r-admin";

std::string sha256Hex(const std::string& text) {
  unsigned char hash[32];
  char hex[65] = {};
  if (cupsHashData("sha2-256", text.data(), text.size(), hash, sizeof hash) != sizeof hash) {
    return {};
  }
  cupsHashString(hash, sizeof hash, hex, sizeof hex);
  return hex;
}

// Compares without stopping at the first difference.
bool sameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

// The session cookie's value: changes with the password and with PAPPL's session key.
std::string sessionValue(pappl_system_t* system, const std::string& stored) {
  char key[65] = {};
  papplSystemGetSessionKey(system, key, sizeof key);
  return sha256Hex(std::string(key) + ":" + stored + ":" + kCookie);
}

}  // namespace

bool passwordMatches(const char* stored, const char* password) {
  const char* tilde = stored ? std::strchr(stored, '~') : nullptr;
  if (!tilde || !password) return false;
  const std::string nonce(stored, static_cast<size_t>(tilde - stored));
  return sameText(sha256Hex(nonce + ":" + password), tilde + 1);
}

Admission admitAdministrator(pappl_client_t* client, int count, cups_option_t* form) {
  pappl_system_t* system = papplClientGetSystem(client);
  if (papplSystemGetAuthService(system)) {
    return papplClientHTMLAuthorize(client) ? Admission::Admitted : Admission::Answered;
  }
  char stored[256] = {};
  papplSystemGetPassword(system, stored, sizeof stored);
  if (!*stored) {
    // No password and no PAM service: only this machine administers (PAPPL's own rule
    // for its IPP administration without an authentication service).
    return httpAddrLocalhost(httpGetAddress(papplClientGetHTTP(client))) ? Admission::Admitted
                                                                         : Admission::Refused;
  }
  const std::string session = sessionValue(system, stored);
  char cookie[128] = {};
  if (papplClientGetCookie(client, kCookie, cookie, sizeof cookie) && sameText(cookie, session)) {
    return Admission::Admitted;
  }
  const char* password = cupsGetOption("password", count, form);
  if (!password) return Admission::LoginNeeded;
  if (!passwordMatches(stored, password)) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Wrong access password on the printer's page.");
    return Admission::WrongPassword;
  }
  papplClientSetCookie(client, kCookie, session.c_str(), 3600);
  return Admission::LoggedIn;
}

}  // namespace nypr::app
