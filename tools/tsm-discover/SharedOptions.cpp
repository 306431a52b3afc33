#include "tools/tsm-discover/SharedOptions.h"

#include <cstdlib>

#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

constexpr long kMaxTimeoutSeconds = 86400 * 7;

bool ReadPassword(const CommandLine& cl, std::string* password, std::string* error) {
  if (cl.Has("password-file")) {
    std::string content;
    if (!ReadWholeFile(cl.Get("password-file"), &content)) {
      *error = "password file " + cl.Get("password-file") + " cannot be read";
      return false;
    }
    *password = content.substr(0, content.find_first_of("\r\n"));
  } else if (const char* env = std::getenv("TSM_PASSWORD")) {
    *password = env;
  }
  if (password->empty()) {
    *error = "no password: give --password-file FILE or set TSM_PASSWORD";
    return false;
  }
  return true;
}

}  // namespace

bool ReadSharedOptions(const CommandLine& cl, Credentials credentials, SharedOptions* options,
                       std::string* error) {
  long n = 0;
  if (cl.Has("log-level")) {
    if (!ParseInt(cl.Get("log-level"), 0, 7, &n)) {
      *error = "--log-level must be 0 to 7";
      return false;
    }
    options->logLevel = static_cast<int>(n);
  }
  if (cl.Has("timeout")) {
    if (!ParseInt(cl.Get("timeout"), 1, kMaxTimeoutSeconds, &n)) {
      *error = "--timeout must be a number of seconds";
      return false;
    }
    options->timeoutSeconds = static_cast<int>(n);
  }
  if (credentials == Credentials::kNotNeeded) return true;
  options->login = cl.Get("login");
  if (options->login.empty()) {
    *error = "no --login given";
    return false;
  }
  return ReadPassword(cl, &options->password, error);
}

}  // namespace tsmdiscover
