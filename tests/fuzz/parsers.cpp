// The dsmadmc output parsers on any files, one program per row of kRows
// (CMakeLists.txt builds fuzz_<name> with TSM_FUZZ_HARNESS="<name>"). Each
// row writes the input under the output file names its parser opens
// (inputs that stand for several files separate them with kFileSeparator,
// in the order the row's comment gives), picks live or gathered files,
// parses and checks what must hold. The Session is open around every row.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "clients/CForeignHandlerTSMDB2.h"
#include "handler/CForeignHandlerTSMConfig.h"
#include "handler/TSMCommands.h"
#include "host/ProcessLauncher.h"
#include "jobs/CForeignHandlerTSMJob.h"
#include "schedules/CForeignHandlerTSMPolicy.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "storage/CForeignHandlerTSMDrive.h"
#include "storage/CForeignHandlerTSMLibs.h"
#include "storage/CForeignHandlerTSMMedia.h"
#include "storage/CForeignHandlerTSMStandAloneLibs.h"
#include "storage/CForeignHandlerTSMStoragePolicy.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace fuzzsupport;

// ixr_node.txt, live. A second parse with the first node's name as the
// filter keeps exactly the nodes of that name, in order, or reads nothing
// when the name cannot stand in the query (it is refused).
void NodeParser(const std::string& input) {
  UseExistingFiles(false);
  WriteScratchFile(tsmcmd::kNodeFile, input);
  auto parse = [](const std::string& filter) {
    std::vector<TSMClientInfo> nodes;
    CTSMClients fetcher;
    fetcher.SetNodeName(filter);
    fetcher._ParseData(&nodes, std::vector<std::string>());
    return nodes;
  };
  const std::vector<TSMClientInfo> all = parse("");
  Check(all.size() <= MaxLines(input), "at most one node per line", input);
  std::string name;
  for (const TSMClientInfo& node : all) name = name.empty() ? node.get_NodeName() : name;
  if (name.empty()) return;
  std::vector<std::string> expected;
  for (const TSMClientInfo& node : all) {
    if (node.get_NodeName() == name && tsmcmd::IsCommandWord(name)) expected.push_back(node.get_Hostname());
  }
  std::vector<std::string> filtered;
  for (const TSMClientInfo& node : parse(name)) filtered.push_back(node.get_Hostname());
  Check(filtered == expected, "the filter keeps the nodes of its name", input);
}

// ixr_server.txt (gathered), then ixr_tsmconfig.txt (live): the server
// name is always found, trimmed and not empty; a failed probe sets no
// version.
void ServerVersionParser(const std::string& input) {
  const std::vector<std::string> files = SplitFiles(input, 2);
  WriteScratchFile(tsmcmd::kServerFile, files[0]);
  WriteScratchFile(tsmcmd::kConfigFile, files[1]);
  UseExistingFiles(true);
  std::string name;
  Check(CTSMMasterServer().FetchData(&name), "the server name is always found", input);
  const std::string ends = " \r\n";
  Check(!name.empty() && ends.find(name.front()) == std::string::npos &&
            ends.find(name.back()) == std::string::npos,
        "a trimmed, non-empty server name", input);
  UseExistingFiles(false);
  TSMVersionInfo info;
  if (!CTSMConfigFetcher()._ParseData(&info, std::string(tsmcmd::kConfigFile))) {
    Check(info.version == -1 && info.release == -1, "a failed probe sets no version", input);
  }
}

// ixr_sched.txt, then ixr_assoc.txt, gathered: backup schedules only, one
// at most per line, no empty file pattern.
void ScheduleParser(const std::string& input) {
  UseExistingFiles(true);
  const std::vector<std::string> files = SplitFiles(input, 2);
  WriteScratchFile(tsmcmd::kScheduleFile, files[0]);
  WriteScratchFile(tsmcmd::kAssocFile, files[1]);
  std::vector<CTSMSchedule> records;
  CTSMPolicy().FetchData(&records);
  Check(records.size() <= MaxLines(files[0]), "at most one schedule per line", input);
  for (const CTSMSchedule& record : records) {
    Check(IsTSMBackupAction(record.getSubTaskType()), "only backup schedules", input);
    const CTSMSchedule::StringList objects = record.getObjects();
    Check(std::count(objects.begin(), objects.end(), std::string()) == 0, "no empty file pattern", input);
  }
}

// ixr_sched.txt, ixr_assoc.txt, then the node name; the per-node query
// live (its own output) and replayed (the full listing, each schedule's
// node checked through the association file). A schedule always has a
// file pattern; the replayed schedules are live ones whose association
// names the node, so they come in the same order as a part of the live.
void NodeScheduleParser(const std::string& input) {
  using Names = std::vector<std::pair<std::string, std::string>>;
  const std::vector<std::string> parts = SplitFiles(input, 3);
  WriteScratchFile(tsmcmd::kScheduleFile, parts[0]);
  WriteScratchFile(tsmcmd::kAssocFile, parts[1]);
  auto fetch = [&](bool replay, Names* names) {
    UseExistingFiles(replay);
    CTSMClientSchedule fetcher;
    fetcher.SetNodeName(parts[2]);
    const bool ok =
        replay ? fetcher.FetchData(nullptr) : fetcher._ParseData(nullptr, std::vector<std::string>());
    for (const CTSMSchedule& record : *fetcher.getSchedules()) {
      Check(!record.getObjects().empty(), "a schedule always has a file pattern", input);
      names->emplace_back(record.getPolicyDomain(), record.getSchedName());
    }
    return ok;
  };
  Names live;
  Names replayed;
  const bool liveOk = fetch(false, &live);
  fetch(true, &replayed);
  Check(live.size() <= MaxLines(parts[0]), "at most one schedule per line", input);
  size_t at = 0;
  for (const auto& name : live) at += at < replayed.size() && replayed[at] == name ? 1 : 0;
  Check(!liveOk || at == replayed.size(), "replayed schedules are live ones", input);
}

// ixr_db2_<node>.txt, live: at most one pair per line, always an instance.
void Db2Parser(const std::string& input) {
  UseExistingFiles(false);
  CTSMDB2Info fetcher;
  fetcher.set_clientName("web01");
  fetcher._ParseData(nullptr, WriteScratchFile(fetcher._GetFileNameForData(), input));
  Check(fetcher.get_db2info()->size() <= MaxLines(input), "at most one pair per line", input);
  for (const auto& pair : *fetcher.get_db2info()) Check(!pair.first.empty(), "an instance name", input);
}

// The same input as each storage select file read alone (storage
// policies, media, stand-alone libraries), live: one record per line at most.
template <typename Fetcher, typename Records>
void CheckRecordsPerLine(Records (Fetcher::*records)(), const char* what, const std::string& input) {
  Fetcher fetcher;
  fetcher._ParseData(nullptr, WriteScratchFile(fetcher._GetFileNameForData(), input));
  Check((fetcher.*records)()->size() <= MaxLines(input), what, input);
}

void StorageParser(const std::string& input) {
  UseExistingFiles(false);
  CheckRecordsPerLine(&CTSMSPFetcher::get_tsmsp, "storage policies per line", input);
  CheckRecordsPerLine(&CTSMMedia::get_tsmmedia, "media per line", input);
  CheckRecordsPerLine(&CTSMStandAloneLibs::get_stdaloneLibs, "stand-alone libraries per line", input);
}

// ixr_libraries.txt, then a drive file written for each library name the
// drive select takes (a few at most; a name too long for a file name has
// no file), gathered. Every library gets the drives of its file, as the
// drive parser alone reads them; a live drive output (four header lines
// dropped) never gives more drives than the same file replayed.
void LibraryDriveParser(const std::string& input) {
  constexpr size_t kMaxDriveFiles = 8;
  constexpr size_t kLongestFileName = 255;
  UseExistingFiles(true);
  const std::vector<std::string> files = SplitFiles(input, 2);
  WriteScratchFile(tsmcmd::kLibrariesFile, files[0]);
  auto libraries = [] {
    CTSMLibs fetcher;
    fetcher.FetchData(nullptr);
    return *fetcher.get_tsmlibs();
  };
  auto drivesOf = [](const std::string& library, bool replay) {
    UseExistingFiles(replay);
    CTSMDrive fetcher;
    fetcher.set_libraryName(library);
    std::vector<TSMDrive> drives;
    fetcher._ParseData(&drives, ScratchFolder() + fetcher._GetFileNameForData());
    return drives.size();
  };
  std::set<std::string> withDrives;
  for (const TSMLibs& library : libraries()) {
    const std::string fileName = tsmcmd::kDrivesFilePrefix + library.get_libName() + ".txt";
    if (withDrives.size() < kMaxDriveFiles && tsmcmd::IsSafeItemName(library.get_libName()) &&
        fileName.size() <= kLongestFileName && withDrives.insert(library.get_libName()).second) {
      WriteScratchFile(fileName, files[1]);
    }
  }
  const size_t drives = withDrives.empty() ? 0 : drivesOf(*withDrives.begin(), true);
  if (!withDrives.empty()) Check(drivesOf(*withDrives.begin(), false) <= drives, "live drives", input);
  UseExistingFiles(true);
  for (TSMLibs& library : libraries()) {
    const size_t expected = withDrives.count(library.get_libName()) ? drives : 0;
    Check(library.get_drives()->size() == expected, "a library has the drives of its file", input);
  }
}

// The job parser runs the node's schedule query for its log line; live,
// that program "cannot start" here.
class NotStartedLauncher : public ProcessLauncher {
 public:
  LaunchResult Run(const std::vector<std::string>&, int) override { return LaunchResult(); }
};

// ixr_jobs_<node>.txt, replayed and live (four header lines dropped): at
// most one job per line, always a policy name; the live jobs are the last
// replayed ones.
void JobParser(const std::string& input) {
  static NotStartedLauncher launcher;
  CForeignCmdExecBase::SetProcessLauncher(&launcher);
  auto jobs = [&](bool replay) {
    UseExistingFiles(replay);
    CTSMJobInfoFetcher fetcher;
    fetcher.set_nodeName("WEB01");
    std::vector<CTSMJobInfo> records;
    fetcher._ParseData(&records, WriteScratchFile(fetcher._GetFileNameForData(), input));
    std::vector<std::string> starts;
    for (const CTSMJobInfo& job : records) {
      Check(!job.get_policyName().empty(), "a job has a policy name", input);
      starts.push_back(job.get_startTime());
    }
    return starts;
  };
  const std::vector<std::string> replayed = jobs(true);
  const std::vector<std::string> live = jobs(false);
  Check(replayed.size() <= MaxLines(input), "at most one job per line", input);
  Check(live.size() <= replayed.size() && std::equal(live.rbegin(), live.rend(), replayed.rbegin()),
        "live jobs are the last replayed ones", input);
}

const Harness kRows[] = {
    {"node_parser", NodeParser},
    {"server_version_parser", ServerVersionParser},
    {"schedule_parser", ScheduleParser},
    {"node_schedule_parser", NodeScheduleParser},
    {"db2_parser", Db2Parser},
    {"storage_parser", StorageParser},
    {"library_drive_parser", LibraryDriveParser},
    {"job_parser", JobParser},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzzsupport::RunHarness(kRows, TSM_FUZZ_HARNESS, data, size);
}
