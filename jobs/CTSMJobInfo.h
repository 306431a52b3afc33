// One backup entry of a node's TSM summary: the record the job query fills
// and the job builder reads. Plain value class.
#pragma once

#include <string>

class CNMessageList;
class TSMClientInfo;

class CTSMJobInfo {
 public:
  std::string get_startTime() const { return startTime; }
  std::string get_endTime() const { return endTime; }
  std::string get_jobStatus() const { return jobStatus; }
  std::string get_policyName() const { return policyName; }
  std::string get_action() const { return action; }
  long long get_backupSize() const { return backupSize; }

  void set_startTime(const std::string& v) { startTime = v; }
  void set_endTime(const std::string& v) { endTime = v; }
  void set_jobStatus(const std::string& v) { jobStatus = v; }
  void set_policyName(const std::string& v) { policyName = v; }
  void set_action(const std::string& v) { action = v; }
  void set_backupSize(long long v) { backupSize = v; }

  // Appends to `jobs` (the jobs list of an FDC::JobList) one FDC::JobInfo
  // built from this record and `node`, the node it was queried for (jobs/
  // CTSMJobBuilder.cpp). Its jobKey ends in a process-wide counter that
  // is never reset, so no two jobs of one process share a key; the
  // counter is not thread-safe, as the host calls one operation at a
  // time. A null argument appends nothing.
  void BuildJob(CNMessageList* jobs, const TSMClientInfo* node) const;

  std::string startTime;
  std::string endTime;
  std::string jobStatus;
  std::string policyName;
  std::string action;
  long long backupSize = 0;
};
