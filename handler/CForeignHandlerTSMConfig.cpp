// Configuration discovery (instance options exchange and password
// decryption) and the TSM server version probe.
#include "handler/CForeignHandlerTSMConfig.h"

#include <string.h>

#include <cstdlib>
#include <ctime>
#include <memory>

#include "handler/CForeignHandlerTSM.h"
#include "handler/DsmOutputReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZYFile.h"
#include "host/ZYPassword.h"
#include "host/ZyUtil.h"

using namespace zyfields;

namespace {

constexpr const char* kConfigFunction = "CForeignHandlerTSM::DiscoverConfig";
constexpr int kTimeoutSeconds = 600;
// Encrypted passwords are as secret as plain ones: log lines show this.
constexpr const char* kHiddenSecret = "****";

// Codes the host expects in the list (20, 62), in this order.
constexpr int kConfigCodes[] = {1, 4, 3, 5, 2};

// Plain text of `encrypted`, or false after logging why not. The buffer
// that held the plain text is wiped before it is freed.
bool DecryptPassword(const std::string& encrypted, long long jobId, std::string* plain) {
  EvEvent log;
  ZYPassword password;
  unsigned long length = 0;
  if (password.decrypt(encrypted.c_str(), nullptr, &length) != 1) {
    log.DebugJob(kConfigFunction, jobId,
                 "Unable to calculate password length. Error code [%d], encrypted password [%s].",
                 password.getLastError(), kHiddenSecret);
    return false;
  }
  std::vector<char> buffer(length + 1, '\0');
  bool ok = password.decrypt(encrypted.c_str(), buffer.data(), &length) == 1;
  if (ok) {
    buffer.back() = '\0';
    plain->assign(buffer.data());
  } else {
    log.DebugJob(kConfigFunction, jobId,
                 "Unable to decrypt password. Error code [%d], encrypted password [%s].",
                 password.getLastError(), kHiddenSecret);
  }
  explicit_bzero(buffer.data(), buffer.size());
  return ok;
}

// Copies the instance options of the host's answer into `config`.
void CopyInstanceOptions(CNMessageBase& answer, CNMessageBase* config) {
  using Config = FDC::ExternalNBUConfig;
  SetInt(config, Config::field58, GetInt(&answer, Config::field58));
  SetInt(config, Config::field59, GetInt(&answer, Config::field59));
  SetInt(config, Config::field61, GetInt(&answer, Config::field61));
  SetInt(config, Config::field60, GetInt(&answer, Config::field60));
  const FieldRef ulongs = Config::field75;
  config->setlistulong(ulongs.index, ulongs.id,
                       IsSet(&answer, ulongs) ? ULongList(&answer, ulongs) : nullptr);
  SetString(config, Config::field76, GetString(&answer, Config::field76));
  if (IsSet(&answer, Config::adminLogin))
    SetString(config, Config::adminLogin, GetString(&answer, Config::adminLogin));
}

}  // namespace

bool CForeignHandlerTSM::DiscoverConfig(CNMessageBase* config) {
  EvEvent log;
  const long long jobId = GetJobId();
  if (config == nullptr) {
    log.Error("DiscoverConfig", "No configuration message given");
    return false;
  }

  std::vector<int>* codes = IntList(config, FDC::ExternalNBUConfig::field62);
  codes->insert(codes->end(), std::begin(kConfigCodes), std::end(kConfigCodes));

  if (!hostExchangeDisabled) {
    FDC::ExternalNBUConfig request;
    bool sent = false;
    CKaError error = _SendMessage(request, 0, sent, kTimeoutSeconds);
    if (error.IsError()) {
      log.DebugJob(kConfigFunction, jobId, "Unable to send instance options request. Error [%d]-[%s]",
                   error.GetErrorCode(), error.AsString().c_str());
    } else {
      log.DebugJob(kConfigFunction, jobId, "Instance property request successfully sent.");
      bool received = false;
      std::unique_ptr<CNMessageBase> answer(
          _ReceiveMessage(FDC::ExternalNBUConfig::Signature(), received, kTimeoutSeconds));
      if (answer == nullptr) {
        log.DebugJob(kConfigFunction, jobId,
                     "Unable to recieve instance options request. FDC Manager not responded in [60] "
                     "seconds.");
      } else {
        log.DebugJob(kConfigFunction, jobId, "Instance property response received successfully.");
        CopyInstanceOptions(*answer, config);
        std::string plain;
        const FieldRef password = FDC::ExternalNBUConfig::adminPassword;
        if (IsSet(answer.get(), password) &&
            DecryptPassword(GetString(answer.get(), password), jobId, &plain)) {
          SetString(config, password, plain);
          explicit_bzero(plain.data(), plain.size());
          log.DebugLvl(kConfigFunction, 4, jobId, "Instance password property decrypted successfully.");
          SendPasswordVerificationStatus(true, kConfigFunction);
        }
      }
    }
  }

  SetString(config, FDC::ExternalNBUConfig::binaryPath, "");
  return true;
}

bool CForeignHandlerTSM::SendPasswordVerificationStatus(bool passed, const char* function) {
  if (hostExchangeDisabled) return true;
  FDC::DiscoveryError status;
  SetInt(&status, status.reportTime, static_cast<long long>(time(nullptr)));
  SetInt(&status, status.errorCode, passed ? 0 : 2);
  SetString(&status, status.errorText, passed ? "No errors" : "DB access password validation failed");
  SetInt(&status, status.jobId, GetJobId());
  SetString(&status, status.hostName, GetHostName());
  SetInt(&status, status.field3, 7);
  bool sent = false;
  CKaError error = _SendMessage(status, 0, sent, kTimeoutSeconds);
  if (!error.IsError()) return true;
  EvEvent log;
  log.DebugJob(function, GetJobId(), "Unable to send password verification status. Error [%d]-[%s]",
               error.GetErrorCode(), error.AsString().c_str());
  return false;
}

bool CForeignHandlerTSM::ProbeServerVersion(const TSMAdminInfo& admin, const std::string& binaryPath) {
  EvEvent log;
  m_tsmVersion = -1;
  m_tsmRelease = -1;
  CTSMConfigFetcher fetcher;
  fetcher.SetLogin(admin.login);
  fetcher.SetPassword(admin.password);
  fetcher.set_BinaryPath(binaryPath, true);
  fetcher.set_JobId(GetJobId());
  TSMVersionInfo info;
  if (!fetcher.FetchData(&info)) {
    log.Error("DiscoverClients", "Failed to collect version information for TSM server");
    return false;
  }
  m_tsmVersion = info.version;
  m_tsmRelease = info.release;
  log.DebugLvl("CForeignHandlerTSM::DiscoverClients", 4, GetJobId(), "Running on TSM Version [%d].[%d]",
               m_tsmVersion, m_tsmRelease);
  return true;
}

CTSMConfigFetcher::CTSMConfigFetcher() : CForeignCmdExecBase(kCommunicationMethod1) {}

std::string CTSMConfigFetcher::_GetCommandLine() {
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::kVersionSelect, /*dataOnly=*/true);
}

const char* CTSMConfigFetcher::_GetFileNameForData() const { return tsmcmd::kConfigFile; }

bool CTSMConfigFetcher::_ParseData(void* out, const std::string& fileName) {
  EvEvent log;
  const char* function = "CTSMConfigFetcher::_ParseData";
  auto* info = static_cast<TSMVersionInfo*>(out);
  const bool existing = get_UseExistingFiles();
  // The first data line: a client's banner or messages are not the answer.
  std::vector<std::string> tokens;
  bool found = false;
  const DsmReadEnd end =
      ReadDsmOutputFile(existing ? fileName : std::string(_GetFileNameForData()), dsmlayout::kDataOnly,
                        tsmsplit::SplitSelectLine, [&](const DsmRecord& line) {
                          tokens = line.fields;
                          found = true;
                          return false;
                        });
  if (existing && end == DsmReadEnd::kNotOpened) return true;
  if (!found) {
    log.DebugLvl(function, 3, "No lines found in ixr_tsmconfig.txt");
    return false;
  }
  if (tokens.size() > 1) {
    info->version = std::atoi(tokens[0].c_str());
    info->release = std::atoi(tokens[1].c_str());
    log.DebugLvl(function, 3, "TSM Server version [%d].[%d]", info->version, info->release);
    return true;
  }
  log.DebugLvl(function, 3,
               "Unexpected format of version string in ixr_tsmconfig.txt. Format should be "
               "[VERSION.RELEASE]");
  return false;
}
