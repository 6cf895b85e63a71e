// The printer's own web page beside PAPPL's: the status the timer last read, the
// supplies, and the maintenance actions (feed, cut, stop) for the administrator.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace nypr::app {

// Path of the page of the printer whose web path is `printerPath` ("/ipp/print/NAME").
std::string printerPagePath(const std::string& printerPath);

// Adds the printer's page and a link to it on PAPPL's printer pages (once per name).
void addPrinterPage(pappl_printer_t* printer);

// True when the client asks for Japanese first (Accept-Language); else the page is English.
bool wantsJapanese(pappl_client_t* client);

// The page's text `english`, in Japanese when asked and the strings file has it.
std::string localized(bool japanese, const char* english);

// The Japanese texts, as the strings file has them ("English" = "Japanese";).
const char* japaneseStringsData();

// `text` with &, <, >, " and ' as HTML entities: the driver's messages and the printer's
// version and resistance texts come from the printer and are shown as they are.
std::string htmlEscape(const std::string& text);

}  // namespace nypr::app
