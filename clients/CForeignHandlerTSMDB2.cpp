// DB2 agents: the DB2 select of a node and the agent built from it, one
// instance per DB2 instance and one backup set per database.
#include "clients/CForeignHandlerTSMDB2.h"

#include "clients/TSMClientInfo.h"
#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"

namespace {

using namespace zyfields;

constexpr const char* kParse = "CTSMDB2Info::_ParseData";
constexpr long long kDb2Field = 8194;

App::InstanceInfo* FindOrAppendInstance(App::PodInfo* pod, const std::string& name) {
  CNMessageList* instances = List(pod, App::PodInfo::instances);
  if (instances == nullptr) return nullptr;
  for (size_t i = 0; i < instances->size(); ++i) {
    auto* instance = dynamic_cast<App::InstanceInfo*>(instances->at(i));
    auto* entity = ExistingObject<ZyEntities::InstanceEntity>(instance, App::InstanceInfo::instanceEntity);
    // DB2 instance names are case-sensitive.
    if (entity != nullptr && GetString(entity, ZyEntities::InstanceEntity::instanceName) == name)
      return instance;
  }
  auto* instance = dynamic_cast<App::InstanceInfo*>(instances->Append(App::InstanceInfo()));
  auto* entity = Object<ZyEntities::InstanceEntity>(instance, App::InstanceInfo::instanceEntity);
  if (entity == nullptr) return nullptr;
  SetString(entity, ZyEntities::InstanceEntity::instanceName, name);
  return instance;
}

}  // namespace

CTSMDB2Info::CTSMDB2Info() : CForeignCmdExecBase(kCommunicationMethod0) {}

void CTSMDB2Info::set_clientName(const std::string& name) { clientName = tsmcmd::ToUpper(name); }

bool CTSMDB2Info::hasSafeFileName() const { return tsmcmd::IsSafeItemName(clientName); }

const char* CTSMDB2Info::_GetFileNameForData() const {
  fileName = std::string(tsmcmd::kDb2FilePrefix) + clientName + ".txt";
  return fileName.c_str();
}

std::string CTSMDB2Info::_GetCommandLine() {
  if (!hasSafeFileName()) {
    EvEvent ev;
    ev.Error("CTSMDB2Info::_GetCommandLine",
             "Refusing node name [%s]: not usable in a command or an output file name", clientName.c_str());
    return kSkipMarker;
  }
  const std::string text = std::string(tsmcmd::kDb2QueryPrefix) + tsmcmd::QuoteSqlValue(clientName) +
                           tsmcmd::kDb2QuerySuffix + tsmcmd::kDb2QuerySameNode + tsmcmd::kDb2QueryEnd;
  return tsmcmd::FormA(GetBinaryPath(), *this, _GetFileNameForData(), text);
}

bool CTSMDB2Info::_ParseData(void* /*out*/, const std::string& path) {
  EvEvent ev;
  ev.DebugLvl(kParse, 4, "Opening file and parsing DB2 information for node [%s]", clientName.c_str());
  if (!hasSafeFileName()) {
    ev.Error(kParse, "Refusing node name [%s]: not usable in a command or an output file name",
             clientName.c_str());
    return false;
  }
  const DsmReadEnd end =
      ReadDsmOutputFile(path, dsmlayout::kSelect, tsmsplit::SplitSelectLine, [&](const DsmRecord& line) {
        const std::vector<std::string>& tokens = line.fields;
        if (tokens.size() != 2) return true;
        ev.DebugLvl(kParse, 4, "Created DB2Info pair [Instance:%s, DB:%s]", tokens[0].c_str(),
                    tokens[1].c_str());
        db2info.emplace_back(tokens[0].empty() ? "DefaultInstance" : tokens[0], tokens[1]);
        return true;
      });
  if (end == DsmReadEnd::kNotOpened) {
    ev.DebugJob(kParse, get_JobId(), "Unable to open file [%s]", path.c_str());
    return false;
  }
  // A read error must not pass for a complete list.
  return end != DsmReadEnd::kReadError;
}

bool TSMClientInfo::SetDB2PodInfo(App::Client* client) {
  if (client == nullptr) return false;
  App::PodInfo pod;
  if (!SetDB2PodInstance(&pod)) return false;
  CNMessageList* pods = List(client, App::Client::pods);
  auto* appended = pods == nullptr ? nullptr : dynamic_cast<App::PodInfo*>(pods->Append(pod));
  auto* appEntity = Object<ZyEntities::AppEntity>(appended, App::PodInfo::appEntity);
  if (appEntity == nullptr) return false;
  SetInt(appEntity, ZyEntities::AppEntity::appType, 37);
  SetString(appEntity, ZyEntities::AppEntity::appName, "DB2");
  SetInt(appended, App::PodInfo::field2, kDb2Field);
  return true;
}

bool TSMClientInfo::SetDB2PodInstance(App::PodInfo* pod) {
  EvEvent ev;
  const char* function = "TSMClientInfo::SetDB2PodInstance";
  if (pod == nullptr) return false;
  CTSMDB2Info fetcher;
  fetcher.set_clientName(NodeName);
  fetcher.SetLogin(login);
  fetcher.SetPassword(password);
  if (!fetcher.FetchData(nullptr)) {
    ev.DebugLvl(function, 2, "Failed to get DB2 Information for [%s]", NodeName.c_str());
    return false;
  }
  const CTSMDB2Info::Pairs& pairs = *fetcher.get_db2info();
  for (const auto& [instanceName, database] : pairs) {
    ev.DebugLvl(function, 2, "Build DB2 Information for Instance [%s], DB Name[%s]", instanceName.c_str(),
                database.c_str());
    App::InstanceInfo* instance = FindOrAppendInstance(pod, instanceName);
    if (instance == nullptr || !SetDB2PodBackupset(instance, database)) return false;
  }
  return !pairs.empty();
}

bool TSMClientInfo::SetDB2PodBackupset(App::InstanceInfo* instance, std::string database) {
  auto* backupSet = AppendNew<App::BackupSetInfo>(instance, App::InstanceInfo::backupSets);
  auto* entity = Object<ZyEntities::BackupSetEntity>(backupSet, App::BackupSetInfo::backupSetEntity);
  if (entity == nullptr) return false;
  SetString(entity, ZyEntities::BackupSetEntity::backupSetName, Trim(database, "/ "));
  SetInt(backupSet, App::BackupSetInfo::field2, kDb2Field);
  auto* subclient = AppendNew<App::SubClientInfo>(backupSet, App::BackupSetInfo::subclients);
  auto* subclientEntity = Object<ZyEntities::SubclientEntity>(subclient, App::SubClientInfo::subclientEntity);
  if (subclientEntity == nullptr) return false;
  SetInt(subclient, App::SubClientInfo::field6, kDb2Field);
  SetString(subclientEntity, ZyEntities::SubclientEntity::subclientName, "default");
  return true;
}
