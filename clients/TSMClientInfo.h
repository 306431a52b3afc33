// One TSM node as the node query reads it, with the builders that turn it
// into a host client entry. Plain value class, stored by value in vectors.
//
// The builders take the message to fill by pointer and never own it; they
// append copies of messages made on their own stack. Each returns false
// when a part of the entry could not be built (a null or mistyped message);
// nothing is appended to a list for a node whose build failed.
#pragma once

#include <string>

#include "handler/TSMAdminInfo.h"

class CNMessageList;

namespace App {
class ClientsList;
class ClientInfo;
class Client;
class PodInfo;
class InstanceInfo;
class BackupSetInfo;
class OperatingSystem;
}  // namespace App

class TSMClientInfo : public TSMAdminInfo {
 public:
  void set_NodeName(const std::string& v) { NodeName = v; }
  void set_Platform(const std::string& v) { Platform = v; }
  void set_OSVersion(const std::string& v) { OSVersion = v; }
  void set_ClientVersion(const std::string& v) { ClientVersion = v; }
  void set_Hostname(const std::string& v) { Hostname = v; }
  void set_Compression(const std::string& v) { Compression = v; }
  void set_CrossMount(const std::string& v) { CrossMount = v; }
  void set_InstallDirectory(std::string v) { InstallDirectory = std::move(v); }
  std::string get_NodeName() const { return NodeName; }
  std::string get_Hostname() const { return Hostname; }
  bool get_isMasterServer() const { return isMasterServer; }

  // True when `nodeName` is the TSM server's name in any letter case
  // (CForeignHandlerTSMOsMap.cpp).
  bool is_MasterServer(const std::string& nodeName) const;

  // Client hierarchy builders (CForeignHandlerTSMClientBuilder.cpp).
  //
  // Appends this node's entry to list.clients and sets isMasterServer. For
  // the TSM server's own node (without existing files) NodeName and
  // Hostname become the local host names and stay so.
  bool BuildHierarchy(App::ClientsList* list);
  // Master server part of an entry: client names, settings, time zone,
  // component 1.
  bool BuildMasterServerInfo(App::ClientInfo* entry);
  // Media server part: component 11 and whatever is still empty.
  bool BuildMediaServerInfo(App::ClientInfo* entry);
  // Client names, components 3 and 4, operating system and the agent.
  bool BuildPodInfo(App::ClientInfo* entry);
  // The file-system agent with its instance, backup set and subclients.
  bool SetPodInfo(App::Client* client);
  bool SetPodInstance(App::PodInfo* pod, App::OperatingSystem* os);
  bool SetPodBackupset(App::InstanceInfo* instance, App::OperatingSystem* os);
  // One subclient per schedule of the node; runs the per-node schedule
  // query. A failed query leaves the backup set as it is and is no error.
  bool SetPodSubclient(App::BackupSetInfo* backupSet);
  // Appends the four common properties of a schedule subclient.
  bool SetCommonAttributes(CNMessageList* properties);

  // DB2 agent (CForeignHandlerTSMDB2.cpp). Runs the DB2 select for this
  // node and adds one agent to client.pods when it found at least one
  // (instance, database) pair; false and the client unchanged otherwise.
  bool SetDB2PodInfo(App::Client* client);
  bool SetDB2PodInstance(App::PodInfo* pod);
  bool SetDB2PodBackupset(App::InstanceInfo* instance, std::string database);

  std::string NodeName;
  std::string Platform;
  std::string OSVersion;
  std::string ClientVersion;
  std::string Hostname;
  std::string Compression;
  std::string InstallDirectory;
  std::string CrossMount;
  bool isMasterServer = false;
};
