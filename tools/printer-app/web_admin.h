// Who may use the maintenance actions of the printer's page.
//
// PAPPL 1.3.1's own web login lets any password in (it cannot check a password against
// the hash it keeps), and the cookie it then sets opens every page that asks
// papplClientHTMLAuthorize. So, with an access password set on PAPPL's security page,
// this page checks the password itself and keeps a session cookie of its own.
#pragma once

#include <pappl/pappl.h>

namespace nypr::app {

enum class Admission {
  Admitted,       // the administrator: go on
  LoggedIn,       // the right password was just given (the cookie is set)
  LoginNeeded,    // show the login form
  WrongPassword,  // show the login form again, saying so
  Refused,        // from another computer while no access password is set
  Answered,       // PAPPL has answered the request itself (PAM's Basic authentication)
};

// Decides for a POST whose form (`count`, `form`) was read and checked already.
Admission admitAdministrator(pappl_client_t* client, int count, cups_option_t* form);

// True when `password` is the one whose PAPPL hash ("nonce~sha256-hex") is `stored`.
bool passwordMatches(const char* stored, const char* password);

}  // namespace nypr::app
