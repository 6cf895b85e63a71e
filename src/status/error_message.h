// Message texts of driver error codes as whole strings (CP932), for the error box and
// the exported error query.
#pragma once

#include <cstdint>
#include <string>

namespace nypr {

// The message of `code` with its "No." appendix taken from `detail`; "" for 300 and 0.
std::string errorMessageCp932(uint32_t code, int32_t detail);
// The same through the host's language loader, printer numbers 1..96 only.
std::string auxiliaryErrorMessageCp932(uint32_t code, int32_t detail);

}  // namespace nypr
