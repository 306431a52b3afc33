// One discovery job as the host runs it: the plug-in's handler, a host
// channel that answers the instance options request, and the operations
// DiscoverConfig, DiscoverClients, DiscoverSchedule, DiscoverMedia and
// DiscoverJobs in that order, one configuration message passed along.
//
// Prepare() checks everything, locks the output folder (OutFolderLock.h:
// held until the object goes), loads the plug-in and configures the
// process-wide host services (hand-over directory, log, key, registry,
// replay, time-out); nothing runs before it succeeded. Run() then executes
// the job once; a stop request (StopSignal.h) ends it after the running
// operation, without the report.
#pragma once

#include <iosfwd>
#include <set>
#include <string>
#include <vector>

#include "tools/tsm-discover/OutFolderLock.h"
#include "tools/tsm-discover/PluginLoader.h"
#include "tools/tsm-discover/SharedOptions.h"

namespace tsmdiscover {

struct JobSettings {
  SharedOptions shared;    // login, password (kept in memory only), time-out, log level
  std::string dsmadmcDir;  // directory of dsmadmc; absolute after Prepare()
  std::string outDir;
  std::string replayDir;       // empty: run dsmadmc
  std::set<std::string> only;  // empty: every operation
  std::string logFile;         // empty: <outDir>/tsm-discover.log
  std::string registryFile;
  std::string keyFile;            // empty: a key for this run alone
  std::string pluginPath;         // empty: next to the program
  bool overwrite = false;         // replace the hand-over files of an earlier run in outDir
  bool acceptIncomplete = false;  // replay a set that its manifest does not vouch for
  int deadlineSeconds = 0;        // for the whole job; 0: none
  std::string reportFile;         // takeover report written after the job; empty: none
  std::string reportReplaySet;    // gathered set the report's takeover check compares with; empty: none
};

// True for a name --only accepts.
bool IsOperationName(const std::string& name);
// Those names in running order, comma-separated.
std::string OperationNames();

class DiscoveryJob {
 public:
  explicit DiscoveryJob(JobSettings settings) : settings_(std::move(settings)) {}

  // False with one line in *error for bad input. Expects the shared
  // options as ReadSharedOptions left them (login and password checked).
  bool Prepare(std::string* error);
  // Runs the job, prints one line per operation and a summary to `out`;
  // true when every operation returned true.
  bool Run(std::ostream& out);

  const JobSettings& settings() const { return settings_; }

 private:
  // The three steps of Prepare(), in this order, so that bad input found
  // by the first two leaves nothing behind. ResolvePaths makes every path
  // absolute (DiscoverClients changes the working directory) and checks
  // them; LoadPlugin makes the handler; SetUpHost installs the key, creates
  // the output directory and points the host services at it.
  bool ResolvePaths(std::string* error);
  bool LoadPlugin(std::string* error);
  bool SetUpHost(std::string* error);

  // Locks --out and checks it for an earlier run's hand-over files.
  bool ClaimOutDir(std::string* error);
  // The replay set against its manifest (ReplayManifest.h).
  bool CheckReplay(std::string* error);

  JobSettings settings_;
  OutFolderLock lock_;
  PluginLoader plugin_;
  std::string replayWarning_;               // printed before the operations
  std::vector<std::string> replayMissing_;  // with --accept-incomplete, printed in the summary
};

}  // namespace tsmdiscover
