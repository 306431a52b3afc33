// DiscoverSchedule with a scripted dsmadmc: one request per backup
// schedule in record order, its header and node entities, and what a
// failed node query or hand-over stops.
#include <gtest/gtest.h>

#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/HandOver.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/clients/ClientTestSupport.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;
using namespace schedtest;
using clienttest::NodeLine;

const std::string kTask = "-TMMsg.CreateTaskReq.xml";

// The n-th request handed over into `dir`: its task definition (lists as
// their sizes), field4/field5, then entity `entity`.
std::string Request(const TempDir& dir, int n, size_t entity) {
  std::unique_ptr<CNMessageBase> req = zyhost::ReadMessageXml(dir.file("00000" + std::to_string(n) + kTask));
  const CNMessageBase* definition = req->findField(2)->object();
  return Fields(*definition) + " " + std::to_string(req->getint64(4, 4)) + "/" +
         std::to_string(req->getint64(5, 5)) + " | " +
         Fields(*definition->findField(TMMsg::TaskDefinition::associations.index)->list()->at(entity));
}

TEST(DiscoverScheduleTest, FailedNodeQueryHandsOverItsIncompleteRequestAndStops) {
  TempDir out;
  ScopedHandOver handOver(out.path());
  Workspace w;
  FakeDsmadmc& fake = w.fake;
  std::string schedules = kHeader;
  for (const char* name : {"ALPHA", "BRAVO", "CHARLIE"})
    schedules += ScheduleLine(k19, {{kName, name}}) + "\n";
  fake.On("query schedule", schedules);
  fake.On("association STANDARD ALPHA", kHeader + "STANDARD,ALPHA,N1 GONE WIN1\n");
  fake.On("association STANDARD BRAVO", kHeader + "STANDARD,BRAVO,N1 N2 N3\n");
  fake.On("association STANDARD CHARLIE", kHeader + "STANDARD,CHARLIE,N4\n");
  fake.On("query node N1 ", NodeLine({"N1", "Linux86", "", "", "", "", GetHostName()}) + "\n");  // the master
  fake.On("query node WIN1 ", NodeLine({"WIN1", "WinNT"}) + "\n");
  fake.On("query node GONE ", "");
  fake.FailOn("query node N2 ", 3);
  FDC::ExternalNBUConfig config;
  config.setstring(5, 17, "/opt/tsm/bin");
  config.setstring(11, 41, "admin");
  config.setstring(12, 45, "secret");
  CForeignHandlerTSM handler;
  EXPECT_FALSE(handler.DiscoverSchedule(&config));
  EXPECT_EQ(ListDir(out.path()), (std::vector<std::string>{"000001" + kTask, "000002" + kTask}));
  EXPECT_EQ(fake.CountCommands("query node N3 ") + fake.CountCommands("query node N4 "), 0u);

  const std::string zyphor = "TSM_" + GetHostName();
  auto header = [&](const std::string& name, const char* lists) {
    return "field1=0 taskName=STANDARD_" + name + "_" + zyphor +
           " taskOptions.field1=0 taskOptions.field5=0 field7=0 field8=4 field9=0 field12=5 field13=0 "
           "description=Nightly, all field28=0 taskExtension{} " +
           lists + " 0/8 | ";
  };
  auto entity = [&](const std::string& name, const std::string& rest) {
    return "zyphorName=" + zyphor + " field10=3 subclientName=" + name +
           " backupSetName=defaultBackupSet instanceName=DefaultInstanceName " + rest;
  };
  const std::string master = "appType=29 appName=Linux File System clientName=" + GetHostName() +
                             " hostName=" + EvDebug::getHostName();
  EXPECT_EQ(Request(out, 1, 0), header("ALPHA", "associations#2 subTasks#1") + entity("ALPHA", master));
  EXPECT_EQ(Request(out, 2, 0), header("BRAVO", "associations#1") + entity("BRAVO", master));

  // A failed hand-over fails the operation and ends it as well.
  zyhost::SetHandOverDirectory("");
  EXPECT_FALSE(handler.DiscoverSchedule(&config));
  EXPECT_EQ(fake.CountCommands("query node N2 "), 1u);
}

}  // namespace
