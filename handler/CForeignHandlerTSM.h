// The handler the host creates for one discovery job and whose operations
// it calls one at a time on one thread. The operations are defined in the
// folders of their subsystems (clients/, schedules/, storage/, jobs/).
//
// Ownership: the host owns the handler and the configuration message; every
// operation builds its fetchers and replies on its own stack. m_clients
// lives from DiscoverClients to DiscoverJobs and is only appended to;
// m_serverName is shared by all handlers of the process.
//
// The node and job records the handler keeps belong to their subsystems,
// so this header only names them: the constructors and the destructor are
// defined in plugin/CForeignHandlerTSMLifecycle.cpp, which sees both, and
// code that reads clients() includes clients/TSMClientInfo.h.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignHandlerBase.h"

#define TSM_PLUGIN_API __attribute__((visibility("default")))

namespace App {
class OperatingSystem;
}  // namespace App

class TSMClientInfo;
class CTSMJobInfo;

// True when `hostName` is the local machine's host name, in any letter
// case; false when the host name cannot be read
// (clients/CForeignHandlerTSMOsMap.cpp).
bool is_MasterServer(std::string hostName);

class TSM_PLUGIN_API CForeignHandlerTSM : public CForeignHandlerBase {
 public:
  CForeignHandlerTSM();
  explicit CForeignHandlerTSM(long long value);
  ~CForeignHandlerTSM() override;

  bool DiscoverConfig(CNMessageBase* config) override;
  bool DiscoverStoragePolicies(CNMessageBase* config) override;
  bool DiscoverClients(CNMessageBase* config) override;
  bool DiscoverJobs(CNMessageBase* config) override;
  bool DiscoverMedia(CNMessageBase* config) override;
  bool DiscoverSchedule(CNMessageBase* config) override;
  bool RetrieveMetadata() override;
  bool DoRestore(CNMessageBase* request) override;
  using CForeignHandlerBase::GetResourcesForBackup;
  bool GetResourcesForBackup(std::vector<ArchFileListByTimeElement_t>& resources) override;

  // Server identity and naming.
  static std::string GetServerName();
  static std::string GenerateZyphorName();
  static std::string GenerateCompositeName(const std::string& name);
  static std::string GetCustomerDBPath();

  // Operation steps shared by DiscoverConfig and DiscoverClients
  // (CForeignHandlerTSMConfig.cpp).
  //
  // Builds the FDC::DiscoveryError password verification status (error
  // code 0 "No errors" when `passed`, else 2 "DB access password
  // validation failed") and sends it to the host. A send failure is logged
  // as a DebugJob line of `function`; returns false then. Sends nothing and
  // returns true when hostExchangeDisabled is set.
  bool SendPasswordVerificationStatus(bool passed, const char* function);
  // The version probe: m_tsmVersion and m_tsmRelease become -1, then a
  // CTSMConfigFetcher with `admin`'s credentials and `binaryPath` (also
  // remembered process-wide) fills them. Logs the outcome; returns whether
  // the probe succeeded. A failed probe leaves both at -1.
  bool ProbeServerVersion(const TSMAdminInfo& admin, const std::string& binaryPath);

  // Date and time conversion.
  static void DateTimeToUnixTime(std::string text, tm* date, tm* time);
  static unsigned int StrToUnixTime(std::string text);
  static long long GetUnixStartTime(tm* time);
  static long long GetUnixStartDate(tm* date);

  // Operating-system and agent-type mapping (clients/CForeignHandlerTSMOsMap.cpp).
  // Fills osType, osFamily, osFlavour, osVersion and osDetail of `os`;
  // platforms and levels outside the known ones give the "Any" row. A null
  // `os` is ignored.
  static void PopulateOsInfo(App::OperatingSystem* os, const std::string& platform,
                             const std::string& osLevel);
  // Agent type code and, in `name`, its display name for a TSM platform;
  // 130 "Other External Agent" for unknown platforms. `osLevel` is unused.
  static int getZYAppType(std::string osLevel, std::string platform, std::string& name);

  // Job mappings (jobs/CForeignHandlerTSMJobs_Impl.cpp), TSM words in any
  // letter case. Status: "YES" 1, anything else 2. Backup level:
  // "Incremental" and "Inc" 2, anything else 1.
  static int MapJobStatus_TSMToZY(const std::string& successful);
  static int MapBackupType_TSMToZY(const std::string& action);

  // Storage word mappings (storage/StorageMaps.cpp); TSM words compare in
  // any letter case, unknown words give the last code named.
  // Host storage type of a TSM library: 1 for every type.
  static int MapStorageType_TSMToZY(std::string libType);
  // Library controller: RSM 2, MANUAL and any other 1.
  static int MapLibraryController_TSMToZY(std::string libType);
  // Host drive type of a TSM device type; 221 for unknown types.
  static int MapDriveType_TSMToZY(std::string deviceType);
  // 1 for ONLINE, else 0.
  static int MapDriveStatus_TSMToZY(const std::string& status);
  // Media type of a device class name: DISK and FILE 2, any other 1.
  static int MapMediaType_TSMToZY(std::string deviceClass);

  // Read-only views for tests and the job discovery.
  const std::vector<TSMClientInfo>& clients() const { return m_clients; }
  unsigned int get_jobsPerReply() const { return jobsPerReply; }
  int get_tsmVersion() const { return m_tsmVersion; }
  int get_tsmRelease() const { return m_tsmRelease; }

  // Shared with the fetcher that reads it (CTSMMasterServer).
  static std::string m_serverName;

 private:
  unsigned int jobsPerReply;
  std::vector<TSMClientInfo> m_clients;
  std::vector<CTSMJobInfo> m_jobs;
  int m_tsmVersion = -1;
  int m_tsmRelease = -1;
};

// Factory for hosts that load the plug-in with dlopen.
extern "C" {
TSM_PLUGIN_API CForeignHandlerBase* CreateForeignHandlerTSM();
TSM_PLUGIN_API CForeignHandlerBase* CreateForeignHandlerTSMWithValue(long long value);
TSM_PLUGIN_API void DestroyForeignHandlerTSM(CForeignHandlerBase* handler);
}
