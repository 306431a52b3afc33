// One TSM node as the node query reads it, with the builders that turn it
// into a host client entry. Plain value class, stored by value in vectors.
#pragma once

#include <string>

#include "handler/TSMAdminInfo.h"

namespace App {
class ClientsList;
class ClientInfo;
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

  // Client hierarchy builders (CForeignHandlerTSMClientBuilder.cpp).
  // Each returns false when a part of the entry could not be built.
  bool BuildHierarchy(App::ClientsList* list);
  bool BuildMasterServerInfo(App::ClientInfo* entry);
  bool BuildMediaServerInfo(App::ClientInfo* entry);

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
