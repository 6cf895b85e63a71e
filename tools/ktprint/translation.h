// ktprint's texts in the user's language: the catalogue follows the locale (LANGUAGE,
// LC_ALL, LC_MESSAGES, LANG) as Linux programs do. Builds without GNU gettext speak
// English.
#pragma once

namespace ktprint {

// Marks an English text for the catalogue where it is not translated at once.
#define N_(text) text

// Finds the catalogues (beside the program, where it is installed, or KTPRINT_LOCALEDIR)
// and binds them. Call once, after setlocale().
void setUpTranslation(const char* argv0);

// The text in the user's language; `english` itself when the catalogue has none.
const char* tr(const char* english);

// True when the user's language is the driver's own (its message texts need no
// translation): the catalogue says so for its language.
bool driverSpeaksUsersLanguage();

}  // namespace ktprint
