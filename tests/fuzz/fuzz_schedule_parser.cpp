// The schedule query (CTSMPolicy) with its association queries
// (CTSMAssoc), from gathered ixr_sched.txt and ixr_assoc.txt, on any
// files. Kept schedules are backup schedules, one at most per line, with
// no empty file pattern.
//
// Input: the schedule file, kFileSeparator, the association file.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "handler/TSMCommands.h"
#include "schedules/CForeignHandlerTSMPolicy.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "tests/fuzz/FuzzSupport.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  fuzzsupport::UseExistingFiles(true);
  const std::string input = fuzzsupport::AsString(data, size);
  const std::vector<std::string> files = fuzzsupport::SplitFiles(input, 2);
  fuzzsupport::WriteScratchFile(tsmcmd::kScheduleFile, files[0]);
  fuzzsupport::WriteScratchFile(tsmcmd::kAssocFile, files[1]);

  std::vector<CTSMSchedule> records;
  CTSMPolicy policy;
  policy.FetchData(&records);
  Check(records.size() <= fuzzsupport::MaxLines(files[0]), "at most one schedule per line", input);
  for (const CTSMSchedule& record : records) {
    Check(IsTSMBackupAction(record.getSubTaskType()), "only backup schedules", input);
    const CTSMSchedule::StringList objects = record.getObjects();
    Check(std::count(objects.begin(), objects.end(), std::string()) == 0, "no empty file pattern", input);
  }
  return 0;
}
