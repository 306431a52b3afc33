// The per-node schedule query (CTSMClientSchedule) on any files, live (its
// own output) and replayed (the gathered full listing, each schedule's
// node checked through the association file). The replayed schedules are
// the live ones whose association names the node, so their names come in
// the same order as a part of the live ones.
//
// Input: the schedule file, kFileSeparator, the association file,
// kFileSeparator, the node name.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "handler/TSMCommands.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;
using Names = std::vector<std::pair<std::string, std::string>>;

// Domain and schedule names of what one fetch found; false when it failed.
bool Fetch(const std::string& node, bool replay, Names* names, const std::string& input) {
  fuzzsupport::UseExistingFiles(replay);
  CTSMClientSchedule fetcher;
  fetcher.SetNodeName(node);
  const bool ok =
      replay ? fetcher.FetchData(nullptr) : fetcher._ParseData(nullptr, std::vector<std::string>());
  for (const CTSMSchedule& record : *fetcher.getSchedules()) {
    Check(!record.getObjects().empty(), "a schedule always has a file pattern", input);
    names->emplace_back(record.getPolicyDomain(), record.getSchedName());
  }
  return ok;
}

bool IsInOrderPartOf(const Names& part, const Names& whole) {
  size_t at = 0;
  for (const auto& name : whole) {
    if (at < part.size() && part[at] == name) ++at;
  }
  return at == part.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  const std::string input = fuzzsupport::AsString(data, size);
  const std::vector<std::string> parts = fuzzsupport::SplitFiles(input, 3);
  fuzzsupport::WriteScratchFile(tsmcmd::kScheduleFile, parts[0]);
  fuzzsupport::WriteScratchFile(tsmcmd::kAssocFile, parts[1]);

  Names live;
  Names replayed;
  const bool liveOk = Fetch(parts[2], false, &live, input);
  Fetch(parts[2], true, &replayed, input);
  Check(live.size() <= fuzzsupport::MaxLines(parts[0]), "at most one schedule per line", input);
  if (liveOk) Check(IsInOrderPartOf(replayed, live), "replayed schedules are live ones", input);
  return 0;
}
