// Association query: the nodes of one schedule.
#include "schedules/CForeignHandlerTSMAssoc.h"

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"

namespace {

constexpr const char* kParseFunction = "CTSMAssoc::_ParseData";
// Domain, schedule, node list.
constexpr size_t kAssocTokens = 3;

}  // namespace

bool FetchAssociation(const CForeignCmdExecBase& owner, const TSMAdminInfo& admin, const std::string& domain,
                      const std::string& schedule, CTSMSchedule* record) {
  CTSMAssoc assoc;
  assoc.SetPolicyDomain(domain);
  assoc.SetPolicyName(schedule);
  assoc.SetLogin(admin.login);
  assoc.SetPassword(admin.password);
  assoc.set_JobId(owner.get_JobId());
  const std::string binaryPath = owner.GetBinaryPath();
  if (!binaryPath.empty()) assoc.SetBinaryPath(binaryPath);
  return assoc.FetchData(record);
}

CTSMAssoc::CTSMAssoc() : CForeignCmdExecBase(kCommunicationMethod0), outputFile_(tsmcmd::kAssocFile) {}

void CTSMAssoc::SetPolicyName(const std::string& name) {
  policyName_ = name;
  outputFile_ = tsmcmd::kAssocFile;
}

void CTSMAssoc::SetPolicyDomain(const std::string& domain) {
  policyDomain_ = domain;
  outputFile_ = tsmcmd::kAssocFile;
}

bool CTSMAssoc::HasQuotableNames() const {
  return tsmcmd::IsCommandWord(policyDomain_) && tsmcmd::IsCommandWord(policyName_);
}

std::string CTSMAssoc::_GetCommandLine() {
  set_logCommandLine(false);
  // A refused name runs nothing; the parser reports the failure.
  if (get_UseExistingFiles() || !HasQuotableNames()) return kSkipMarker;
  return tsmcmd::FormA(GetBinaryPath(), *this, outputFile_,
                       tsmcmd::kAssocQueryPrefix + policyDomain_ + " " + policyName_ + "'");
}

bool CTSMAssoc::_ParseData(void* out, const std::vector<std::string>& /*lines*/) {
  EvEvent ev;
  // Replayed output is only matched against the names; nothing was run.
  if (!get_UseExistingFiles() && !HasQuotableNames()) {
    ev.Error(kParseFunction,
             "Refusing association query for domain [%s] schedule [%s]: blank, quote or control "
             "character in name",
             policyDomain_.c_str(), policyName_.c_str());
    return false;
  }
  auto* record = static_cast<CTSMSchedule*>(out);
  if (record == nullptr) {
    ev.Error(kParseFunction, "No schedule record given");
    return false;
  }

  FormAReadOptions options;
  options.function = kParseFunction;
  options.jobId = get_JobId();
  options.parseOnceWhenReplaying = true;
  return ReadFormAFile(FormAFilePath(outputFile_), options, [&](const DsmRecord& line) {
    const std::vector<std::string>& tokens = line.fields;
    if (tokens.size() != kAssocTokens || tokens[0] != policyDomain_ || tokens[1] != policyName_) {
      return true;
    }
    record->setClientList(tsmsplit::SplitAssociationNodes(tokens[2]));
    return true;
  });
}
