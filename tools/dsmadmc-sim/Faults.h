// Fault switches for tests, read from the environment of each run. They
// apply to every command, or only to commands whose text contains
// DSMADMC_SIM_MATCH (letter case ignored):
//   DSMADMC_SIM_EXIT=N       end with exit status N (output written as usual)
//   DSMADMC_SIM_HANG=S       wait S seconds before answering
//   DSMADMC_SIM_SIGNAL=N     die by signal N before writing anything
//   DSMADMC_SIM_TRUNCATE=B   keep only the first B bytes of the output
//   DSMADMC_SIM_BADUTF8=1    put bytes that are not UTF-8 into every row
//   DSMADMC_SIM_NOFILE=1     write no output file
// DSMADMC_SIM_LOG=FILE appends every run's arguments (password masked).
#pragma once

#include <string>

namespace dsmsim {

struct Faults {
  int exitStatus = -1;  // -1: the command's own status
  int hangSeconds = 0;
  int signal = 0;
  long truncateBytes = -1;  // -1: whole output
  bool badUtf8 = false;
  bool noFile = false;
};

Faults FaultsFromEnvironment(const std::string& command);

// Appends one line to $DSMADMC_SIM_LOG when it is set.
void LogRun(const std::string& maskedArguments);

}  // namespace dsmsim
