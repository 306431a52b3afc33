// The node query parser (CTSMClients) on any output file, as a live run
// leaves it. A second parse with the name of the first node found as the
// node filter must keep exactly the nodes of that name, in order, or read
// nothing when the name cannot stand in the query (it is refused).
//
// A parser harness in four steps, the pattern for every further parser:
// a Session, the mode (live or existing files), the input written under the
// output file name the parser opens, the parse plus what must hold.
#include <cstdint>
#include <string>
#include <vector>

#include "clients/CForeignHandlerTSMClient.h"
#include "handler/TSMCommands.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

std::vector<TSMClientInfo> Parse(const std::string& filter) {
  std::vector<TSMClientInfo> nodes;
  CTSMClients fetcher;
  fetcher.SetNodeName(filter);
  fetcher._ParseData(&nodes, std::vector<std::string>());
  return nodes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  fuzzsupport::UseExistingFiles(false);
  const std::string input = fuzzsupport::AsString(data, size);
  fuzzsupport::WriteScratchFile(tsmcmd::kNodeFile, input);

  const std::vector<TSMClientInfo> all = Parse("");
  Check(all.size() <= fuzzsupport::MaxLines(input), "at most one node per line", input);
  std::string name;
  for (const TSMClientInfo& node : all) {
    if (name.empty()) name = node.get_NodeName();
  }
  if (name.empty()) return 0;
  std::vector<std::string> expected;
  for (const TSMClientInfo& node : all) {
    if (node.get_NodeName() == name) expected.push_back(node.get_Hostname());
  }
  std::vector<std::string> filtered;
  for (const TSMClientInfo& node : Parse(name)) filtered.push_back(node.get_Hostname());
  if (!tsmcmd::IsCommandWord(name)) expected.clear();
  Check(filtered == expected, "the filter keeps the nodes of its name", input);
  return 0;
}
