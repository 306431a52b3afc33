// Client hierarchy builder: one TSM node becomes one host client entry
// (client, file-system agent, instance, backup set, subclients), and the
// TSM server machine is described as master and media server.
#include <string>
#include <vector>

#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/CForeignCmdExecBase.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMSchedule.h"

namespace {

using namespace zyfields;

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
  App::ComponentInfo* component = AppendNew<App::ComponentInfo>(client, App::Client::components);
  auto* entity = Object<ZyEntities::ComponentEntity>(component, App::ComponentInfo::componentEntity);
  if (entity == nullptr) return false;
  SetInt(entity, ZyEntities::ComponentEntity::componentType, type);
  SetString(component, App::ComponentInfo::installDirectory, installDirectory);
  return true;
}

bool AppendAttributeEx(CNMessageList* list, const char* name, long long kind, const std::string& value) {
  if (list == nullptr) return false;
  auto* entry = dynamic_cast<App::AttributeInfoEx*>(list->Append(App::AttributeInfoEx()));
  if (entry == nullptr) return false;
  if (name != nullptr) SetString(entry, App::AttributeInfoEx::name, name);
  SetInt(entry, App::AttributeInfoEx::kind, kind);
  SetString(entry, App::AttributeInfoEx::value, value);
  return true;
}

App::SubClientInfo* AppendSubclient(App::BackupSetInfo* backupSet, const std::string& name,
                                    long long field6) {
  auto* subclient = AppendNew<App::SubClientInfo>(backupSet, App::BackupSetInfo::subclients);
  auto* entity = Object<ZyEntities::SubclientEntity>(subclient, App::SubClientInfo::subclientEntity);
  if (entity == nullptr) return nullptr;
  SetString(entity, ZyEntities::SubclientEntity::subclientName, name);
  SetInt(subclient, App::SubClientInfo::field6, field6);
  return subclient;
}

bool PopulateOs(App::Client* client, const std::string& platform, const std::string& osLevel) {
  auto* os = Object<App::OperatingSystem>(client, App::Client::operatingSystem);
  if (os == nullptr) return false;
  CForeignHandlerTSM::PopulateOsInfo(os, platform, osLevel);
  return true;
}

bool SetTimeZone(App::Client* client) {
  auto* timeZone = Object<ZyEntities::TimeZoneEntity>(client, App::Client::timeZone);
  if (timeZone == nullptr) return false;
  SetString(timeZone, ZyEntities::TimeZoneEntity::timeZoneStdName, GetTimeZoneStdNameW());
  return true;
}

bool FillSettings(App::ClientInfo* entry) {
  auto* settings = Object<App::ClientSettings>(entry, App::ClientInfo::settings);
  if (settings == nullptr) return false;
  SetString(settings, App::ClientSettings::timeZoneName, GetTimeZoneDisplayNameA());
  SetInt(settings, App::ClientSettings::field41, 104);
  auto* zyphor = Object<ZyEntities::ZyphorEntity>(settings, App::ClientSettings::zyphor);
  if (zyphor == nullptr) return false;
  SetString(zyphor, ZyEntities::ZyphorEntity::zyphorName, CForeignHandlerTSM::GenerateZyphorName());
  SetInt(zyphor, ZyEntities::ZyphorEntity::field9, 3);
  ZyEntities::EntityId entityId;
  SetInt(&entityId, ZyEntities::EntityId::field0, 1);
  SetObject(zyphor, ZyEntities::ZyphorEntity::entityId, entityId);
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

  auto* attributes = Object<App::ClientAttributes>(&entry, App::ClientInfo::attributes);
  CNMessageList* attributeList = List(attributes, App::ClientAttributes::attributeList);
  auto* version = attributeList == nullptr
                      ? nullptr
                      : dynamic_cast<App::AttributeInfo*>(attributeList->Append(App::AttributeInfo()));
  App::Client* client = Object<App::Client>(&entry, App::ClientInfo::client);
  CNMessageList* clients = List(list, App::ClientsList::clients);
  if (version == nullptr || client == nullptr || clients == nullptr) return false;
  SetString(version, App::AttributeInfo::name, "Foreign Client Version");
  SetInt(version, App::AttributeInfo::kind, 1);
  SetString(version, App::AttributeInfo::value, "TSM " + ClientVersion);
  SetInt(client, App::Client::field18, 4);

  clients->Append(entry);
  return true;
}

bool TSMClientInfo::BuildMasterServerInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, App::ClientInfo::client);
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, App::Client::clientEntity);
  if (clientEntity == nullptr) return false;
  if (CForeignCmdExecBase::get_UseExistingFiles()) {
    SetString(clientEntity, ZyEntities::ClientEntity::clientName, CForeignHandlerTSM::GetServerName());
    SetString(clientEntity, ZyEntities::ClientEntity::hostName, CForeignHandlerTSM::GetServerName());
  } else {
    SetString(clientEntity, ZyEntities::ClientEntity::clientName, GetHostName());
    SetString(clientEntity, ZyEntities::ClientEntity::hostName, EvDebug::getHostName());
  }
  if (!FillSettings(entry) || !SetTimeZone(client)) return false;
  if (!IsSet(client, App::Client::operatingSystem) && !PopulateOs(client, Platform, OSVersion)) return false;
  if (!AppendComponent(client, kComponentMasterServer, InstallDirectory)) return false;
  SetString(client, App::Client::field3, "2");
  SetString(client, App::Client::installDirectory, InstallDirectory);
  return true;
}

bool TSMClientInfo::BuildMediaServerInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, App::ClientInfo::client);
  if (!AppendComponent(client, kComponentMediaServer, InstallDirectory)) return false;
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, App::Client::clientEntity);
  if (clientEntity == nullptr) return false;
  if (!IsSet(clientEntity, ZyEntities::ClientEntity::clientName))
    SetString(clientEntity, ZyEntities::ClientEntity::clientName, GetHostName());
  if (!IsSet(clientEntity, ZyEntities::ClientEntity::hostName))
    SetString(clientEntity, ZyEntities::ClientEntity::hostName, EvDebug::getHostName());
  if (!IsSet(client, App::Client::installDirectory))
    SetString(client, App::Client::installDirectory, InstallDirectory);
  if (!IsSet(client, App::Client::timeZone) && !SetTimeZone(client)) return false;
  if (!IsSet(client, App::Client::operatingSystem) && !PopulateOs(client, Platform, OSVersion)) return false;
  if (!IsSet(client, App::Client::field3)) SetString(client, App::Client::field3, "2");
  return true;
}

bool TSMClientInfo::BuildPodInfo(App::ClientInfo* entry) {
  App::Client* client = Object<App::Client>(entry, App::ClientInfo::client);
  auto* clientEntity = Object<ZyEntities::ClientEntity>(client, App::Client::clientEntity);
  if (clientEntity == nullptr) return false;
  SetString(clientEntity, ZyEntities::ClientEntity::clientName, NodeName);
  SetString(clientEntity, ZyEntities::ClientEntity::hostName, Hostname);
  if (!AppendComponent(client, kComponentNodeFirst, InstallDirectory) ||
      !AppendComponent(client, kComponentNodeSecond, InstallDirectory)) {
    return false;
  }
  SetInt(client, App::Client::field18, 2);
  if (!PopulateOs(client, Platform, OSVersion)) return false;
  SetString(client, App::Client::field3, "2");
  SetString(client, App::Client::installDirectory, InstallDirectory);
  return SetPodInfo(client);
}

bool TSMClientInfo::SetPodInfo(App::Client* client) {
  auto* pod = AppendNew<App::PodInfo>(client, App::Client::pods);
  auto* appEntity = Object<ZyEntities::AppEntity>(pod, App::PodInfo::appEntity);
  if (appEntity == nullptr) return false;
  std::string agentName;
  int agentType = CForeignHandlerTSM::getZYAppType(OSVersion, Platform, agentName);
  SetInt(appEntity, ZyEntities::AppEntity::appType, agentType);
  SetString(appEntity, ZyEntities::AppEntity::appName, agentName);
  SetInt(pod, App::PodInfo::field2, 8192);
  return SetPodInstance(pod, ExistingObject<App::OperatingSystem>(client, App::Client::operatingSystem));
}

bool TSMClientInfo::SetPodInstance(App::PodInfo* pod, App::OperatingSystem* os) {
  auto* instance = AppendNew<App::InstanceInfo>(pod, App::PodInfo::instances);
  auto* entity = Object<ZyEntities::InstanceEntity>(instance, App::InstanceInfo::instanceEntity);
  if (entity == nullptr) return false;
  SetString(entity, ZyEntities::InstanceEntity::instanceName, "DefaultInstanceName");
  return SetPodBackupset(instance, os);
}

bool TSMClientInfo::SetPodBackupset(App::InstanceInfo* instance, App::OperatingSystem* os) {
  auto* backupSet = AppendNew<App::BackupSetInfo>(instance, App::InstanceInfo::backupSets);
  auto* entity = Object<ZyEntities::BackupSetEntity>(backupSet, App::BackupSetInfo::backupSetEntity);
  if (entity == nullptr) return false;
  SetString(entity, ZyEntities::BackupSetEntity::backupSetName, "defaultBackupSet");
  SetInt(backupSet, App::BackupSetInfo::field2, 8);

  // Without an operating system the family reads empty: not Unix.
  const std::string family = os == nullptr ? std::string() : GetString(os, App::OperatingSystem::osFamily);
  const std::string root = compareNoCase(family, "Unix") == 0 ? "/" : "\\";
  for (const auto& [name, field6] : {std::pair<const char*, long long>{"default", 8}, {"OnDemand", 2}}) {
    App::SubClientInfo* subclient = AppendSubclient(backupSet, name, field6);
    if (subclient == nullptr ||
        !AppendAttributeEx(List(subclient, App::SubClientInfo::content), nullptr, kContentEntry, root)) {
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
    CNMessageList* content = List(subclient, App::SubClientInfo::content);
    for (std::string object : schedule.getObjects()) {
      if (!object.empty() && object.back() == '*') object += kWildcardSuffix;
      if (!AppendAttributeEx(content, nullptr, kContentEntry, object)) return false;
    }
    CNMessageList* properties = List(subclient, App::SubClientInfo::properties);
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
