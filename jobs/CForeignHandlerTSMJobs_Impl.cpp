// Job discovery: the backup history of every node the client discovery
// found, handed over in FDC::JobList batches of jobsPerReply jobs. One
// node's records and one batch are all that is held at a time.
#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "jobs/CForeignHandlerTSMJob.h"

namespace {

using namespace zyfields;

constexpr const char* kFunction = "DiscoverJobs";

struct WordCode {
  const char* word;
  int code;
};

constexpr WordCode kJobStatus[] = {{"YES", 1}, {"NO", 2}};
constexpr int kOtherJobStatus = 2;
constexpr WordCode kBackupLevel[] = {{"Incremental", 2}, {"Inc", 2}, {"Selective", 1}, {"ImageBackup", 1}};
constexpr int kOtherBackupLevel = 1;

template <size_t N>
int Lookup(const WordCode (&table)[N], const std::string& word, int other) {
  for (const WordCode& row : table) {
    if (compareNoCase(word, row.word) == 0) return row.code;
  }
  return other;
}

// Hands the batch over and empties it for the next one; false (logged)
// when the hand-over failed.
bool HandOverBatch(CForeignHandlerTSM& handler, FDC::JobList* reply, CNMessageList* jobs) {
  if (!handler.DumpXmlMsgToFile(reply, 0, false)) {
    EvEvent ev;
    ev.Error(kFunction, "Unable to dump jobs xml");
    return false;
  }
  jobs->clear();
  return true;
}

}  // namespace

int CForeignHandlerTSM::MapJobStatus_TSMToZY(const std::string& successful) {
  return Lookup(kJobStatus, successful, kOtherJobStatus);
}

int CForeignHandlerTSM::MapBackupType_TSMToZY(const std::string& action) {
  return Lookup(kBackupLevel, action, kOtherBackupLevel);
}

bool CForeignHandlerTSM::DiscoverJobs(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error(kFunction, "No configuration message given");
    return false;
  }
  using Config = FDC::ExternalNBUConfig;
  const std::string binaryPath = GetString(config, Config::binaryPath);
  const std::string login = GetString(config, Config::adminLogin);
  const std::string password = GetString(config, Config::adminPassword);

  FDC::JobList reply;
  SetInt(&reply, FDC::JobList::field7, 8);
  SetInt(&reply, FDC::JobList::field6, 0);
  CNMessageList* jobs = List(&reply, FDC::JobList::jobs);

  for (const TSMClientInfo& node : m_clients) {
    CTSMJobInfoFetcher fetcher;
    fetcher.set_nodeName(node.NodeName);
    fetcher.SetLogin(login);
    fetcher.SetPassword(password);
    fetcher.set_BinaryPath(binaryPath, true);
    fetcher.set_JobId(GetJobId());
    m_jobs.clear();
    if (!fetcher.FetchData(&m_jobs)) continue;
    for (const CTSMJobInfo& record : m_jobs) {
      record.BuildJob(jobs, &node);
      if (jobs->size() >= jobsPerReply && !HandOverBatch(*this, &reply, jobs)) return false;
    }
    ev.Error(kFunction, "Discovered [%d] jobs for node [%s]", static_cast<int>(m_jobs.size()),
             node.NodeName.c_str());
  }
  return jobs->empty() || HandOverBatch(*this, &reply, jobs);
}
