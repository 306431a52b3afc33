// The node query of the task builders: the node record of one node name.
//
// Live, every Find runs the node query restricted to that node, as the
// server is asked for each association. Over gathered files the node file
// lists every node: it is read on the first Find and later ones are
// answered from memory, so one discovery reads it once however many
// schedules name a node.
//
// Use: on the caller's stack for one schedule discovery, after the
// dsmadmc directory has been remembered (set_BinaryPath(dir, true)); the
// fetchers it runs get no directory of their own. Not copyable.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "clients/TSMClientInfo.h"
#include "handler/TSMAdminInfo.h"

class CTSMNodeLookup {
 public:
  enum class Result { kFound, kNotFound, kFailed };

  // `admin` and `jobId` are handed to every node query.
  CTSMNodeLookup(const TSMAdminInfo& admin, long long jobId);
  CTSMNodeLookup(const CTSMNodeLookup&) = delete;
  CTSMNodeLookup& operator=(const CTSMNodeLookup&) = delete;

  // kFound with the first record of `nodeName` in *node; kNotFound when
  // the query lists no such node (an empty name finds nothing); kFailed
  // when the query failed: output unreadable, or a name that cannot be put
  // on the command line. A failed read of the gathered file is not
  // retried.
  Result Find(const std::string& nodeName, TSMClientInfo* node);

 private:
  Result findLive(const std::string& nodeName, TSMClientInfo* node);
  Result findGathered(const std::string& nodeName, TSMClientInfo* node);
  // Runs the node query for `nodeName` ("" for every node) into `nodes`.
  bool query(const std::string& nodeName, std::vector<TSMClientInfo>* nodes) const;

  TSMAdminInfo admin_;
  long long jobId_;
  enum class Gathered { kUnread, kRead, kFailed } gathered_ = Gathered::kUnread;
  std::unordered_map<std::string, TSMClientInfo> byName_;
};
