#include "tools/tsm-discover/DiscoveryJob.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <ostream>
#include <vector>

#include "host/CForeignCmdExecBase.h"
#include "host/CForeignHandlerBase.h"
#include "host/CommandStats.h"
#include "host/EvDebug.h"
#include "host/HandOver.h"
#include "host/HostChannel.h"
#include "host/StopSignal.h"
#include "host/ZYPassword.h"
#include "host/ZYPlatformInfo.h"
#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/HandOverCounts.h"
#include "tools/tsm-discover/InstallLayout.h"
#include "tools/tsm-discover/ReplayManifest.h"
#include "tools/tsm-discover/report/MakeReport.h"

namespace tsmdiscover {
namespace {

constexpr int kConfigGroup = 32;
constexpr int kConfigClass = 74;

bool RandomKey(std::string* key) {
  int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  key->assign(32, '\0');
  bool ok = ::read(fd, &(*key)[0], key->size()) == static_cast<ssize_t>(key->size());
  ::close(fd);
  return ok;
}

struct Operation {
  const char* option;
  const char* name;
  bool (CForeignHandlerBase::*call)(CNMessageBase*);
};

// The operations of a job in running order, with the names --only knows
// them by; the help text and the --only check read them from here.
const Operation kOperations[] = {
    {"config", "DiscoverConfig", &CForeignHandlerBase::DiscoverConfig},
    {"clients", "DiscoverClients", &CForeignHandlerBase::DiscoverClients},
    {"schedules", "DiscoverSchedule", &CForeignHandlerBase::DiscoverSchedule},
    {"media", "DiscoverMedia", &CForeignHandlerBase::DiscoverMedia},
    {"jobs", "DiscoverJobs", &CForeignHandlerBase::DiscoverJobs},
};

struct OperationResult {
  const char* name;
  bool ok;
  double seconds;
  HandOverCounts counts;
};

// The XML files of a directory with what identifies one version of each:
// a hand-over replaces a file by renaming a new one over it, so a file of
// an earlier run that was written again has a new inode.
using FileVersions = std::map<std::string, std::pair<ino_t, long long>>;

// "NNNNNN-" followed by the message type and ".xml".
bool IsNumberedXml(const std::string& n) {
  return n.size() > 11 && n[6] == '-' && n.compare(n.size() - 4, 4, ".xml") == 0 &&
         std::all_of(n.begin(), n.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}

// Hand-over files, and the temporaries of hand-overs an interrupted run
// left: ".NNNNNN-Group.Class.xml.XXXXXX".
std::vector<std::string> HandOverFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& n : ListDirectory(dir)) {
    const size_t xml = n.rfind(".xml.");
    const bool temporary =
        n[0] == '.' && xml != std::string::npos && xml + 5 < n.size() && IsNumberedXml(n.substr(1, xml + 3));
    if (IsNumberedXml(n) || temporary) names.push_back(n);
  }
  return names;
}

FileVersions XmlFiles(const std::string& dir) {
  FileVersions files;
  for (const std::string& n : ListDirectory(dir)) {
    struct stat st;
    if (n.size() > 4 && n.compare(n.size() - 4, 4, ".xml") == 0 &&
        ::stat((WithSlash(dir) + n).c_str(), &st) == 0) {
      files[n] = {st.st_ino, static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    }
  }
  return files;
}

std::vector<std::string> NewNames(const FileVersions& before, const FileVersions& after) {
  std::vector<std::string> added;
  for (const auto& file : after) {
    auto old = before.find(file.first);
    if (old == before.end() || old->second != file.second) added.push_back(file.first);
  }
  return added;
}

void PrintRow(std::ostream& out, const char* name, const char* result, const std::string& seconds,
              const HandOverCounts& c) {
  char line[256];
  std::snprintf(line, sizeof(line), "  %-17s %-6s %8s %7ld %5ld %9ld %6ld %8ld %6ld %5ld\n", name, result,
                seconds.c_str(), c.clients, c.tasks, c.libraries, c.media, c.storagePolicies, c.jobs,
                c.files);
  out << line;
}

void PrintSummary(std::ostream& out, const std::vector<OperationResult>& results, const std::string& outDir) {
  HandOverCounts total;
  double seconds = 0;
  char line[256];
  out << "\nSummary\n";
  std::snprintf(line, sizeof(line), "  %-17s %-6s %8s %7s %5s %9s %6s %8s %6s %5s\n", "Operation", "Result",
                "Seconds", "Clients", "Tasks", "Libraries", "Media", "Policies", "Jobs", "Files");
  out << line;
  for (const OperationResult& r : results) {
    char secs[32];
    std::snprintf(secs, sizeof(secs), "%.3f", r.seconds);
    PrintRow(out, r.name, r.ok ? "true" : "false", secs, r.counts);
    total.Add(r.counts);
    seconds += r.seconds;
  }
  char secs[32];
  std::snprintf(secs, sizeof(secs), "%.3f", seconds);
  PrintRow(out, "Total", "", secs, total);
  if (total.unreadable > 0) out << "  " << total.unreadable << " hand-over files could not be read\n";
  out << "Replies in " << outDir << "\n";
}

// dsmadmc runs by command kind, and a warning when per-item queries
// failed: their nodes or libraries then lack what those queries give,
// although every operation may have returned true.
void PrintCommandCounts(std::ostream& out, const std::map<std::string, CommandKindCounts>& counts) {
  if (counts.empty()) return;
  out << "dsmadmc runs (failed) by command:";
  long itemRuns = 0, itemFailures = 0;
  std::string failedKinds;
  for (const auto& [kind, c] : counts) {
    out << " " << kind << " " << c.runs << " (" << c.failures << ")";
    if (!c.perItem) continue;
    itemRuns += c.runs;
    itemFailures += c.failures;
    if (c.failures > 0) failedKinds += (failedKinds.empty() ? "" : ", ") + kind;
  }
  out << "\n";
  if (itemFailures > 0) {
    out << "Warning: " << itemFailures << " of " << itemRuns << " per-item queries failed (" << failedKinds
        << "); what they would have found is missing from the replies. See the log's ERROR lines.\n";
  }
}

// With --accept-incomplete: what the replayed set lacked.
void PrintReplayMissing(std::ostream& out, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  out << "Replay set incomplete (--accept-incomplete); what it lacks is missing from the replies:\n";
  for (const std::string& p : problems) out << "  " << p << "\n";
}

}  // namespace

bool IsOperationName(const std::string& name) {
  for (const Operation& op : kOperations) {
    if (name == op.option) return true;
  }
  return false;
}

std::string OperationNames() {
  std::string names;
  for (const Operation& op : kOperations) names += (names.empty() ? "" : ",") + std::string(op.option);
  return names;
}

bool DiscoveryJob::Prepare(std::string* error) {
  return ResolvePaths(error) && LoadPlugin(error) && SetUpHost(error);
}

bool DiscoveryJob::ResolvePaths(std::string* error) {
  JobSettings& s = settings_;
  if (s.outDir.empty()) {
    *error = "no --out directory given";
    return false;
  }
  s.outDir = AbsolutePath(s.outDir);
  if (IsDirectory(s.outDir) && !ClaimOutDir(error)) return false;
  s.logFile = s.logFile.empty() ? WithSlash(s.outDir) + "tsm-discover.log" : AbsolutePath(s.logFile);
  s.registryFile = AbsolutePath(s.registryFile);
  s.keyFile = AbsolutePath(s.keyFile);
  s.reportFile = AbsolutePath(s.reportFile);
  if (!s.replayDir.empty()) {
    s.replayDir = WithSlash(AbsolutePath(s.replayDir));
    if (!IsDirectory(s.replayDir)) {
      *error = "replay directory " + s.replayDir + " does not exist";
      return false;
    }
    if (s.dsmadmcDir.empty()) s.dsmadmcDir = s.replayDir;
    if (!CheckReplay(error)) return false;
  }
  if (s.dsmadmcDir.empty()) {
    *error = "no --dsmadmc-dir given";
    return false;
  }
  s.dsmadmcDir = WithSlash(AbsolutePath(s.dsmadmcDir));
  if (!IsDirectory(s.dsmadmcDir)) {
    *error = "dsmadmc directory " + s.dsmadmcDir + " does not exist";
    return false;
  }
  if (s.replayDir.empty() && !IsExecutable(s.dsmadmcDir + "dsmadmc")) {
    *error = "no executable dsmadmc in " + s.dsmadmcDir;
    return false;
  }
  if (!s.registryFile.empty() && !IsRegularFile(s.registryFile)) {
    *error = "registry file " + s.registryFile + " cannot be read";
    return false;
  }
  s.pluginPath = AbsolutePath(s.pluginPath.empty() ? DefaultPluginPath() : s.pluginPath);
  if (!IsRegularFile(s.pluginPath)) {
    *error = "plug-in " + s.pluginPath + " not found";
    return false;
  }
  // A log outside --out must be writable before --out is created: bad
  // input leaves nothing behind.
  const std::string logDir = s.logFile.substr(0, s.logFile.find_last_of('/'));
  const bool logInsideOut = (logDir + "/").rfind(WithSlash(s.outDir), 0) == 0;
  if (!logInsideOut && !IsWritableDirectory(logDir.empty() ? "/" : logDir)) {
    *error = "log file " + s.logFile + " cannot be written";
    return false;
  }
  return true;
}

bool DiscoveryJob::ClaimOutDir(std::string* error) {
  const JobSettings& s = settings_;
  if (!lock_.Acquire(s.outDir, error)) return false;
  // Two runs' files in one folder would read as one run's result.
  if (!s.overwrite && !HandOverFiles(s.outDir).empty()) {
    *error =
        "output directory " + s.outDir + " already holds hand-over files; give --overwrite to replace them";
    return false;
  }
  return true;
}

bool DiscoveryJob::CheckReplay(std::string* error) {
  const JobSettings& s = settings_;
  ReplaySetCheck check = CheckReplaySet(s.replayDir);
  if (!check.hasManifest) {
    replayWarning_ = "Warning: replay set " + s.replayDir + " has no " + kManifestName +
                     "; whether it is complete is not known";
    return true;
  }
  if (check.problems.empty()) return true;
  if (s.acceptIncomplete) {
    replayMissing_ = check.problems;
    return true;
  }
  *error = "replay set " + s.replayDir + " is incomplete (" + check.problems.front() +
           (check.problems.size() > 1 ? " and " + std::to_string(check.problems.size() - 1) + " more" : "") +
           "); give --accept-incomplete to run it anyway";
  return false;
}

bool DiscoveryJob::LoadPlugin(std::string* error) { return plugin_.Load(settings_.pluginPath, error); }

bool DiscoveryJob::SetUpHost(std::string* error) {
  const JobSettings& s = settings_;
  if (!s.keyFile.empty()) {
    std::string problem = ReadableFileProblem(s.keyFile);
    if (!problem.empty() || !ZYPassword::SetKeyFile(s.keyFile)) {
      *error = "key file " + s.keyFile + " " +
               (problem.empty() ? "is malformed (32 bytes or 64 hex digits expected)" : problem);
      return false;
    }
  } else {
    std::string key;
    if (!RandomKey(&key)) {
      *error = "cannot make a key for this run";
      return false;
    }
    ZYPassword::SetKey(key);
  }
  if (!MakeDirectories(s.outDir) || !IsWritableDirectory(s.outDir)) {
    *error = "output directory " + s.outDir + " is not writable";
    return false;
  }
  if (!lock_.held() && !ClaimOutDir(error)) return false;
  for (const std::string& name : HandOverFiles(s.outDir)) {
    if (::unlink((WithSlash(s.outDir) + name).c_str()) != 0 && errno != ENOENT) {
      *error = "cannot remove " + WithSlash(s.outDir) + name + " of an earlier run";
      return false;
    }
  }
  if (!EvDebug::SetLogFile(s.logFile)) {
    struct stat st;
    const bool odd = ::lstat(s.logFile.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
    *error =
        "log file " + s.logFile + (odd ? " is a link or not a regular file; refused" : " cannot be written");
    return false;
  }
  EvDebug::SetLevel(s.shared.logLevel);
  zyhost::SetHandOverDirectory(s.outDir);
  if (!s.registryFile.empty()) ZYPlatformInfo::SetRegistryFile(s.registryFile);
  CForeignCmdExecBase::set_UseExistingFiles(!s.replayDir.empty(), s.replayDir);
  if (s.shared.timeoutSeconds > 0) CForeignCmdExecBase::SetTimeoutSeconds(s.shared.timeoutSeconds);
  return true;
}

bool DiscoveryJob::Run(std::ostream& out) {
  const JobSettings& s = settings_;
  CForeignHandlerBase* handler = plugin_.handler();
  RecordingHostChannel channel;
  channel.set_JobId(1);
  handler->SetHostChannel(&channel);

  // The host's answer to the instance options request: the login and the
  // password encrypted with the run's key.
  std::string encrypted;
  if (!ZYPassword().encrypt(s.shared.password, &encrypted)) {
    out << "cannot encrypt the password with the run's key\n";
    return false;
  }
  CNMessageBase answer(kConfigGroup, kConfigClass);
  answer.setstring(11, 41, s.shared.login);
  answer.setstring(12, 45, encrypted);
  channel.QueueAnswer(answer);

  CNMessageBase config(kConfigGroup, kConfigClass);
  config.setstring(1, 1, "tsm-discover");
  config.setstring(11, 41, s.shared.login);
  bool configRuns = s.only.empty() || s.only.count("config") != 0;
  // Without DiscoverConfig nobody decrypts the password: put it where
  // DiscoverConfig would have.
  if (!configRuns) config.setstring(12, 45, s.shared.password);

  std::vector<OperationResult> results;
  bool allOk = true;
  CommandStats::Reset();
  CForeignCmdExecBase::SetJobDeadline(s.deadlineSeconds);
  BackgroundHandOverCounter counter;
  if (!replayWarning_.empty()) out << replayWarning_ << std::endl;
  for (const Operation& op : kOperations) {
    if (!s.only.empty() && s.only.count(op.option) == 0) continue;
    if (zyhost::StopSignal() != 0) {
      allOk = false;
      break;
    }
    if (CForeignCmdExecBase::JobDeadlinePassed()) {
      out << "Deadline of " << s.deadlineSeconds << " seconds reached: " << op.name
          << " and the operations after it were not run" << std::endl;
      allOk = false;
      break;
    }
    // The host fills the dsmadmc directory for every operation; the
    // configuration discovery empties it.
    config.setstring(5, 17, s.dsmadmcDir);
    FileVersions before = XmlFiles(s.outDir);
    auto start = std::chrono::steady_clock::now();
    bool ok = (handler->*op.call)(&config);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    OperationResult r{op.name, ok, seconds, counter.Count(s.outDir, NewNames(before, XmlFiles(s.outDir)))};
    char line[160];
    std::snprintf(line, sizeof(line), "%-18s %-6s %8.3fs  ", r.name, ok ? "true" : "false", seconds);
    out << line << r.counts.Describe() << std::endl;
    allOk = allOk && ok;
    results.push_back(r);
  }
  handler->SetHostChannel(nullptr);
  CForeignCmdExecBase::SetJobDeadline(0);
  PrintSummary(out, results, s.outDir);
  PrintCommandCounts(out, CommandStats::Snapshot());
  PrintReplayMissing(out, replayMissing_);
  if (s.reportFile.empty() || zyhost::StopSignal() != 0) return allOk;
  std::string error;
  if (!tsmreport::WriteHtmlReportFile(s.outDir, s.reportFile, &error,
                                      s.reportReplaySet.empty() ? s.replayDir : s.reportReplaySet)) {
    out << "Report not written: " << error << "\n";
    return false;
  }
  out << "Report in " << s.reportFile << "\n";
  return allOk;
}

}  // namespace tsmdiscover
