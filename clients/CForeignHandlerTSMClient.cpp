// Client discovery: TSM nodes become the host's client hierarchy.
#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/Messages.h"

bool CForeignHandlerTSM::DiscoverClients(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error("DiscoverClients", "No configuration message given");
    return false;
  }
  const std::string login = config->getstring(11, 41);
  ev.DebugLvl("CForeignHandlerTSM::DiscoverClients", 4, GetJobId(),
              "Discovery for administrator [%s] has nothing to hand over yet", login.c_str());
  return true;
}
