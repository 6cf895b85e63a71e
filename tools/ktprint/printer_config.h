// The printer's address in its settings line of the host INI file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ktprint {

// Dotted IPv4 text to a host-order address (first octet in the top byte).
std::optional<uint32_t> parseIpv4(const std::string& text);

// The settings line with its address part replaced. A missing or short line becomes the
// eight hexadecimal digits alone, which the driver reads as factory defaults with that
// address; a longer line keeps everything after its address part.
std::string lineWithAddress(const std::string& line, uint32_t address);

// Stores the address of printer 1..8 in the host INI file; false when the file cannot
// be written.
bool storePrinterAddress(int printer, uint32_t address);

}  // namespace ktprint
