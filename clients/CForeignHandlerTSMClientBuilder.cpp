// Client hierarchy builder: one TSM node becomes one host client entry
// (client, file-system agent, instance, backup set, subclients), and the
// TSM server machine is described as master and media server.
#include <string>
#include <vector>

#include "clients/ClientFields.h"
#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMSchedule.h"

namespace {

using namespace clientfields;

constexpr long long kComponentMasterServer = 1;
constexpr long long kComponentMediaServer = 11;
constexpr long long kComponentNodeFirst = 3;
constexpr long long kComponentNodeSecond = 4;

constexpr long long kContentEntry = 1;
constexpr long long kCommonProperty = 2;
constexpr long long kPriorityProperty = 3;

// An object ending in "*" is a directory pattern; the host wants it
// followed by both kinds of separator.
constexpr const char* kWildcardSuffix = "\\/\\/";

bool AppendComponent(App::Client* client, long long type, const std::string& installDirectory) {
  App::ComponentInfo* component = AppendNew<App::ComponentInfo>(client, kClientComponents);
  auto* entity = Object<ZyEntities::ComponentEntity>(component, kComponentEntity);
  if (entity == nullptr) return false;
  SetInt(entity, kComponentType, type);
  SetString(component, kComponentInstallDirectory, installDirectory);
  return true;
}

bool AppendAttributeEx(CNMessageList* list, const char* name, long long kind, const std::string& value) {
  if (list == nullptr) return false;
  auto* entry = dynamic_cast<App::AttributeInfoEx*>(list->Append(App::AttributeInfoEx()));
  if (entry == nullptr) return false;
  if (name != nullptr) SetString(entry, kExName, name);
  SetInt(entry, kExKind, kind);
  SetString(entry, kExValue, value);
  return true;
}

App::SubClientInfo* AppendSubclient(App::BackupSetInfo* backupSet, const std::string& name,
                                    long long field6) {
  auto* subclient = AppendNew<App::SubClientInfo>(backupSet, kBackupSetSubclients);
  auto* entity = Object<ZyEntities::SubclientEntity>(subclient, kSubclientEntity);
  if (entity == nullptr) return nullptr;
  SetString(entity, kSubclientName, name);
  SetInt(subclient, kSubclientField6, field6);
  return subclient;
}

bool PopulateOs(App::Client* client, const std::string& platform, const std::string& osLevel) {
  auto* os = Object<App::OperatingSystem>(client, kClientOperatingSystem);
  if (os == nullptr) return false;
  CForeignHandlerTSM::PopulateOsInfo(os, platform, osLevel);
  return true;
}

bool SetTimeZone(App::Client* client) {
  auto* timeZone = Object<ZyEntities::TimeZoneEntity>(client, kClientTimeZone);
  if (timeZone == nullptr) return false;
  SetString(timeZone, kTimeZoneStdName, GetTimeZoneStdNameW());
  return true;
}

bool FillSettings(App::ClientInfo* entry) {
  auto* settings = Object<App::ClientSettings>(entry, kInfoSettings);
  if (settings == nullptr) return false;
  SetString(settings, kSettingsTimeZoneName, GetTimeZoneDisplayNameA());
  SetInt(settings, kSettingsField41, 104);
  auto* zyphor = Object<ZyEntities::ZyphorEntity>(settings, kSettingsZyphor);
  if (zyphor == nullptr) return false;
  SetString(zyphor, kZyphorName, CForeignHandlerTSM::GenerateZyphorName());
  SetInt(zyphor, kZyphorField9, 3);
  ZyEntities::EntityId entityId;
  SetInt(&entityId, kEntityIdField0, 1);
  zyphor->setObjectAccessor(&entityId, kZyphorEntityId.index, kZyphorEntityId.id);
  return true;
}

}  // namespace

bool TSMClientInfo::BuildHierarchy(App::ClientsList* list) {
  EvEvent ev;
  if (list == nullptr) return false;
  App::ClientInfo entry;
  isMasterServer = false;
  bool status = true;

  if (is_MasterServer(NodeName)) {
    isMasterServer = true;
    // The server's node is this machine; replayed files keep the names of
    // the machine they were gathered on.
    if (!CForeignCmdExecBase::get_UseExistingFiles()) {
      NodeName = GetHostName();
      Hostname = EvDebug::getHostName();
    }
    status = BuildMasterServerInfo(&entry);
    if (status) status = BuildMediaServerInfo(&entry);
  }
  if (status) status = BuildPodInfo(&entry);
  if (!status) {
    ev.DebugJob("TSMClientInfo::BuildHierarchy", 0, "failed to BuildPodInfo()");
    return false;
  }

  auto* attributes = Object<App::ClientAttributes>(&entry, kInfoAttributes);
  CNMessageList* attributeList = List(attributes, kAttributeList);
  auto* version = attributeList == nullptr
                      ? nullptr
                      : dynamic_cast<App::AttributeInfo*>(attributeList->Append(App::AttributeInfo()));
  App::Client* client = Object<App::Client>(&entry, kInfoClient);
  CNMessageList* clients = List(list, kListClients);
  if (version == nullptr || client == nullptr || clients == nullptr) return false;
  SetString(version, kAttributeName, "Foreign Client Version");
  SetInt(version, kAttributeKind, 1);
  SetString(version, kAttributeValue, "TSM " + ClientVersion);
  SetInt(client, kClientField18, 4);

  clients->Append(entry);
  return true;
}

bool TSMClientInfo::BuildMasterServerInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, kInfoClient);
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, kClientEntity);
  if (clientEntity == nullptr) return false;
  if (CForeignCmdExecBase::get_UseExistingFiles()) {
    SetString(clientEntity, kClientName, CForeignHandlerTSM::GetServerName());
    SetString(clientEntity, kClientHostName, CForeignHandlerTSM::GetServerName());
  } else {
    SetString(clientEntity, kClientName, GetHostName());
    SetString(clientEntity, kClientHostName, EvDebug::getHostName());
  }
  if (!FillSettings(entry) || !SetTimeZone(client)) return false;
  if (!IsSet(client, kClientOperatingSystem) && !PopulateOs(client, Platform, OSVersion)) return false;
  if (!AppendComponent(client, kComponentMasterServer, InstallDirectory)) return false;
  SetString(client, kClientField3, "2");
  SetString(client, kClientInstallDirectory, InstallDirectory);
  return true;
}

bool TSMClientInfo::BuildMediaServerInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, kInfoClient);
  if (!AppendComponent(client, kComponentMediaServer, InstallDirectory)) return false;
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, kClientEntity);
  if (clientEntity == nullptr) return false;
  if (!IsSet(clientEntity, kClientName)) SetString(clientEntity, kClientName, GetHostName());
  if (!IsSet(clientEntity, kClientHostName)) SetString(clientEntity, kClientHostName, EvDebug::getHostName());
  if (!IsSet(client, kClientInstallDirectory)) SetString(client, kClientInstallDirectory, InstallDirectory);
  if (!IsSet(client, kClientTimeZone) && !SetTimeZone(client)) return false;
  if (!IsSet(client, kClientOperatingSystem) && !PopulateOs(client, Platform, OSVersion)) return false;
  if (!IsSet(client, kClientField3)) SetString(client, kClientField3, "2");
  return true;
}

bool TSMClientInfo::BuildPodInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, kInfoClient);
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, kClientEntity);
  if (clientEntity == nullptr) return false;
  SetString(clientEntity, kClientName, NodeName);
  SetString(clientEntity, kClientHostName, Hostname);
  if (!AppendComponent(client, kComponentNodeFirst, InstallDirectory) ||
      !AppendComponent(client, kComponentNodeSecond, InstallDirectory)) {
    return false;
  }
  SetInt(client, kClientField18, 2);
  if (!PopulateOs(client, Platform, OSVersion)) return false;
  SetString(client, kClientField3, "2");
  SetString(client, kClientInstallDirectory, InstallDirectory);
  return SetPodInfo(client);
}

bool TSMClientInfo::SetPodInfo(App::Client* client) {
  auto* pod = AppendNew<App::PodInfo>(client, kClientPods);
  auto* appEntity = Object<ZyEntities::AppEntity>(pod, kPodAppEntity);
  if (appEntity == nullptr) return false;
  std::string agentName;
  int agentType = CForeignHandlerTSM::getZYAppType(OSVersion, Platform, agentName);
  SetInt(appEntity, kAppType, agentType);
  SetString(appEntity, kAppName, agentName);
  SetInt(pod, kPodField2, 8192);
  return SetPodInstance(pod, ExistingObject<App::OperatingSystem>(client, kClientOperatingSystem));
}

bool TSMClientInfo::SetPodInstance(App::PodInfo* pod, App::OperatingSystem* os) {
  auto* instance = AppendNew<App::InstanceInfo>(pod, kPodInstances);
  auto* entity = Object<ZyEntities::InstanceEntity>(instance, kInstanceEntity);
  if (entity == nullptr) return false;
  SetString(entity, kInstanceName, "DefaultInstanceName");
  return SetPodBackupset(instance, os);
}

bool TSMClientInfo::SetPodBackupset(App::InstanceInfo* instance, App::OperatingSystem* os) {
  auto* backupSet = AppendNew<App::BackupSetInfo>(instance, kInstanceBackupSets);
  auto* entity = Object<ZyEntities::BackupSetEntity>(backupSet, kBackupSetEntity);
  if (entity == nullptr) return false;
  SetString(entity, kBackupSetName, "defaultBackupSet");
  SetInt(backupSet, kBackupSetField2, 8);

  // Without an operating system the family reads empty: not Unix.
  const std::string family = os == nullptr ? std::string() : GetString(os, kOsFamily);
  const std::string root = compareNoCase(family, "Unix") == 0 ? "/" : "\\";
  for (const auto& [name, field6] : {std::pair<const char*, long long>{"default", 8}, {"OnDemand", 2}}) {
    App::SubClientInfo* subclient = AppendSubclient(backupSet, name, field6);
    if (subclient == nullptr ||
        !AppendAttributeEx(List(subclient, kSubclientContent), nullptr, kContentEntry, root)) {
      return false;
    }
  }
  return SetPodSubclient(backupSet);
}

bool TSMClientInfo::SetPodSubclient(App::BackupSetInfo* backupSet) {
  EvEvent ev;
  if (backupSet == nullptr) return false;
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(NodeName);
  fetcher.SetLogin(login);
  fetcher.SetPassword(password);
  if (!fetcher.FetchData(nullptr)) {
    ev.DebugLvl("SetPodSubclient", 4, "No schedules found for node [%s]", NodeName.c_str());
    return true;
  }
  const std::vector<CTSMSchedule>& schedules = *fetcher.getSchedules();
  ev.DebugLvl("SetPodSubclient", 4, "Found [%d] schedules for node [%s]", static_cast<int>(schedules.size()),
              NodeName.c_str());

  for (const CTSMSchedule& schedule : schedules) {
    App::SubClientInfo* subclient = AppendSubclient(backupSet, schedule.getSchedName(), 0);
    if (subclient == nullptr) return false;
    CNMessageList* content = List(subclient, kSubclientContent);
    for (std::string object : schedule.getObjects()) {
      if (!object.empty() && object.back() == '*') object += kWildcardSuffix;
      if (!AppendAttributeEx(content, nullptr, kContentEntry, object)) return false;
    }
    CNMessageList* properties = List(subclient, kSubclientProperties);
    if (!AppendAttributeEx(properties, "priority", kPriorityProperty, schedule.getPriority()) ||
        !SetCommonAttributes(properties)) {
      return false;
    }
  }
  return true;
}

bool TSMClientInfo::SetCommonAttributes(CNMessageList* properties) {
  const std::string compression = compareNoCase(Compression, "Client") == 0 ? "0" : "2";
  const std::string crossMount = compareNoCase(CrossMount, "No") == 0 ? "0" : "2";
  return AppendAttributeEx(properties, "compression", kCommonProperty, compression) &&
         AppendAttributeEx(properties, "cross mount point", kCommonProperty, crossMount) &&
         AppendAttributeEx(properties, "Enable Backup", kCommonProperty, "1") &&
         AppendAttributeEx(properties, "TSM Foreign Subclient", kCommonProperty, "1");
}
