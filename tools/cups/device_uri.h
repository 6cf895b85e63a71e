// Device URIs of the backend: kt3600r://ADDRESS, the printer's IPv4 address or a host
// name that resolves to one (the printer's ports are fixed, so a port is not taken).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nypr::cups {

// The printer's address (host order, first octet in the top byte), or nullopt with
// `error` set.
std::optional<uint32_t> addressOfUri(const std::string& uri, std::string& error);

}  // namespace nypr::cups
