// Day, week and month codes and the subtask builders, field by field on a
// fresh subtask, so a field a builder must leave unset shows up. Dates are
// checked in a zone west of UTC with summer time and in one east of it.
#include <gtest/gtest.h>

#include <functional>

#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMDayCodes.h"
#include "tests/schedules/ScheduleTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using schedtest::Fields;
using St = TMMsg::SubTaskInfo;

const char* const kZones[] = {"EST5EDT,M3.2.0,M11.1.0", "NPT-5:45"};

const std::string kWeekdays =
    "daysToRun.monday=1 daysToRun.tuesday=1 daysToRun.wednesday=1 daysToRun.thursday=1 daysToRun.friday=1";
const std::string kAllDays = "daysToRun.sunday=1 " + kWeekdays + " daysToRun.saturday=1";
// 07/23/2009 17:00:00, no expiration.
const std::string kStartNoEnd = "startDate=1248307200 startTimeOfDay=61200 endTimeOfDay=86400";

TEST(DayCodes, WordMappingsAndTheirCaseRules) {
  const struct {
    int (*map)(const std::string&);
    const char* word;
    int code;
  } rows[] = {{GetDaysToRun_Enhanced, "mon", 2},     {GetDaysToRun_Enhanced, "WD", 9},
              {GetDaysToRun_Enhanced, "we", 10},     {GetDaysToRun_Enhanced, "Any", 8},
              {GetDaysToRun_Enhanced, "Monday", 0},  {GetMonthsToRun_Enhanced, "Jan", 1},
              {GetMonthsToRun_Enhanced, "Dec", 12},  {GetMonthsToRun_Enhanced, "jan", 0},
              {GetWeekToRun_Enhanced, "First", 1},   {GetWeekToRun_Enhanced, "Last", 5},
              {GetWeekToRun_Enhanced, "last", 0},    {MapDayOfWeek_TSMToZY, "weekday", 9},
              {MapDayOfWeek_TSMToZY, "Saturday", 7}, {MapDayOfWeek_TSMToZY, "Sat", 0}};
  for (const auto& r : rows) EXPECT_EQ(r.map(r.word), r.code) << r.word;
  const std::string flags[][2] = {
      {"weekend", "sunday=1 saturday=1"},
      {"Any", "sunday=1 monday=1 tuesday=1 wednesday=1 thursday=1 friday=1 saturday=1"},
      {"WEEKDAY", "monday=1 tuesday=1 wednesday=1 thursday=1 friday=1"},
      {"tuesday", "tuesday=1"},
      {"Tue", ""},
      {"WE", ""}};
  for (const auto& f : flags) {
    TMMsg::DaysToRun days;
    setDaysToRun(&days, f[0]);
    EXPECT_EQ(Fields(days), f[1]) << f[0];
  }
}

TEST(SubTaskBuilders, EachKindSetsItsFieldsOnly) {
  CTSMSchedule s;
  s.SchedName = "E";
  const std::string start = "07/23/2009 17:00:00";
  const std::vector<std::string> items = {"Mon", "WE", "Xyz"};
  const struct {
    std::function<void(St&)> build;
    std::string fields;
  } cases[] = {
      {[&](St& st) { s._createSubTaskForHour(&st, start, "N", "Any", "3 Hour(s)", ""); },
       "subTaskName=N_Any frequencyType=8 " + kAllDays +
           " recurrenceFactor=1 repeatIntervalSeconds=10800 field13=0 field14=0 " + kStartNoEnd +
           " field25=1"},
      {[&](St& st) { s._createSubTaskForDay(&st, start, "N", "Weekend", "2 Day(s)", "12/31/2027 23:59:59"); },
       "subTaskName=N_Weekend frequencyType=8 daysToRun.sunday=1 daysToRun.saturday=1 recurrenceFactor=1 "
       "repeatIntervalSeconds=172800 field13=0 field14=0 startDate=1248307200 startTimeOfDay=61200 "
       "endDate=1830211200 endTimeOfDay=86399 endDateSet=1 field25=1"},
      {[&](St& st) { s._createSubTaskForWeek(&st, start, "N", "Weekday", "2 Week(s)", ""); },
       "subTaskName=N_Weekday frequencyType=8 " + kWeekdays + " recurrenceFactor=2 field13=0 field14=0 " +
           kStartNoEnd + " field25=1"},
      {[&](St& st) { s._createSubTaskForMonth(&st, start, "N", "friday", "1 Month(s)", ""); },
       "subTaskName=N_friday frequencyType=32 daysToRun.weekOfMonth=1 daysToRun.dayKind=6 recurrenceFactor=1 "
       "field13=0 field14=0 " +
           kStartNoEnd + " field25=1"},
      {[&](St& st) { s._createSubTaskForMonth(&st, start, "N", "Someday", "3 Month(s)", ""); },
       "subTaskName=N_Someday frequencyType=32 daysToRun.weekOfMonth=1 recurrenceFactor=3 field13=0 "
       "field14=0 " +
           kStartNoEnd + " field25=1"},
      {[&](St& st) { s._createSubTaskForYear(&st, "03/15/2010 08:00:00", "N", "Any", "1 Year(s)", ""); },
       "subTaskName=N_Any frequencyType=16 daysToRun.dayOfMonth=15 daysToRun.weekOfMonth=1 "
       "daysToRun.dayKind=8 "
       "recurrenceFactor=12 startDate=1268611200 startTimeOfDay=28800 endTimeOfDay=86400"},
      {[&](St& st) { s._createSubTaskForYear(&st, start, "N", "Sunday", "2 Year(s)", ""); },
       "subTaskName=N_Sunday frequencyType=32 daysToRun.weekOfMonth=5 daysToRun.dayKind=1 dayValue=1 "
       "weekOfMonth=5 recurrenceFactor=24 field13=0 field14=0 " +
           kStartNoEnd + " field25=1"},
      {[&](St& st) { s._createSubTaskForYear(&st, start, "N", "Someday", "1 Year(s)", ""); },
       "subTaskName=N_Someday frequencyType=32 daysToRun.weekOfMonth=5 dayValue=0 weekOfMonth=5 "
       "recurrenceFactor=12 field13=0 field14=0 " +
           kStartNoEnd + " field25=1"},
      {[&](St& st) { s._createSubTaskForOneTime(&st, "07/04/2011 23:30:00", "N", "Any"); },
       "subTaskName=N_2011-7-4 frequencyType=1 dayValue=31 recurrenceFactor=0 repeatIntervalSeconds=0 "
       "startDate=1309737600 startTimeOfDay=84600 endTimeOfDay=86400 endDateSet=0 field25=1"},
      {[&](St& st) { s.CreateYearlySchedule_SpecificDay(st, 3, 15); },
       "subTaskName=E_Month:3_Day:15 frequencyType=64 daysToRun{} dayValue=15 recurrenceFactor=3 field13=0 "
       "field14=0 field25=1"},
      {[&](St& st) { s.CreateWeeklySpecificSubTask(st, "W", items); },
       "subTaskName=W_Mon_WE_Xyz frequencyType=8 daysToRun.sunday=1 daysToRun.monday=1 daysToRun.saturday=1 "
       "recurrenceFactor=1 field13=0 field14=0 field25=1"},
      {[&](St& st) { s.CreateMonthlySpecificSubTask(st, "M", "Last", "sun"); },
       "subTaskName=M_Last_sun frequencyType=32 daysToRun.weekOfMonth=5 daysToRun.dayKind=1 "
       "recurrenceFactor=1 "
       "field13=0 field14=0"},
      {[&](St& st) { s.CreateMonthlySpecificSubTask(st, "M", "last", "Day"); },
       "subTaskName=M_last_Day frequencyType=32 daysToRun{} recurrenceFactor=1 field13=0 field14=0"},
      {[&](St& st) { s.CreateYearlySpecificSubTask(st, "Y", "Mar", 2, "fri"); },
       "subTaskName=Y_Mar_Week2_fri frequencyType=128 daysToRun{} dayValue=6 weekOfMonth=2 "
       "recurrenceFactor=3 "
       "field13=0 field14=0"},
  };
  for (const char* zone : kZones) {
    testsupport::ScopedTimeZone tz(zone);
    for (const auto& c : cases) {
      St st;
      c.build(st);
      EXPECT_EQ(Fields(st), c.fields) << zone;
    }
  }
}

// The generic content replaces an earlier pattern; the backup level
// follows the action.
TEST(SubTaskBuilders, GenericContentAndBackupLevel) {
  CTSMSchedule s;
  s.StartTime = "07/23/2009 17:00:00";
  for (const char* zone : kZones) {
    testsupport::ScopedTimeZone tz(zone);
    for (const auto& [action, level] :
         {std::pair{"Selective", 1}, {"ImageBackup", 1}, {"Inc", 1}, {"INCREMENTAL", 2}}) {
      s.SubTaskType = action;
      St st;
      zyfields::SetInt(zyfields::Object<TMMsg::SubTaskPattern>(&st, St::pattern),
                       TMMsg::SubTaskPattern::dayValue, 9);
      s.PopulateGenericSubTask(st);
      EXPECT_EQ(Fields(st),
                "field6=2 field7=2 field1=0 " + kStartNoEnd +
                    " timeZone.timeZoneStdName=" + GetTimeZoneStdNameW() +
                    " field25=1 patternFlags.field0=1 backupOptions.backupLevel=" + std::to_string(level) +
                    " backupOptions.field18=0 commonOptions.description=Schedule "
                    "for TSM client")
          << zone << " " << action;
    }
  }
}

}  // namespace
