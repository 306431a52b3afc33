// The job query parser (CTSMJobInfoFetcher) on any output file, live (four
// header lines dropped) and replayed: at most one job per line, a policy
// name always, and the live records are the replayed ones without those
// of the first four lines.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/ProcessLauncher.h"
#include "jobs/CForeignHandlerTSMJob.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

// The parser runs the node's schedule query for its log line; live, that
// program "cannot start" here.
class NotStartedLauncher : public ProcessLauncher {
 public:
  LaunchResult Run(const std::vector<std::string>&, int) override { return LaunchResult(); }
};

std::vector<std::string> Jobs(bool replay, const std::string& input) {
  fuzzsupport::UseExistingFiles(replay);
  CTSMJobInfoFetcher fetcher;
  fetcher.set_nodeName("WEB01");
  const std::string path = fuzzsupport::WriteScratchFile(fetcher._GetFileNameForData(), input);
  std::vector<CTSMJobInfo> records;
  fetcher._ParseData(&records, path);
  std::vector<std::string> starts;
  for (const CTSMJobInfo& job : records) {
    Check(!job.get_policyName().empty(), "a job has a policy name", input);
    starts.push_back(job.get_startTime());
  }
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  static NotStartedLauncher launcher;
  CForeignCmdExecBase::SetProcessLauncher(&launcher);
  const std::string input = fuzzsupport::AsString(data, size);

  const std::vector<std::string> replayed = Jobs(true, input);
  const std::vector<std::string> live = Jobs(false, input);
  Check(replayed.size() <= fuzzsupport::MaxLines(input), "at most one job per line", input);
  Check(live.size() <= replayed.size(), "live drops only header lines", input);
  Check(std::equal(live.rbegin(), live.rend(), replayed.rbegin()), "live jobs are the last replayed ones",
        input);
  return 0;
}
