// The association query: the nodes associated with one TSM schedule,
// written into the client list of a CTSMSchedule record.
//
// Runs dsmadmc with the single-quoted argument
//   'query association <domain> <schedule>'
// into "ixr_assoc.txt" (every association run of a discovery writes that
// same file). Each name must stand as one word of that query: a single
// quote would end the argument early, a blank would add a word, a double
// quote or control character would be read by dsmadmc's own parser. Such
// names are refused when a command would run: nothing runs and FetchData
// is false.
//
// Use: on the caller's stack. SetPolicyDomain, SetPolicyName, SetLogin,
// SetPassword, then FetchData(&record). Each matching output line replaces
// the record's client list; without a matching line the list is left as
// it was. FetchData is false when the output cannot be read or the names
// are refused.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "schedules/CTSMSchedule.h"

class CTSMAssoc : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  CTSMAssoc();

  // Schedule name. Also sets the output file name.
  void SetPolicyName(const std::string& name);
  // Policy domain. Also sets the output file name.
  void SetPolicyDomain(const std::string& domain);
  std::string GetPolicyName() const { return policyName_; }
  std::string GetPolicyDomain() const { return policyDomain_; }
  std::string GetOutputFileName() const { return outputFile_; }

  // True when domain and schedule name can each be put inside the quoted
  // query as one word (tsmcmd::IsCommandWord).
  bool HasQuotableNames() const;

  std::string _GetCommandLine() override;
  // `out` is the CTSMSchedule whose client list is filled. Ignores `lines`
  // and reads the output file itself.
  bool _ParseData(void* out, const std::vector<std::string>& lines) override;
  using CForeignCmdExecBase::_ParseData;
  // The file the run writes, so that only it is removed before the run.
  const char* _GetFileNameForData() const override { return outputFile_.c_str(); }

 private:
  std::string policyName_;
  std::string policyDomain_;
  std::string outputFile_;
};

// The association query of domain/schedule as the schedule queries run it:
// with the credentials of `admin` and the job id and program directory of
// `owner` (both bases of the calling fetcher). Fills the client list of
// `record` and returns FetchData's result.
bool FetchAssociation(const CForeignCmdExecBase& owner, const TSMAdminInfo& admin, const std::string& domain,
                      const std::string& schedule, CTSMSchedule* record);
