#include "device_uri.h"

#include <arpa/inet.h>
#include <cups/http.h>
#include <netdb.h>

#include <cstring>

namespace nypr::cups {

std::optional<uint32_t> addressOfUri(const std::string& uri, std::string& error) {
  char scheme[32];
  char user[64];
  char host[256];
  char resource[256];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, user, sizeof user,
                      host, sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK ||
      std::strcmp(scheme, "kt3600r") != 0 || host[0] == '\0') {
    error = "Bad device URI \"" + uri + "\"; expected kt3600r://ADDRESS";
    return std::nullopt;
  }
  in_addr numeric{};
  if (::inet_pton(AF_INET, host, &numeric) == 1) return ntohl(numeric.s_addr);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
    error = std::string("Unable to find the printer's address for \"") + host + "\"";
    return std::nullopt;
  }
  const uint32_t address =
      ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(found);
  return address;
}

}  // namespace nypr::cups
