// Day, week and month codes, the subtask builders field by field on a
// fresh subtask (so a field a builder must leave unset shows up), and
// which subtasks a period or enhanced schedule gives. Dates are checked in
// a zone west of UTC with summer time and in one east of it.
#include <gtest/gtest.h>

#include <functional>

#include "handler/Splitting.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMDayCodes.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using schedtest::Fields;
using St = TMMsg::SubTaskInfo;
using Strings = std::vector<std::string>;

// The codes of `words`, blank-separated.
std::string Codes(int (*map)(const std::string&), const std::vector<std::string>& words) {
  std::string codes;
  for (const std::string& w : words) codes += (codes.empty() ? "" : " ") + std::to_string(map(w));
  return codes;
}

TEST(DayCodes, WordMappingsAndTheirCaseRules) {
  EXPECT_EQ(Codes(GetDaysToRun_Enhanced, {"mon", "WD", "we", "Any", "Sat", "Monday"}), "2 9 10 8 7 0");
  EXPECT_EQ(Codes(GetMonthsToRun_Enhanced, {"Jan", "May", "Dec", "jan"}), "1 5 12 0");
  EXPECT_EQ(Codes(GetWeekToRun_Enhanced, {"First", "Fourth", "Last", "last"}), "1 4 5 0");
  EXPECT_EQ(Codes(MapDayOfWeek_TSMToZY, {"weekday", "Weekend", "Saturday", "Sat"}), "9 10 7 0");
}

TEST(SubTaskBuilders, EachKindSetsItsFieldsOnly) {
  CTSMSchedule s;
  s.SchedName = "E", s.StartTime = "07/23/2009 17:00:00", s.SubTaskType = "ImageBackup";
  const std::string& start = s.StartTime;
  // clang-format off
  const std::string weekdays = "daysToRun.monday=1 daysToRun.tuesday=1 daysToRun.wednesday=1 daysToRun.thursday=1 daysToRun.friday=1";
  const std::string startNoEnd = "startDate=1248307200 startTimeOfDay=61200 endTimeOfDay=86400";
  const std::string repeat = "field13=0 field14=0 " + startNoEnd + " field25=1";
  const struct {
    std::function<void(St&)> build;
    std::string fields;
  } cases[] = {
      {[&](St& st) { s._createSubTaskForHour(&st, start, "N", "Any", "3 Hour(s)", ""); },
       "subTaskName=N_Any frequencyType=8 daysToRun.sunday=1 " + weekdays + " daysToRun.saturday=1 recurrenceFactor=1 repeatIntervalSeconds=10800 " + repeat},
      {[&](St& st) { s._createSubTaskForDay(&st, start, "N", "weekend", "2 Day(s)", "12/31/2027 23:59:59"); },
       "subTaskName=N_weekend frequencyType=8 daysToRun.sunday=1 daysToRun.saturday=1 recurrenceFactor=1 repeatIntervalSeconds=172800 "
       "field13=0 field14=0 startDate=1248307200 startTimeOfDay=61200 endDate=1830211200 endTimeOfDay=86399 endDateSet=1 field25=1"},
      {[&](St& st) { s._createSubTaskForWeek(&st, start, "N", "WEEKDAY", "2 Week(s)", ""); },
       "subTaskName=N_WEEKDAY frequencyType=8 " + weekdays + " recurrenceFactor=2 " + repeat},
      {[&](St& st) { s._createSubTaskForMonth(&st, start, "N", "friday", "1 Month(s)", ""); },
       "subTaskName=N_friday frequencyType=32 daysToRun.weekOfMonth=1 daysToRun.dayKind=6 recurrenceFactor=1 " + repeat},
      {[&](St& st) { s._createSubTaskForYear(&st, "03/15/2010 08:00:00", "N", "Any", "1 Year(s)", ""); },
       "subTaskName=N_Any frequencyType=16 daysToRun.dayOfMonth=15 daysToRun.weekOfMonth=1 daysToRun.dayKind=8 recurrenceFactor=12 "
       "startDate=1268611200 startTimeOfDay=28800 endTimeOfDay=86400"},
      {[&](St& st) { s._createSubTaskForYear(&st, start, "N", "Sunday", "2 Year(s)", ""); },
       "subTaskName=N_Sunday frequencyType=32 daysToRun.weekOfMonth=5 daysToRun.dayKind=1 dayValue=1 weekOfMonth=5 recurrenceFactor=24 " + repeat},
      {[&](St& st) { s._createSubTaskForYear(&st, start, "N", "Someday", "1 Year(s)", ""); },
       "subTaskName=N_Someday frequencyType=32 daysToRun.weekOfMonth=5 dayValue=0 weekOfMonth=5 recurrenceFactor=12 " + repeat},
      {[&](St& st) { s._createSubTaskForOneTime(&st, "07/04/2011 23:30:00", "N", "Any"); },
       "subTaskName=N_2011-7-4 frequencyType=1 dayValue=31 recurrenceFactor=0 repeatIntervalSeconds=0 startDate=1309737600 "
       "startTimeOfDay=84600 endTimeOfDay=86400 endDateSet=0 field25=1"},
      {[&](St& st) { s.CreateYearlySchedule_SpecificDay(st, 3, 15); },
       "subTaskName=E_Month:3_Day:15 frequencyType=64 daysToRun{} dayValue=15 recurrenceFactor=3 field13=0 field14=0 field25=1"},
      {[&](St& st) { s.CreateWeeklySpecificSubTask(st, "W", {"Mon", "WE", "Xyz"}); },
       "subTaskName=W_Mon_WE_Xyz frequencyType=8 daysToRun.sunday=1 daysToRun.monday=1 daysToRun.saturday=1 recurrenceFactor=1 "
       "field13=0 field14=0 field25=1"},
      {[&](St& st) { s.CreateMonthlySpecificSubTask(st, "M", "last", "sun"); },
       "subTaskName=M_last_sun frequencyType=32 daysToRun.dayKind=1 recurrenceFactor=1 field13=0 field14=0"},
      {[&](St& st) { s.CreateYearlySpecificSubTask(st, "Y", "Mar", 2, "fri"); },
       "subTaskName=Y_Mar_Week2_fri frequencyType=128 daysToRun{} dayValue=6 weekOfMonth=2 recurrenceFactor=3 field13=0 field14=0"},
      // The generic content replaces an earlier pattern.
      {[&](St& st) { s._createSubTaskForOneTime(&st, start, "N", "Any"), s.PopulateGenericSubTask(st); },
       "subTaskName=N_2009-7-23 field6=2 field7=2 field1=0 " + startNoEnd + " timeZone.timeZoneStdName=%tz field25=1 patternFlags.field0=1 "
       "backupOptions.backupLevel=1 backupOptions.field18=0 commonOptions.description=Schedule for TSM client"},
  };
  // clang-format on
  for (const char* zone : {"EST5EDT,M3.2.0,M11.1.0", "NPT-5:45"}) {
    testsupport::ScopedTimeZone tz(zone);
    for (const auto& c : cases) {
      St st;
      c.build(st);
      std::string fields = c.fields;
      if (fields.find("%tz") != std::string::npos)
        fields.replace(fields.find("%tz"), 3, GetTimeZoneStdNameW());
      EXPECT_EQ(Fields(st), fields) << zone;
    }
  }
  s.SubTaskType = "INCREMENTAL";  // any case; every other action is level 1
  St st;
  s.PopulateGenericSubTask(st);
  EXPECT_NE(Fields(st).find("backupLevel=2"), std::string::npos);
}

// Lists as comma-separated text; no node is associated, so no node query
// runs.
TEST(TaskBuilder, SubTasksOfPeriodAndEnhancedSchedules) {
  auto split = [](const std::string& text) {
    Strings items;
    tsmsplit::SplitValueList(text, items);
    return items;
  };
  // clang-format off
  const std::string cases[][6] = {  // period (enhanced when empty), months, days, weeks, days of week, names
      {"ONE time", "", "", "", "", "E_2009-7-23"},
      {"2 Hour(s)", "", "", "", "", "E_Weekday"},
      {"1 year", "", "", "", "", ""},  // the unit words compare exactly
      {"", "Any", "15", "Any", "Any", "E_Month:1_Day:15,E_Month:2_Day:15,E_Month:3_Day:15,E_Month:4_Day:15,E_Month:5_Day:15,"
       "E_Month:6_Day:15,E_Month:7_Day:15,E_Month:8_Day:15,E_Month:9_Day:15,E_Month:10_Day:15,E_Month:11_Day:15,E_Month:12_Day:15"},
      {"", "Any", "Any", "Any", "Mon,Wed", "E_Mon_Wed"},
      {"", "Mar", "Any", "Any", "Fri", "E_Mar_Week1_Fri,E_Mar_Week2_Fri,E_Mar_Week3_Fri,E_Mar_Week4_Fri,E_Mar_Week5_Fri"},
      {"", "Any", "Any", "Last", "Sun", "E_Last_Sun"},
      // A day number is built again for each (week, day of week) pair.
      {"", "Jun", "1", "First,Third", "Mon,Tue", "E_Month:6_Day:1,E_Month:6_Day:1,E_Month:6_Day:1,E_Month:6_Day:1"},
      // "Any" ends the months and weeks loops after one pass.
      {"", "Any,Mar", "Any", "Any,Last", "Fri,Sat", "E_Fri_Sat"},
      {"", "Any", "", "Any", "Any", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    CTSMSchedule s;
    s.SchedName = "E", s.StartTime = "07/23/2009 17:00:00", s.Period = c[0], s.DayofWeek = "Weekday";
    s.Months = split(c[1]), s.DaysOfMonth = split(c[2]), s.WeeksOfMonth = split(c[3]),
    s.DaysOfWeek = split(c[4]);
    TMMsg::CreateTaskReq req;
    ASSERT_TRUE(c[0].empty() ? s.BuildEnhancedSchedulePolicy(&req) : s.BuildSchedulePolicy(&req));
    const CNMessageBase* definition = req.findField(TMMsg::CreateTaskReq::taskDefinition.index)->object();
    const CNMessageBase::Field* subTasks = definition->findField(TMMsg::TaskDefinition::subTasks.index);
    std::string names;
    for (size_t i = 0; subTasks != nullptr && i < subTasks->list()->size(); ++i) {
      const std::string fields = Fields(*subTasks->list()->at(i));  // "subTaskName=... "
      names += (i > 0 ? "," : "") + fields.substr(12, fields.find(' ') - 12);
      // Enhanced subtasks carry the start of the schedule too.
      EXPECT_NE(fields.find("startDate=1248307200"), std::string::npos) << fields;
    }
    EXPECT_EQ(names, c[5]) << c[0] << c[5];
  }
}

}  // namespace
