// Schedule discovery: every TSM backup schedule becomes one task request
// handed over to the host.
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "handler/TSMRegistry.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZYPlatformInfo.h"
#include "schedules/CForeignHandlerTSMNodeLookup.h"
#include "schedules/CForeignHandlerTSMPolicy.h"

namespace {

constexpr const char* kFunction = "CForeignHandlerTSM::DiscoverSchedule";

// The registry switch: schedules are not fetched while it holds any text.
bool FetchingSwitchedOff() {
  ZYPlatformInfo registry;
  registry.setFocus(ZYPI_Focus::getFocus());
  std::string value;
  registry.getString(tsmregistry::kSection, tsmregistry::kOutputPathValue, &value);
  return !value.empty();
}

}  // namespace

bool CForeignHandlerTSM::DiscoverSchedule(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error("DiscoverSchedule", "No configuration message given");
    return false;
  }
  TSMAdminInfo admin;
  admin.SetLogin(zyfields::GetString(config, FDC::ExternalNBUConfig::adminLogin));
  admin.SetPassword(zyfields::GetString(config, FDC::ExternalNBUConfig::adminPassword));
  CTSMPolicy policy;
  std::vector<CTSMSchedule> schedules;
  // The fetchers the builders run get no directory of their own.
  policy.set_BinaryPath(zyfields::GetString(config, FDC::ExternalNBUConfig::binaryPath), true);
  policy.SetLogin(admin.login);
  policy.SetPassword(admin.password);
  policy.set_JobId(GetJobId());

  if (FetchingSwitchedOff()) {
    ev.DebugLvl(kFunction, 1, GetJobId(), "Skipping schedule fetching since registry key [%s] is set",
                tsmregistry::kOutputPathValue);
    return true;
  }
  ev.DebugJob(kFunction, GetJobId(), "Fetching the policy list");
  bool ok = policy.FetchData(&schedules);

  CTSMNodeLookup nodes(admin, GetJobId());
  for (size_t i = 0; ok && i < schedules.size(); ++i) {
    CTSMSchedule& schedule = schedules[i];
    TMMsg::CreateTaskReq request;
    zyfields::SetInt(&request, TMMsg::CreateTaskReq::field4, 0);
    zyfields::SetInt(&request, TMMsg::CreateTaskReq::field5, 8);
    ev.DebugJob(kFunction, GetJobId(), "Building schedule pattern for policy [%s]",
                schedule.SchedName.c_str());
    schedule.SetLogin(admin.login);
    schedule.SetPassword(admin.password);
    ok = schedule.getEnhancedSchedule() ? schedule.BuildEnhancedSchedulePolicy(&request, &nodes)
                                        : schedule.BuildSchedulePolicy(&request, &nodes);
    // An incomplete request is handed over too: the host sees how far
    // the translation came.
    if (!DumpXmlMsgToFile(&request, 0, false)) {
      ev.Error(kFunction, "Unable to hand over the task of schedule [%s]", schedule.SchedName.c_str());
      ok = false;
    }
  }
  return ok;
}
