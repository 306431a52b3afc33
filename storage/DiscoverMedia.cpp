// Media discovery: libraries, drives, volumes and storage pools.
#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/Messages.h"

bool CForeignHandlerTSM::DiscoverMedia(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error("DiscoverMedia", "No configuration message given");
    return false;
  }
  const std::string login = config->getstring(11, 41);
  ev.DebugLvl("CForeignHandlerTSM::DiscoverMedia", 4, GetJobId(),
              "Discovery for administrator [%s] has nothing to hand over yet", login.c_str());
  return true;
}
