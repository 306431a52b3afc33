// Client discovery: the node query, the TSM server name and the operation
// that turns the TSM server and its nodes into the host's client list.
#include "clients/CForeignHandlerTSMClient.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "handler/CForeignHandlerTSM.h"
#include "handler/DsmOutputReader.h"
#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZYFile.h"
#include "host/ZyUtil.h"

namespace {

using namespace zyfields;

constexpr const char* kDiscoverJob = "CForeignHandlerTSM::DiscoverClients";
constexpr const char* kDiscoverError = "DiscoverClients";

// Node line columns.
constexpr size_t kColNodeName = 0;
constexpr size_t kColPlatform = 1;
constexpr size_t kColOSVersion = 2;
constexpr size_t kColClientVersion = 3;
constexpr size_t kColCompression = 12;
constexpr size_t kColCrossMount = 28;
constexpr size_t kColHostname = 32;

// dsmadmc ends with 137 or 53 when it refuses the administrator login; the
// status may come as a raw wait status, shifted left by 8 bits.
bool IsRefusedLogin(int status) {
  return status == 137 || status == 53 || status == (137 << 8) || status == (53 << 8);
}

struct Request {
  std::string binaryPath;
  TSMAdminInfo admin;
};

// Credentials, dsmadmc directory (remembered for the fetchers that get
// none of their own) and job id of one fetcher.
template <class Fetcher>
void Prepare(Fetcher& fetcher, const Request& request, long long jobId) {
  fetcher.SetLogin(request.admin.login);
  fetcher.SetPassword(request.admin.password);
  fetcher.set_BinaryPath(request.binaryPath, true);
  fetcher.set_JobId(jobId);
}

// The local machine's entry, for a site where no node is the TSM server.
bool AppendLocalMachineEntry(App::ClientsList* reply, const std::string& binaryPath) {
  App::ClientInfo entry;
  TSMClientInfo local;
  local.set_InstallDirectory(binaryPath);
  bool status = local.BuildMasterServerInfo(&entry);
  if (status) status = local.BuildMediaServerInfo(&entry);
  CNMessageList* clients = List(reply, App::ClientsList::clients);
  if (clients == nullptr) return false;
  clients->Append(entry);
  return status;
}

}  // namespace

// ---- CTSMClients ----------------------------------------------------------

CTSMClients::CTSMClients() : CForeignCmdExecBase(kCommunicationMethod0) {}

void CTSMClients::SetNodeName(std::string name) {
  m_nodeName = std::move(name);
  m_outputFileName = tsmcmd::kNodeFile;
}

std::string CTSMClients::_GetCommandLine() {
  set_logCommandLine(false);  // the line carries the password
  // A refused name runs nothing; the parser reports the failure.
  if (get_UseExistingFiles() || !tsmcmd::IsCommandWord(m_nodeName)) return kSkipMarker;
  return tsmcmd::FormA(GetBinaryPath(), *this, m_outputFileName,
                       tsmcmd::kNodeQueryPrefix + m_nodeName + tsmcmd::kNodeQuerySuffix);
}

bool CTSMClients::_ParseData(void* out, const std::vector<std::string>& /*lines*/) {
  auto* nodes = static_cast<std::vector<TSMClientInfo>*>(out);
  if (nodes == nullptr) return false;
  // A blank or quote would split the name into other words of the query.
  if (!get_UseExistingFiles() && !tsmcmd::IsCommandWord(m_nodeName)) {
    EvEvent ev;
    ev.Error("CTSMClients::_ParseData", "Refusing node query for node [%s]: blank or quote in name",
             m_nodeName.c_str());
    return false;
  }
  FormAReadOptions options;
  options.function = "CTSMClients::_ParseData";
  options.jobId = get_JobId();
  options.logStart = true;
  options.headerlessWhenMultiToken = true;  // -dataonly=yes prints no header
  return ReadFormAFile(FormAFilePath(GetOutputFileName()), options, [&](const DsmRecord& record) {
    const std::vector<std::string>& tokens = record.fields;
    if (tokens.size() < kMinTokens) {
      EvEvent ev;
      ev.Debug("CTSMClients::_ParseData",
               "Discarding line [%s]. tokens [%d] lesser than minimum number of "
               "tokens [%d]",
               record.raw.c_str(), static_cast<int>(tokens.size()), static_cast<int>(kMinTokens));
      return true;
    }
    addNode(tokens, nodes);
    return true;
  });
}

void CTSMClients::addNode(const std::vector<std::string>& tokens, std::vector<TSMClientInfo>* nodes) const {
  if (!m_nodeName.empty() && m_nodeName != tokens[kColNodeName]) return;
  TSMClientInfo node;
  node.set_NodeName(tokens[kColNodeName]);
  node.set_Platform(tokens[kColPlatform]);
  node.set_OSVersion(tokens[kColOSVersion]);
  node.set_ClientVersion(tokens[kColClientVersion]);
  node.set_Hostname(tokens[kColHostname].empty() ? tokens[kColNodeName] : tokens[kColHostname]);
  node.set_Compression(tokens[kColCompression]);
  node.set_InstallDirectory("N/A");
  node.set_CrossMount(tokens[kColCrossMount]);
  nodes->push_back(std::move(node));
}

// ---- CTSMMasterServer -----------------------------------------------------

CTSMMasterServer::CTSMMasterServer() : CForeignCmdExecBase(kCommunicationMethod1) {}

std::string CTSMMasterServer::_GetCommandLine() { return kSkipMarker; }

const char* CTSMMasterServer::_GetFileNameForData() const { return tsmcmd::kServerFile; }

bool CTSMMasterServer::_ParseData(void* out, const std::string& fileName) {
  EvEvent ev;
  ev.DebugLvl("_ParseData", 4, "Parsing file [%s] to collect TSM Master Server information",
              fileName.c_str());
  auto* serverName = static_cast<std::string*>(out);
  if (serverName == nullptr) return false;
  // The TSM server is the machine the handler runs on.
  *serverName = GetHostName();
  if (get_UseExistingFiles()) {
    // The first data line names the server; none keeps the host name.
    const std::string path = std::string(get_UseExistingFilesFrom()) + _GetFileNameForData();
    ReadDsmOutputFile(path, dsmlayout::kDataOnly, tsmsplit::SplitSelectLine, [&](const DsmRecord& line) {
      std::string name = line.raw;
      TrimInline(name, " \n\r");
      if (!name.empty()) *serverName = name;
      return false;
    });
  }
  ev.DebugLvl("_ParseData", 4, "TSM Master Server name is [%s]", serverName->c_str());
  return true;
}

// ---- DiscoverClients ------------------------------------------------------

bool CForeignHandlerTSM::DiscoverClients(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error(kDiscoverError, "No configuration message given");
    return false;
  }
  Request request;
  request.binaryPath = GetString(config, FDC::ExternalNBUConfig::binaryPath);
  request.admin.SetLogin(GetString(config, FDC::ExternalNBUConfig::adminLogin));
  request.admin.SetPassword(GetString(config, FDC::ExternalNBUConfig::adminPassword));

  // The later operations and the relative output file names rely on it,
  // but discovery can still go on from the current directory.
  if (chdir(request.binaryPath.c_str()) != 0) {
    ev.Error(kDiscoverError, "Unable to change to directory [%s]. Error [%d]-[%s]",
             request.binaryPath.c_str(), errno, std::strerror(errno));
  }

  App::ClientsList reply;
  CNMessageBase::Initialize();
  SetInt(&reply, App::ClientsList::field2, 0);
  SetInt(&reply, App::ClientsList::field3, 8);

  bool status = CheckServerControlMessage();
  ProbeServerVersion(request.admin, request.binaryPath);  // informational only

  CTSMMasterServer server;
  Prepare(server, request, GetJobId());
  if (!server.FetchData(&m_serverName)) status = false;

  CTSMClients nodes;
  nodes.SetNodeName("");
  Prepare(nodes, request, GetJobId());
  if (status) status = nodes.FetchData(&m_clients);

  if (!status) {
    if (IsRefusedLogin(nodes.get_execResult())) {
      ev.DebugJob(kDiscoverJob, GetJobId(), "Password verification failed for user [%s].",
                  request.admin.login.c_str());
      SendPasswordVerificationStatus(false, kDiscoverJob);
    }
    return false;
  }

  bool masterFound = false;
  for (size_t i = 0; i < m_clients.size() && status; ++i) {
    TSMClientInfo& node = m_clients[i];
    node.SetLogin(request.admin.login);
    node.SetPassword(request.admin.password);
    status = node.BuildHierarchy(&reply);
    if (node.get_isMasterServer()) masterFound = true;
  }
  if (status && !masterFound) status = AppendLocalMachineEntry(&reply, request.binaryPath);

  if (status && !DumpXmlMsgToFile(&reply, 0, false)) {
    ev.Error(kDiscoverError, "Unable to hand over the client list");
    status = false;
  }
  return status;
}
