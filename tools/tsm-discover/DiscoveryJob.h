// One discovery job as the host runs it: the plug-in's handler, a host
// channel that answers the instance options request, and the operations
// DiscoverConfig, DiscoverClients, DiscoverSchedule, DiscoverMedia and
// DiscoverJobs in that order, one configuration message passed along.
//
// Prepare() checks everything and configures the process-wide host
// services (hand-over directory, log, key, registry, replay, time-out);
// nothing runs before it succeeded. Run() then executes the job once.
#pragma once

#include <iosfwd>
#include <set>
#include <string>

#include "tools/tsm-discover/PluginLoader.h"

namespace tsmdiscover {

struct JobSettings {
  std::string dsmadmcDir;  // directory of dsmadmc; absolute after Prepare()
  std::string login;
  std::string password;  // plain; kept in memory only
  std::string outDir;
  std::string replayDir;       // empty: run dsmadmc
  std::set<std::string> only;  // empty: every operation
  std::string logFile;         // empty: <outDir>/tsm-discover.log
  int logLevel = 4;
  std::string registryFile;
  std::string keyFile;     // empty: a key for this run alone
  int timeoutSeconds = 0;  // 0: the host's default
  std::string pluginPath;  // empty: next to the program
};

// The operation names --only accepts, in running order.
const char* const kOperationNames[] = {"config", "clients", "schedules", "media", "jobs"};

class DiscoveryJob {
 public:
  explicit DiscoveryJob(JobSettings settings) : settings_(std::move(settings)) {}

  // False with one line in *error for bad input.
  bool Prepare(std::string* error);
  // Runs the job, prints one line per operation and a summary to `out`;
  // true when every operation returned true.
  bool Run(std::ostream& out);

  const JobSettings& settings() const { return settings_; }

 private:
  JobSettings settings_;
  PluginLoader plugin_;
};

}  // namespace tsmdiscover
