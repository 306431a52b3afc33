#include "tools/dsmadmc-sim/Faults.h"

#include <cstdlib>
#include <fstream>

#include "tools/dsmadmc-sim/Site.h"

namespace dsmsim {
namespace {

long EnvNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  char* end = nullptr;
  long n = std::strtol(value, &end, 10);
  return (end != nullptr && *end == '\0') ? n : fallback;
}

}  // namespace

Faults FaultsFromEnvironment(const std::string& command) {
  Faults faults;
  const char* match = std::getenv("DSMADMC_SIM_MATCH");
  if (match != nullptr && *match != '\0' && Upper(command).find(Upper(match)) == std::string::npos) {
    return faults;
  }
  faults.exitStatus = static_cast<int>(EnvNumber("DSMADMC_SIM_EXIT", -1));
  faults.hangSeconds = static_cast<int>(EnvNumber("DSMADMC_SIM_HANG", 0));
  faults.signal = static_cast<int>(EnvNumber("DSMADMC_SIM_SIGNAL", 0));
  faults.truncateBytes = EnvNumber("DSMADMC_SIM_TRUNCATE", -1);
  faults.badUtf8 = EnvNumber("DSMADMC_SIM_BADUTF8", 0) != 0;
  faults.noFile = EnvNumber("DSMADMC_SIM_NOFILE", 0) != 0;
  return faults;
}

void LogRun(const std::string& maskedArguments) {
  const char* path = std::getenv("DSMADMC_SIM_LOG");
  if (path == nullptr || *path == '\0') return;
  std::ofstream out(path, std::ios::app);
  out << maskedArguments << '\n';
}

}  // namespace dsmsim
