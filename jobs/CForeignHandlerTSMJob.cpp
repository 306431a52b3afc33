// The job query of one node.
#include "jobs/CForeignHandlerTSMJob.h"

#include <cstdlib>

#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMSchedule.h"

namespace {

constexpr const char* kParse = "_ParseData";
constexpr size_t kMinFields = 5;

enum JobColumn : size_t { kSchedule = 0, kStart = 1, kEnd = 2, kSuccessful = 3, kBytes = 4 };

// The value sscanf's "%lld" reads, except that a figure beyond a long
// long is clamped (strtoll's ERANGE result) instead of being undefined.
long long ParseBackupSize(const std::string& text) {
  return std::strtoll(Trim(text, "").c_str(), nullptr, 10);
}

void FillRecord(const std::vector<std::string>& tokens, CTSMJobInfo* record) {
  record->set_policyName(tokens[kSchedule].empty() ? "OnDemand" : tokens[kSchedule]);
  record->set_jobStatus(tokens[kSuccessful]);
  record->set_startTime(tokens[kStart]);
  record->set_endTime(tokens[kEnd]);
  record->set_backupSize(ParseBackupSize(tokens[kBytes]));
}

}  // namespace

CTSMJobInfoFetcher::CTSMJobInfoFetcher() : CForeignCmdExecBase(kCommunicationMethod1) {}

const char* CTSMJobInfoFetcher::_GetFileNameForData() const {
  fileName = std::string(tsmcmd::kJobsFilePrefix) + nodeName + ".txt";
  return fileName.c_str();
}

// TSM node names hold none of these; one that does would split the
// command line or leave the working directory.
bool CTSMJobInfoFetcher::isUsableName() const {
  return tsmcmd::IsSafeFileNamePart(nodeName) && nodeName.find_first_of(" \t\r\n\"") == std::string::npos;
}

std::string CTSMJobInfoFetcher::_GetCommandLine() {
  nodeName = tsmcmd::ToUpper(nodeName);
  if (!isUsableName()) {
    EvEvent ev;
    ev.Error("CTSMJobInfoFetcher::_GetCommandLine",
             "Refusing job query for node [%s]: not usable in a command", nodeName.c_str());
    return kSkipMarker;
  }
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::JobsSelect(nodeName));
}

void CTSMJobInfoFetcher::runScheduleQuery() {
  CTSMClientSchedule schedules;
  schedules.SetLogin(login);
  schedules.SetPassword(password);
  schedules.SetBinaryPath(GetBinaryPath());
  schedules.SetNodeName(nodeName);
  schedules.set_JobId(get_JobId());
  if (schedules.FetchData(nullptr)) {
    EvEvent ev;
    ev.Debug(kParse, "Fetched policy list for node [%s] successfully", nodeName.c_str());
  }
}

bool CTSMJobInfoFetcher::_ParseData(void* out, const std::string& path) {
  EvEvent ev;
  auto* records = static_cast<std::vector<CTSMJobInfo>*>(out);
  // A refused name ran nothing: whatever file carries its name is not its answer.
  if (records == nullptr || !isUsableName()) return false;
  const bool replay = get_UseExistingFiles();
  ev.DebugLvl(kParse, 4, "Parsing file [%s]", _GetFileNameForData());
  runScheduleQuery();
  // Gathered job files are written with -dataonly=yes. A file that cannot
  // be opened holds no history.
  const DsmReadEnd end = ReadDsmOutputFile(replay ? path : std::string(_GetFileNameForData()),
                                           replay ? dsmlayout::kDataOnly : dsmlayout::kSelect,
                                           tsmsplit::SplitJobLine, [records](const DsmRecord& line) {
                                             if (line.fields.size() < kMinFields) return true;
                                             records->emplace_back();
                                             FillRecord(line.fields, &records->back());
                                             return true;
                                           });
  return end != DsmReadEnd::kReadError;
}
