// Schedule discovery: TSM client schedules become host backup tasks.
#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/Messages.h"

bool CForeignHandlerTSM::DiscoverSchedule(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error("DiscoverSchedule", "No configuration message given");
    return false;
  }
  const std::string login = config->getstring(11, 41);
  ev.DebugLvl("CForeignHandlerTSM::DiscoverSchedule", 4, GetJobId(),
              "Discovery for administrator [%s] has nothing to hand over yet", login.c_str());
  return true;
}
