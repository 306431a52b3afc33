// End to end: the sample site's jobs discovered live (tsm-discover demo,
// simulator) and from the checked-in replay set are the same, node LAB_01
// included, whose name holds a LIKE wildcard.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "host/HandOver.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;
using namespace zyfields;

const CNMessageBase* Sub(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->object.get();
}

// "node|subclient|description|size" of every job handed over in `dir`, sorted.
std::vector<std::string> Jobs(const std::string& dir) {
  std::vector<std::string> jobs;
  for (const std::string& name : ListDir(dir)) {
    if (name.find("FDC.JobList") == std::string::npos) continue;
    std::unique_ptr<CNMessageBase> list = zyhost::ReadMessageXml(dir + "/" + name);
    const CNMessageBase::Field* field = list ? list->findField(FDC::JobList::jobs.index) : nullptr;
    for (size_t i = 0; field != nullptr && field->list != nullptr && i < field->list->size(); ++i) {
      const CNMessageBase* job = field->list->at(i);
      const CNMessageBase* subclient = Sub(job, FDC::JobInfo::subclient);
      const CNMessageBase* summary = Sub(job, FDC::JobInfo::summary);
      const CNMessageBase* detail = Sub(Sub(job, FDC::JobInfo::detail), FDC::JobDetail::backupDetail);
      if (subclient == nullptr || summary == nullptr || detail == nullptr) {
        jobs.push_back("incomplete job in " + name);
        continue;
      }
      jobs.push_back(GetString(subclient, ZyEntities::SubclientEntity::clientName) + "|" +
                     GetString(subclient, ZyEntities::SubclientEntity::subclientName) + "|" +
                     GetString(summary, FDC::JobSummary::description) + "|" +
                     std::to_string(GetInt(detail, FDC::BackupJobDetail::field35)));
    }
  }
  std::sort(jobs.begin(), jobs.end());
  return jobs;
}

TEST(JobsEndToEndTest, LiveAndReplayGiveTheSameJobsForWildcardNames) {
  TempDir tmp;
  ProgramResult live =
      RunProgram({BinDir() + "/tsm-discover", "demo", "--out", tmp.file("live"), "--work", tmp.file("work")});
  ASSERT_EQ(live.status, 0) << live.out << live.err;
  ScopedEnv password("TSM_PASSWORD", "Orbit7-Demo");
  ProgramResult replay =
      RunProgram({BinDir() + "/tsm-discover", "run", "--replay", SourceDir() + "/samples/replay", "--login",
                  "ADMIN", "--out", tmp.file("replay"), "--only", "config,clients,jobs"});
  ASSERT_EQ(replay.status, 0) << replay.out << replay.err;

  const std::vector<std::string> jobs = Jobs(tmp.file("live"));
  EXPECT_EQ(jobs, Jobs(tmp.file("replay")));
  std::map<std::string, int> perNode;
  for (const std::string& job : jobs) ++perNode[job.substr(0, job.find('|'))];
  EXPECT_EQ(perNode["LAB_01"], 1);
  EXPECT_EQ(perNode["LABX01"], 2);
  EXPECT_EQ(jobs.size(), 19u);  // the BACKUP rows of the sample site's summary
}

}  // namespace
