// The server name (CTSMMasterServer, from a gathered ixr_server.txt) and
// the version probe (CTSMConfigFetcher, ixr_tsmconfig.txt as a live run
// leaves it) on any files.
//
// Input: the server file, kFileSeparator, the version file.
#include <cstdint>
#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "handler/CForeignHandlerTSMConfig.h"
#include "handler/TSMCommands.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

bool IsTrimmed(const std::string& name) {
  const std::string ends = " \r\n";
  return ends.find(name.front()) == std::string::npos && ends.find(name.back()) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  const std::string input = fuzzsupport::AsString(data, size);
  const std::vector<std::string> files = fuzzsupport::SplitFiles(input, 2);
  fuzzsupport::WriteScratchFile(tsmcmd::kServerFile, files[0]);
  fuzzsupport::WriteScratchFile(tsmcmd::kConfigFile, files[1]);

  fuzzsupport::UseExistingFiles(true);
  std::string serverName;
  CTSMMasterServer server;
  Check(server.FetchData(&serverName), "the server name is always found", input);
  Check(!serverName.empty() && IsTrimmed(serverName), "a trimmed, non-empty server name", input);

  fuzzsupport::UseExistingFiles(false);
  TSMVersionInfo info;
  CTSMConfigFetcher version;
  if (!version._ParseData(&info, std::string(tsmcmd::kConfigFile))) {
    Check(info.version == -1 && info.release == -1, "a failed probe sets no version", input);
  }
  return 0;
}
