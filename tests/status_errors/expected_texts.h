// The message texts as the user must see them are read from tests/data/messages
// (test_data.h), kept apart from the driver's own table so that a wrong or missing text in
// either shows up.
#pragma once

#include <string>

#include "test_data.h"

namespace nypr::testing {

// `utf8` in CP932; fails the test when a character has no CP932 form.
std::string cp932(const std::string& utf8);

}  // namespace nypr::testing
