// Pattern translation: the task header, one entity per node the node
// query finds, and the subtasks of period and enhanced schedules.
#include <gtest/gtest.h>

#include "host/EvDebug.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace testsupport;
using schedtest::Fields;
using Strings = std::vector<std::string>;

const CNMessageList* ListOf(const CNMessageBase* m, FieldRef f) {
  const CNMessageBase::Field* field = m == nullptr ? nullptr : m->findField(f.index);
  return field == nullptr ? nullptr : field->list.get();
}

const CNMessageBase* Definition(const TMMsg::CreateTaskReq& req) {
  return req.findField(TMMsg::CreateTaskReq::taskDefinition.index)->object.get();
}

// Names of the subtasks of `req`, comma-separated.
std::string SubTaskNames(const TMMsg::CreateTaskReq& req) {
  std::string names;
  const CNMessageList* list = ListOf(Definition(req), TMMsg::TaskDefinition::subTasks);
  for (size_t i = 0; list != nullptr && i < list->size(); ++i) {
    const CNMessageBase* header =
        list->at(i)->findField(TMMsg::SubTaskInfo::subTaskHeader.index)->object.get();
    names += (i > 0 ? "," : "") + header->getstring(1, 1);
  }
  return names;
}

TEST(TaskBuilder, EnhancedListsExpandWithTheirEarlyExits) {
  const struct {
    Strings months, days, weeks, daysOfWeek;
    std::string names;
  } cases[] = {
      {{"Any"},
       {"15"},
       {"Any"},
       {"Any"},
       "E_Month:1_Day:15,E_Month:2_Day:15,E_Month:3_Day:15,E_Month:4_Day:15,E_Month:5_Day:15,E_Month:6_Day:"
       "15,"
       "E_Month:7_Day:15,E_Month:8_Day:15,E_Month:9_Day:15,E_Month:10_Day:15,E_Month:11_Day:15,E_Month:12_"
       "Day:15"},
      {{"Any"}, {"Any"}, {"Any"}, {"Mon", "Wed"}, "E_Mon_Wed"},
      {{"Mar"},
       {"Any"},
       {"Any"},
       {"Fri"},
       "E_Mar_Week1_Fri,E_Mar_Week2_Fri,E_Mar_Week3_Fri,E_Mar_Week4_Fri,E_Mar_Week5_Fri"},
      {{"Any"}, {"Any"}, {"Last"}, {"Sun"}, "E_Last_Sun"},
      {{"Apr", "Oct"}, {"Any"}, {"First"}, {"Mon"}, "E_Apr_Week1_Mon,E_Oct_Week1_Mon"},
      // A day number is built again for each (week, day of week) pair.
      {{"Jun"},
       {"1"},
       {"First", "Third"},
       {"Mon", "Tue"},
       "E_Month:6_Day:1,E_Month:6_Day:1,E_Month:6_Day:1,E_Month:6_Day:1"},
      // "Any" ends the months and weeks loops after one pass; "any" is no "Any".
      {{"Any", "Mar"}, {"Any"}, {"Any", "Last"}, {"Fri", "Sat"}, "E_Fri_Sat"},
      {{"any"},
       {"Any"},
       {"Any"},
       {"Fri"},
       "E_any_Week1_Fri,E_any_Week2_Fri,E_any_Week3_Fri,E_any_Week4_Fri,E_any_Week5_Fri"},
      {{"Any"}, {}, {"Any"}, {"Any"}, ""},
  };
  for (const auto& c : cases) {
    CTSMSchedule s;
    s.SchedName = "E";
    s.StartTime = "07/23/2009 17:00:00";
    s.Months = c.months, s.DaysOfMonth = c.days, s.WeeksOfMonth = c.weeks, s.DaysOfWeek = c.daysOfWeek;
    TMMsg::CreateTaskReq req;
    ASSERT_TRUE(s.BuildEnhancedSchedulePolicy(&req));
    EXPECT_EQ(SubTaskNames(req), c.names) << c.names;
    const CNMessageList* subTasks = ListOf(Definition(req), TMMsg::TaskDefinition::subTasks);
    if (subTasks != nullptr) {
      EXPECT_NE(Fields(*subTasks->at(0)).find("startDate=1248307200"), std::string::npos);
    }
  }
}

// The node query names the master server by its TCP name; a node it does
// not list gets no entity. The period tests run on their own.
TEST(TaskBuilder, PeriodScheduleHeaderAndEntities) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  ScopedExistingFiles live(false, "");
  FakeDsmadmc fake;
  auto node = [](const std::string& name, const char* platform, const std::string& host) {
    Strings f(33, "x");
    f[0] = name, f[1] = platform, f[32] = host;
    return testsupport::CsvLine(f) + "\n";
  };
  fake.On("query node MASTER ", node("MASTER", "Linux86", GetHostName()));
  fake.On("query node WIN1 ", node("WIN1", "WinNT", "win1.example.net"));
  fake.On("query node GONE ", "");
  const std::string zyphor = "TSM_" + GetHostName();
  for (const auto& [period, names] : std::vector<std::pair<std::string, std::string>>{
           {"ONE time", "NIGHTLY_2009-7-23"}, {"2 Hour(s)", "NIGHTLY_Weekday"}, {"1 year", ""}, {"", ""}}) {
    CTSMSchedule s;
    s.PolicyDomain = "STANDARD", s.SchedName = "NIGHTLY", s.SchedDesc = "Nightly, all";
    s.StartTime = "07/23/2009 17:00:00", s.Period = period, s.DayofWeek = "Weekday";
    s.ClientList = {"MASTER", "GONE", "WIN1"};
    TMMsg::CreateTaskReq req;
    ASSERT_TRUE(s.BuildSchedulePolicy(&req)) << period;
    EXPECT_EQ(SubTaskNames(req), names) << period;
    const CNMessageBase* definition = Definition(req);
    EXPECT_EQ(
        Fields(*definition->findField(1)->object),
        "field1=0 taskName=STANDARD_NIGHTLY_" + zyphor +
            " field1=0 field5=0 field7=0 field8=4 field9=0 field12=5 field13=0 description=Nightly, all "
            "field28=0");
    const CNMessageList* entities = ListOf(definition, TMMsg::TaskDefinition::associations);
    ASSERT_EQ(entities->size(), 2u);
    const std::string common = "zyphorName=" + zyphor +
                               " field10=3 subclientName=NIGHTLY backupSetName=defaultBackupSet "
                               "instanceName=DefaultInstanceName ";
    EXPECT_EQ(Fields(*entities->at(0)), common + "appType=29 appName=Linux File System clientName=" +
                                            GetHostName() + " hostName=" + EvDebug::getHostName());
    EXPECT_EQ(Fields(*entities->at(1)),
              common + "appType=33 appName=Windows File System clientName=WIN1 hostName=win1.example.net");
  }
}

}  // namespace
