// Operating-system and agent-type mapping of TSM platform names, and the
// two tests that tell the TSM server machine and the local machine apart.
#include <unistd.h>

#include <cstring>

#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"

namespace {

using namespace zyfields;

struct OsRow {
  const char* platform;
  const char* level;  // null: any level
  long long osType;
  const char* family;
  const char* flavour;
  const char* version;
};

// Searched in order; the level is only looked at where a row names one.
// Current x86-64 Linux clients report "Linux x86-64" where older ones said
// "Linux86" (docs/notes.md, "Platform names"): the same rows.
constexpr OsRow kOsRows[] = {
    {"Linux86", nullptr, 25, "Unix", "Linux", "Any"},
    {"Linux x86-64", nullptr, 25, "Unix", "Linux", "Any"},
    {"WinNT", "5.02", 34, "Windows", "Server", "5.2"},
    {"WinNT", "5.00", 3, "Windows", "Server", "5.0"},
    {"WinNT", "6.00", 65, "Windows", "Server", "6.0"},
    {"WinNT", "6.01", 65, "Windows", "Server", "6.0"},
    {"WinNT", nullptr, 21, "Windows", "Server", "Any"},
    {"AIX", nullptr, 36, "Unix", "AIX", "Any"},
    {"SUN SOLARIS", nullptr, 23, "Unix", "Solaris", "Any"},
};
constexpr OsRow kOtherOs = {"", nullptr, 0, "Any", "Any", "Any"};

struct AgentRow {
  const char* platform;
  int code;
  const char* name;
};

constexpr AgentRow kAgentRows[] = {
    {"Linux86", 29, "Linux File System"},       {"Linux x86-64", 29, "Linux File System"},
    {"WinNT", 33, "Windows File System"},       {"AIX", 21, "AIX File System"},
    {"SUN SOLARIS", 19, "Solaris File System"},
};
constexpr AgentRow kOtherAgent = {"", 130, "Other External Agent"};

const OsRow& FindOsRow(const std::string& platform, const std::string& osLevel) {
  for (const OsRow& row : kOsRows) {
    if (compareNoCase(platform, row.platform) != 0) continue;
    if (row.level == nullptr || compareNoCase(osLevel, row.level) == 0) return row;
  }
  return kOtherOs;
}

}  // namespace

void CForeignHandlerTSM::PopulateOsInfo(App::OperatingSystem* os, const std::string& platform,
                                        const std::string& osLevel) {
  if (os == nullptr) return;
  const OsRow& row = FindOsRow(platform, osLevel);
  SetInt(os, App::OperatingSystem::osType, row.osType);
  SetString(os, App::OperatingSystem::osFamily, row.family);
  SetString(os, App::OperatingSystem::osFlavour, row.flavour);
  SetString(os, App::OperatingSystem::osVersion, row.version);
  // The TSM words as reported, so nothing the table drops is lost.
  App::OsDetail* detail = Object<App::OsDetail>(os, App::OperatingSystem::osDetail);
  if (detail == nullptr) return;
  SetString(detail, App::OsDetail::platform, platform);
  SetString(detail, App::OsDetail::osLevel, osLevel);
}

int CForeignHandlerTSM::getZYAppType(std::string /*osLevel*/, std::string platform, std::string& name) {
  const AgentRow* match = &kOtherAgent;
  for (const AgentRow& row : kAgentRows) {
    if (compareNoCase(platform, row.platform) == 0) {
      match = &row;
      break;
    }
  }
  name = match->name;
  return match->code;
}

bool TSMClientInfo::is_MasterServer(const std::string& nodeName) const {
  return compareNoCase(CForeignHandlerTSM::GetServerName(), nodeName) == 0;
}

bool is_MasterServer(std::string hostName) {
  // 64 characters and the terminator: the longest host name Linux allows
  // must still fit, or a server with such a name would never match.
  char buffer[65];
  std::memset(buffer, 0, sizeof(buffer));
  // An unreadable host name matches nothing rather than an empty name.
  if (gethostname(buffer, sizeof(buffer)) != 0) return false;
  buffer[sizeof(buffer) - 1] = '\0';
  return compareNoCase(buffer, hostName) == 0;
}
