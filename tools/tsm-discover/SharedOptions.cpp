#include "tools/tsm-discover/SharedOptions.h"

#include <cstdlib>

#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

constexpr long kMaxTimeoutSeconds = 86400 * 7;

// $TSM_PASSWORD, taken out of the environment at start-up.
std::string& EnvironmentPassword() {
  static std::string password;
  return password;
}

bool ReadPassword(const CommandLine& cl, std::string* password, std::string* error) {
  if (cl.Has("password-file")) {
    const std::string path = cl.Get("password-file");
    std::string problem = ReadableFileProblem(path);
    std::string content;
    if (problem.empty() && !ReadWholeFile(path, &content)) problem = "cannot be read";
    if (!problem.empty()) {
      *error = "password file " + path + " " + problem;
      return false;
    }
    *password = content.substr(0, content.find_first_of("\r\n"));
  } else {
    *password = EnvironmentPassword();
  }
  if (password->empty()) {
    *error = "no password: give --password-file FILE or set TSM_PASSWORD";
    return false;
  }
  return true;
}

}  // namespace

void TakePasswordFromEnvironment() {
  if (const char* env = std::getenv("TSM_PASSWORD")) EnvironmentPassword() = env;
  ::unsetenv("TSM_PASSWORD");
}

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
