// The driver's error messages in the user's language. The driver's own texts are
// Japanese (CP932); other languages start from the English text of each code here.
#pragma once

#include <cstdint>
#include <string>

namespace ktprint {

// The English message of a driver error code (printer errors 1-107 and 900-999, the
// driver's own codes, the host messages it raises), or null when the code has none.
const char* englishDriverText(uint32_t code);

// The message for `code` in the user's language and the terminal's encoding.
// `driverText` is what NyPrGetPrintError gave (CP932); its detail number ("No.10061")
// is kept on the translated text, as the driver appends it. "" when there is nothing to
// say for the code.
std::string driverMessage(uint32_t code, const std::string& driverText);

}  // namespace ktprint
