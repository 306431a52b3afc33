// Schedule discovery end to end: tsm-discover runs the client and schedule
// discovery against the dsmadmc simulator serving the sample site, and over
// the replay set gathered from it. Tasks are read from the hand-over XML.
#include <gtest/gtest.h>

#include "tests/support/RunProgram.h"
#include "tests/support/XmlQuery.h"

namespace {

using namespace testsupport;

// Per schedule of the sample site: task name without its domain suffix,
// number of subtasks, associated nodes.
const char kSiteTasks[] =
    "DB2DOM_DB2_NIGHTLY 1 DBAIX01\nDB2DOM_UNUSED_SCHED 1 \n"
    "STANDARD_DAILY_INCR 1 VEGA,WEB01,LAB_01,LABX01,MAILSUN\nSTANDARD_HOURLY_LOGS 1 WEB01\n"
    "STANDARD_MONTHLY_IMG 1 DBAIX01\nSTANDARD_MONTHLY_MID 1 MAILSUN\nSTANDARD_ONCE_MIGRATE 1 STUDIO-MAC\n"
    "STANDARD_SIXHOURLY_DB 1 DBAIX01\nSTANDARD_WEEKLY_REPORTS 1 LABX01\n"
    "STANDARD_WEEKLY_SEL 1 WEB01,MAILSUN,STUDIO-MAC\nSTANDARD_YEARLY_AUDIT 1 LAB_01\n"
    "STANDARD_YEARLY_FULL 1 MAILSUN,DBAIX01\nWINDOWS_WIN_FIRSTWEEK 1 FILESRV01\nWINDOWS_WIN_FISCAL 2 "
    "FILESRV01\n"
    "WINDOWS_WIN_HALFYEAR 2 FILESRV01\nWINDOWS_WIN_LASTDAY 1 APPSRV02\nWINDOWS_WIN_MIDMONTH 12 APPSRV02\n"
    "WINDOWS_WIN_MONTHEND 1 FILESRV01\nWINDOWS_WIN_NIGHTLY 1 FILESRV01,APPSRV02\nWINDOWS_WIN_QUARTER 20 "
    "APPSRV02\n"
    "WINDOWS_WIN_WEEKEND 1 FILESRV01\n";

// The lines of kSiteTasks as read from the task files in `dir`, in
// hand-over order.
std::string Tasks(const std::string& dir) {
  const std::string task = "/message[@type='TMMsg::CreateTaskReq']/field/message/field[@name='";
  std::string tasks;
  for (const std::string& f : ListDir(dir)) {
    if (f.find("TMMsg.CreateTaskReq") == std::string::npos) continue;
    const std::string name = Texts(dir + "/" + f, task + "taskHeader']//field[@name='taskName']");
    tasks += name.substr(0, name.rfind("_TSM_")) + " " +
             Texts(dir + "/" + f, "count(" + task + "subTasks']/message)") + " " +
             Texts(dir + "/" + f, task + "associations']/message/field[@name='clientName']") + "\n";
  }
  return tasks;
}

// The registry switch first: it runs no dsmadmc and hands over nothing.
// Then live and replayed runs give the same tasks, after the client list.
TEST(SchedulesEndToEnd, OneTaskPerBackupScheduleLiveAndReplayed) {
  TempDir work;  // the simulator writes its output next to itself
  InstallSimulator(work.path());
  WriteFile(work.file("registry.ini"), "[EventManager]\nIXRDiscovery_TSMOUTPUTPATH = /gathered\n");
  ScopedEnv site("DSMADMC_SIM_SITE", (SourceDir() + "/samples/site").c_str());
  ScopedEnv password("TSM_PASSWORD", "Orbit7-Demo"), log("DSMADMC_SIM_LOG", work.file("runs.log").c_str());
  const std::string run = BinDir() + "/tsm-discover run --login ADMIN --out " + work.path() + "/out-";
  ProgramResult r = RunProgram(Words(run + "skip --only schedules --dsmadmc-dir " + work.path() +
                                     " --registry " + work.file("registry.ini")));
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(ListDir(work.file("out-skip")), std::vector<std::string>{"tsm-discover.log"});
  EXPECT_FALSE(FileExists(work.file("runs.log")));
  for (const std::string& from :
       {"--dsmadmc-dir " + work.path(), "--replay " + SourceDir() + "/samples/replay"}) {
    const std::string out = work.file("out-" + from.substr(2, 6));
    r = RunProgram(Words(run + from.substr(2, 6) + " --only clients,schedules " + from));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(ListDir(out).at(0), "000001-App.ClientsList.xml");
    EXPECT_EQ(Tasks(out), kSiteTasks) << from;
  }
}

}  // namespace
