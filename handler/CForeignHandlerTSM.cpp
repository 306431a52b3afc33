// The trivial operations of the handler and the TSM server identity (its
// constructors and destructor: plugin/CForeignHandlerTSMLifecycle.cpp).
#include "handler/CForeignHandlerTSM.h"

#include "handler/TSMRegistry.h"
#include "host/CForeignCmdExecBase.h"
#include "host/ZYPlatformInfo.h"
#include "host/ZyUtil.h"

namespace {
constexpr const char* kDomainPrefix = "TSM_";
}  // namespace

std::string CForeignHandlerTSM::m_serverName;

// Storage policies are discovered with the media (DiscoverMedia).
bool CForeignHandlerTSM::DiscoverStoragePolicies(CNMessageBase*) { return true; }

bool CForeignHandlerTSM::RetrieveMetadata() { return true; }

bool CForeignHandlerTSM::DoRestore(CNMessageBase*) { return true; }

bool CForeignHandlerTSM::GetResourcesForBackup(std::vector<ArchFileListByTimeElement_t>&) { return true; }

std::string CForeignHandlerTSM::GetServerName() { return m_serverName; }

// Without existing files the TSM server is this machine, so the name is
// valid before the client discovery has looked the server name up.
std::string CForeignHandlerTSM::GenerateZyphorName() {
  if (CForeignCmdExecBase::get_UseExistingFiles()) return kDomainPrefix + m_serverName;
  return kDomainPrefix + GetHostName();
}

std::string CForeignHandlerTSM::GenerateCompositeName(const std::string& name) {
  return name + "_" + GenerateZyphorName();
}

std::string CForeignHandlerTSM::GetCustomerDBPath() {
  ZYPlatformInfo registry;
  registry.setFocus(ZYPI_Focus::getFocus());
  std::string path;
  registry.getDirectory(tsmregistry::kSection, tsmregistry::kOutputPathValue, &path);
  if (!path.empty()) path += "/";
  return path;
}
