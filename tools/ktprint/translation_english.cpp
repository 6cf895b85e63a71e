// The translation seam where the build has no GNU gettext: English only.
#include "translation.h"

namespace ktprint {

void setUpTranslation(const char* /*argv0*/) {}

const char* tr(const char* english) {
  return english;
}

bool driverSpeaksUsersLanguage() {
  return false;
}

}  // namespace ktprint
