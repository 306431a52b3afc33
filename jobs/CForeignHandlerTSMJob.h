// The job query: the backup entries of one node's TSM summary, oldest
// first, as CTSMJobInfo records, from "ixr_jobs_<NODE>.txt".
//
// Use: one fetcher per node on the caller's stack. set_nodeName, SetLogin,
// SetPassword, set_BinaryPath, then FetchData(&records) with a
// std::vector<CTSMJobInfo>; the parser only appends to it. Before reading
// its file the parser also runs the node's schedule query, for the log
// only.
//
// Failure: a failing command makes FetchData false. A node name that
// cannot stand in a command line or a file name (blank, double quote, "/",
// empty, "." or "..") is refused: nothing runs, the parser appends nothing
// and FetchData is false. An unreadable or empty output file gives no
// records and no failure.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "jobs/CTSMJobInfo.h"

class CTSMJobInfoFetcher : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  CTSMJobInfoFetcher();

  // Stored as given; the command line turns it to upper case for good.
  void set_nodeName(const std::string& name) { nodeName = name; }
  std::string get_nodeName() const { return nodeName; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `out` is a std::vector<CTSMJobInfo>*; one record is appended per data
  // line of five or more fields.
  bool _ParseData(void* out, const std::string& fileName) override;
  // "ixr_jobs_<NODE>.txt"; also kept as the last file name built.
  const char* _GetFileNameForData() const override;

 private:
  bool isUsableName() const;
  // The node's schedule query; only its outcome is logged.
  void runScheduleQuery();

  std::string nodeName;
  mutable std::string fileName;
};
