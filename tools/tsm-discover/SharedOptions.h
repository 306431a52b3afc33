// The options that several tsm-discover commands share (login, password
// source, time-out, log level), read from a parsed command line in one
// place so every command checks them alike.
#pragma once

#include <string>

#include "tools/tsm-discover/CommandLine.h"

namespace tsmdiscover {

struct SharedOptions {
  std::string login;
  std::string password;    // plain, from --password-file or $TSM_PASSWORD
  int timeoutSeconds = 0;  // --timeout; 0 when not given
  int logLevel = 4;        // --log-level
};

// Whether the command talks to a server and so needs a login and password.
enum class Credentials { kNotNeeded, kRequired };

// Reads the shared options given on `cl` into *options, in this order:
// --log-level (0 to 7), --timeout (1 second to a week), then, when
// credentials are required, --login and the password (first line of
// --password-file, else $TSM_PASSWORD). False with one line in *error at
// the first bad or missing value.
bool ReadSharedOptions(const CommandLine& cl, Credentials credentials, SharedOptions* options,
                       std::string* error);

// Moves $TSM_PASSWORD into the process and out of its environment, so
// that no child (dsmadmc above all) inherits the password. Called first
// thing in main.
void TakePasswordFromEnvironment();

}  // namespace tsmdiscover
