#include "schedules/CForeignHandlerTSMNodeLookup.h"

#include "clients/CForeignHandlerTSMClient.h"

CTSMNodeLookup::CTSMNodeLookup(const TSMAdminInfo& admin, long long jobId) : admin_(admin), jobId_(jobId) {}

CTSMNodeLookup::Result CTSMNodeLookup::Find(const std::string& nodeName, TSMClientInfo* node) {
  // An empty filter would list every node and hand back the first.
  if (nodeName.empty()) return Result::kNotFound;
  if (CForeignCmdExecBase::get_UseExistingFiles()) return findGathered(nodeName, node);
  return findLive(nodeName, node);
}

CTSMNodeLookup::Result CTSMNodeLookup::findLive(const std::string& nodeName, TSMClientInfo* node) {
  std::vector<TSMClientInfo> nodes;
  if (!query(nodeName, &nodes)) return Result::kFailed;
  if (nodes.empty()) return Result::kNotFound;
  *node = nodes.front();
  return Result::kFound;
}

CTSMNodeLookup::Result CTSMNodeLookup::findGathered(const std::string& nodeName, TSMClientInfo* node) {
  if (gathered_ == Gathered::kUnread) {
    std::vector<TSMClientInfo> nodes;
    gathered_ = query("", &nodes) ? Gathered::kRead : Gathered::kFailed;
    // The node filter compares exactly and keeps the first line of a name.
    for (TSMClientInfo& n : nodes) byName_.emplace(n.get_NodeName(), std::move(n));
  }
  if (gathered_ == Gathered::kFailed) return Result::kFailed;
  auto it = byName_.find(nodeName);
  if (it == byName_.end()) return Result::kNotFound;
  *node = it->second;
  return Result::kFound;
}

bool CTSMNodeLookup::query(const std::string& nodeName, std::vector<TSMClientInfo>* nodes) const {
  CTSMClients clients;
  clients.SetNodeName(nodeName);
  clients.SetLogin(admin_.login);
  clients.SetPassword(admin_.password);
  clients.set_JobId(jobId_);
  return clients.FetchData(nodes);
}
