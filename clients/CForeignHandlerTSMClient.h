// Fetchers of the client discovery: the detailed node query and the TSM
// server name.
//
// Both live on the caller's stack for one FetchData. Records and names go
// to the target the caller passes to FetchData and stay there when the
// fetch fails half-way.
#pragma once

#include <string>
#include <vector>

#include "clients/TSMClientInfo.h"
#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"

// The detailed node query into "ixr_node.txt". FetchData's target is a
// std::vector<TSMClientInfo> to which one record per node line is
// appended. False when the output file cannot be opened or read, or when
// the node filter holds a blank or quote (refused before anything runs,
// unless gathered files are read).
class CTSMClients : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  // Fewer tokens than this and a line is no node line.
  static constexpr size_t kMinTokens = 33;

  CTSMClients();

  // One run per node when a node is named.
  CommandKind GetCommandKind() const override {
    return m_nodeName.empty() ? CommandKind{"node", false} : CommandKind{"node by name", true};
  }
  // Node filter (empty: all nodes); also sets the output file name. Call
  // before every FetchData.
  void SetNodeName(std::string name);
  std::string GetOutputFileName() const { return m_outputFileName; }
  // The file the run writes, so that the base removes an earlier run's
  // node list before dsmadmc runs and fails the fetch when none is written.
  const char* _GetFileNameForData() const override { return m_outputFileName.c_str(); }

  std::string _GetCommandLine() override;
  // Ignores `lines` and reads the output file itself.
  bool _ParseData(void* out, const std::vector<std::string>& lines) override;
  using CForeignCmdExecBase::_ParseData;

 private:
  // Appends the record of one node line unless the filter drops it.
  void addNode(const std::vector<std::string>& tokens, std::vector<TSMClientInfo>* nodes) const;

  std::string m_nodeName;
  std::string m_outputFileName;
};

// The TSM server name: the local host name, or under existing files the
// first line of the gathered "ixr_server.txt". Runs no command. FetchData's
// target is a std::string.
class CTSMMasterServer : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  CTSMMasterServer();

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  bool _ParseData(void* out, const std::string& fileName) override;
  const char* _GetFileNameForData() const override;
};
