// Schedule discovery end to end: tsm-discover runs the client and schedule
// discovery against the dsmadmc simulator serving the sample site, or over
// the replay set gathered from it. Tasks are checked in the handed-over XML.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XmlQuery.h"

namespace {

using namespace testsupport;

const std::string kTask = "/message[@type='TMMsg::CreateTaskReq']/field[@name='taskDefinition']/message/";

// One line per schedule of the sample site: task name without its domain
// suffix, number of subtasks, the associated nodes.
const char kSiteTasks[] =
    "DB2DOM_DB2_NIGHTLY 1 DBAIX01\n"
    "DB2DOM_UNUSED_SCHED 1 \n"
    "STANDARD_DAILY_INCR 1 VEGA,WEB01,LAB_01,LABX01,MAILSUN\n"
    "STANDARD_HOURLY_LOGS 1 WEB01\n"
    "STANDARD_MONTHLY_IMG 1 DBAIX01\n"
    "STANDARD_ONCE_MIGRATE 1 STUDIO-MAC\n"
    "STANDARD_WEEKLY_SEL 1 WEB01,MAILSUN,STUDIO-MAC\n"
    "STANDARD_YEARLY_AUDIT 1 LAB_01\n"
    "STANDARD_YEARLY_FULL 1 MAILSUN,DBAIX01\n"
    "WINDOWS_WIN_FISCAL 2 APPSRV02,FILESRV01\n"
    "WINDOWS_WIN_HALFYEAR 2 FILESRV01\n"
    "WINDOWS_WIN_MIDMONTH 12 APPSRV02\n"
    "WINDOWS_WIN_MONTHEND 1 FILESRV01\n"
    "WINDOWS_WIN_NIGHTLY 1 FILESRV01,APPSRV02\n"
    "WINDOWS_WIN_QUARTER 20 APPSRV02\n"
    "WINDOWS_WIN_WEEKEND 1 FILESRV01\n";

class SchedulesEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FileExists(BinDir() + "/tsm-discover") || !FileExists(BinDir() + "/dsmadmc")) {
      GTEST_SKIP() << "tsm-discover or the dsmadmc simulator is not built";
    }
    WriteFile(work_.file("dsmadmc"), ReadFile(BinDir() + "/dsmadmc"));
    ::chmod(work_.file("dsmadmc").c_str(), 0755);
    WriteFile(work_.file("dsmadmc-sim.site"), SourceDir() + "/samples/site\n");
    WriteFile(work_.file("password"), "Orbit7-Demo\n");
  }

  // tsm-discover run --only `only` with `extra` options; the hand-over
  // file names, blank-separated, after checking the exit status.
  std::string Run(const std::string& only, std::vector<std::string> extra) {
    std::vector<std::string> argv = {
        BinDir() + "/tsm-discover", "run",   "--login",   "ADMIN",  "--password-file",
        work_.file("password"),     "--out", out_.path(), "--only", only};
    argv.insert(argv.end(), extra.begin(), extra.end());
    ProgramResult run = RunProgram(argv, work_.path());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::string files;
    for (const std::string& f : ListDir(out_.path()))
      files += f.find(".xml") != std::string::npos ? f + " " : "";
    return files;
  }

  // kSiteTasks as read from the task files, in hand-over order.
  std::string Tasks() {
    std::string tasks;
    for (const std::string& f : ListDir(out_.path())) {
      if (f.find("TMMsg.CreateTaskReq") == std::string::npos) continue;
      const std::string name =
          Texts(out_.file(f), kTask + "field[@name='taskHeader']//field[@name='taskName']");
      const std::string subTasks =
          Texts(out_.file(f), kTask + "field[@name='subTasks']//field[@name='subTaskName']", "\n");
      const long count = subTasks.empty() ? 0 : 1 + std::count(subTasks.begin(), subTasks.end(), '\n');
      tasks += name.substr(0, name.rfind("_TSM_")) + " " + std::to_string(count) + " " +
               Texts(out_.file(f), kTask + "field[@name='associations']/message/field[@name='clientName']") +
               "\n";
    }
    return tasks;
  }

  ScopedEnv noSite_{"DSMADMC_SIM_SITE", nullptr};
  TempDir work_, out_;
};

TEST_F(SchedulesEndToEnd, LiveAndReplayHandOverOneTaskPerBackupScheduleAfterTheClients) {
  std::string expected = "000001-App.ClientsList.xml ";
  for (int n = 2; n <= 17; ++n)
    expected += (n < 10 ? "00000" : "0000") + std::to_string(n) + "-TMMsg.CreateTaskReq.xml ";
  ASSERT_EQ(Run("clients,schedules", {"--dsmadmc-dir", work_.path()}), expected);
  EXPECT_EQ(Tasks(), kSiteTasks);
  RemoveTree(out_.path());
  ASSERT_EQ(Run("clients,schedules", {"--replay", SourceDir() + "/samples/replay"}), expected);
  EXPECT_EQ(Tasks(), kSiteTasks);
}

TEST_F(SchedulesEndToEnd, RegistrySwitchRunsNoDsmadmc) {
  WriteFile(work_.file("registry.ini"), "[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /gathered\n");
  ScopedEnv simLog("DSMADMC_SIM_LOG", work_.file("runs.log").c_str());
  EXPECT_EQ(Run("schedules", {"--dsmadmc-dir", work_.path(), "--registry", work_.file("registry.ini")}), "");
  EXPECT_FALSE(FileExists(work_.file("runs.log")));
}

}  // namespace
