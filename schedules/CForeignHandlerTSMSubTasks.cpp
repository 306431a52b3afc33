// Subtask builders: the content every subtask of a schedule shares, and
// one run pattern per TSM period kind or enhanced expansion.
#include <ctime>
#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMDayCodes.h"
#include "schedules/CTSMSchedule.h"

namespace {

using namespace zyfields;
using SubTask = TMMsg::SubTaskInfo;
using Pattern = TMMsg::SubTaskPattern;
using Days = TMMsg::DaysToRun;

// Pattern kinds (frequencyType).
constexpr long long kOnce = 1;
constexpr long long kOnDaysOfWeek = 8;
constexpr long long kOnDayOfMonth = 16;
constexpr long long kOnWeekOfMonth = 32;
constexpr long long kOnMonthAndDay = 64;
constexpr long long kOnMonthAndWeek = 128;

constexpr long long kSecondsPerHour = 3600;
constexpr long long kSecondsPerDay = 86400;
constexpr long long kMonthsPerYear = 12;
constexpr long long kFirstWeek = 1;
constexpr long long kLastWeek = 5;
constexpr long long kAnyDayCode = 8;
constexpr long long kOneTimeDayValue = 31;

constexpr const char* kSubTaskDescription = "Schedule for TSM client";

struct DateTime {
  tm date;
  tm time;
};

DateTime Convert(const std::string& text) {
  DateTime dt;
  CForeignHandlerTSM::DateTimeToUnixTime(text, &dt.date, &dt.time);
  return dt;
}

// Periods count in int; the products stay in 64 bits.
long long PeriodCount(const std::string& period) { return LeadingNumber(period); }

// Sets field `f` to no object.
void Clear(CNMessageBase* parent, FieldRef f) { parent->setObjectAccessor(nullptr, f.index, f.id); }

Pattern* PatternOf(SubTask* st) { return Object<Pattern>(st, SubTask::pattern); }

void SetName(SubTask* st, const std::string& name) {
  SetString(Object<TMMsg::SubTaskHeader>(st, SubTask::subTaskHeader), TMMsg::SubTaskHeader::subTaskName,
            name);
}

void SetStart(Pattern* p, const DateTime& start) {
  tm date = start.date;
  tm time = start.time;
  SetInt(p, Pattern::startDate, CForeignHandlerTSM::GetUnixStartDate(&date));
  SetInt(p, Pattern::startTimeOfDay, CForeignHandlerTSM::GetUnixStartTime(&time));
}

// Without an expiration the pattern ends with the day.
void SetEnd(Pattern* p, const std::string& end) {
  if (end.empty()) {
    SetInt(p, Pattern::endTimeOfDay, kSecondsPerDay);
    return;
  }
  DateTime dt = Convert(end);
  SetInt(p, Pattern::endDateSet, 1);
  SetInt(p, Pattern::endDate, CForeignHandlerTSM::GetUnixStartDate(&dt.date));
  SetInt(p, Pattern::endTimeOfDay, CForeignHandlerTSM::GetUnixStartTime(&dt.time));
}

// Constants of the recurring patterns.
void SetRecurring(Pattern* p, long long recurrenceFactor) {
  SetInt(p, Pattern::recurrenceFactor, recurrenceFactor);
  SetInt(p, Pattern::field14, 0);
  SetInt(p, Pattern::field13, 0);
  SetInt(p, Pattern::field25, 1);
}

// The frame every period builder shares: name, no day flags, start, and
// the end unless the pattern runs once. Returns the pattern.
Pattern* BeginPeriod(SubTask* st, const std::string& name, const DateTime& start, const std::string* end) {
  SetName(st, name);
  Pattern* p = PatternOf(st);
  Clear(p, Pattern::daysToRun);
  if (end != nullptr) SetEnd(p, *end);
  SetStart(p, start);
  return p;
}

// A pattern on the day flags of `dayOfWeek`, every `recurrenceFactor`
// units. Null for a null subtask.
Pattern* BeginOnDaysOfWeek(SubTask* st, const std::string& start, const std::string& name,
                           const std::string& dayOfWeek, const std::string& end, long long recurrenceFactor) {
  if (st == nullptr) return nullptr;
  Pattern* p = BeginPeriod(st, name + "_" + dayOfWeek, Convert(start), &end);
  SetInt(p, Pattern::frequencyType, kOnDaysOfWeek);
  setDaysToRun(Object<Days>(p, Pattern::daysToRun), dayOfWeek);
  SetRecurring(p, recurrenceFactor);
  return p;
}

}  // namespace

void CTSMSchedule::PopulateGenericContent(TMMsg::SubTaskInfo& st) const {
  auto* header = Object<TMMsg::SubTaskHeader>(&st, SubTask::subTaskHeader);
  SetInt(header, TMMsg::SubTaskHeader::field6, 2);
  SetInt(header, TMMsg::SubTaskHeader::field7, 2);

  auto* options = Object<TMMsg::SubTaskOptions>(&st, SubTask::subTaskOptions);
  auto* backup = Object<TMMsg::BackupOptions>(options, TMMsg::SubTaskOptions::backupOptions);
  SetInt(backup, TMMsg::BackupOptions::backupLevel, compareNoCase(SubTaskType, "Incremental") == 0 ? 2 : 1);
  SetInt(backup, TMMsg::BackupOptions::field18, 0);
  SetString(Object<TMMsg::CommonOptions>(options, TMMsg::SubTaskOptions::commonOptions),
            TMMsg::CommonOptions::description, kSubTaskDescription);

  Clear(&st, SubTask::pattern);
  Pattern* p = PatternOf(&st);
  SetInt(p, Pattern::field1, 0);
  SetInt(p, Pattern::field25, 1);
  SetInt(Object<ZyEntities::PatternFlags>(p, Pattern::patternFlags), ZyEntities::PatternFlags::field0, 1);
  SetString(Object<ZyEntities::TimeZoneEntity>(p, Pattern::timeZone),
            ZyEntities::TimeZoneEntity::timeZoneStdName, GetTimeZoneStdNameW());
}

bool CTSMSchedule::PopulateGenericSubTask(TMMsg::SubTaskInfo& st) const {
  PopulateGenericContent(st);
  Pattern* p = PatternOf(&st);
  SetStart(p, Convert(StartTime));
  SetEnd(p, EndTime);
  return true;
}

bool CTSMSchedule::_createSubTaskForOneTime(TMMsg::SubTaskInfo* st, const std::string& start,
                                            const std::string& name, const std::string& /*dayOfWeek*/) const {
  if (st == nullptr) return false;
  const DateTime dt = Convert(start);
  const std::string date = std::to_string(dt.date.tm_year + 1900) + "-" + std::to_string(dt.date.tm_mon + 1) +
                           "-" + std::to_string(dt.date.tm_mday);
  Pattern* p = BeginPeriod(st, name + "_" + date, dt, nullptr);
  SetInt(p, Pattern::frequencyType, kOnce);
  SetInt(p, Pattern::dayValue, kOneTimeDayValue);
  SetInt(p, Pattern::recurrenceFactor, 0);
  SetInt(p, Pattern::repeatIntervalSeconds, 0);
  SetInt(p, Pattern::endTimeOfDay, kSecondsPerDay);
  SetInt(p, Pattern::endDateSet, 0);
  SetInt(p, Pattern::field25, 1);
  return true;
}

bool CTSMSchedule::_createSubTaskForHour(TMMsg::SubTaskInfo* st, const std::string& start,
                                         const std::string& name, const std::string& dayOfWeek,
                                         const std::string& period, const std::string& end) const {
  Pattern* p = BeginOnDaysOfWeek(st, start, name, dayOfWeek, end, 1);
  if (p != nullptr) SetInt(p, Pattern::repeatIntervalSeconds, PeriodCount(period) * kSecondsPerHour);
  return p != nullptr;
}

bool CTSMSchedule::_createSubTaskForDay(TMMsg::SubTaskInfo* st, const std::string& start,
                                        const std::string& name, const std::string& dayOfWeek,
                                        const std::string& period, const std::string& end) const {
  Pattern* p = BeginOnDaysOfWeek(st, start, name, dayOfWeek, end, 1);
  if (p != nullptr) SetInt(p, Pattern::repeatIntervalSeconds, PeriodCount(period) * kSecondsPerDay);
  return p != nullptr;
}

bool CTSMSchedule::_createSubTaskForWeek(TMMsg::SubTaskInfo* st, const std::string& start,
                                         const std::string& name, const std::string& dayOfWeek,
                                         const std::string& period, const std::string& end) const {
  return BeginOnDaysOfWeek(st, start, name, dayOfWeek, end, PeriodCount(period)) != nullptr;
}

bool CTSMSchedule::_createSubTaskForMonth(TMMsg::SubTaskInfo* st, const std::string& start,
                                          const std::string& name, const std::string& dayOfWeek,
                                          const std::string& period, const std::string& end) const {
  if (st == nullptr) return false;
  Pattern* p = BeginPeriod(st, name + "_" + dayOfWeek, Convert(start), &end);
  SetInt(p, Pattern::frequencyType, kOnWeekOfMonth);
  Days* days = Object<Days>(p, Pattern::daysToRun);
  SetInt(days, Days::weekOfMonth, kFirstWeek);
  if (const int code = MapDayOfWeek_TSMToZY(dayOfWeek)) SetInt(days, Days::dayKind, code);
  SetRecurring(p, PeriodCount(period));
  return true;
}

bool CTSMSchedule::_createSubTaskForYear(TMMsg::SubTaskInfo* st, const std::string& start,
                                         const std::string& name, const std::string& dayOfWeek,
                                         const std::string& period, const std::string& end) const {
  if (st == nullptr) return false;
  const DateTime dt = Convert(start);
  Pattern* p = BeginPeriod(st, name + "_" + dayOfWeek, dt, &end);
  Days* days = Object<Days>(p, Pattern::daysToRun);
  const int code = MapDayOfWeek_TSMToZY(dayOfWeek);
  if (code == kAnyDayCode) {
    // On the start date's day of the month; a start without a day gives 0.
    SetInt(p, Pattern::frequencyType, kOnDayOfMonth);
    SetInt(days, Days::dayOfMonth, dt.date.tm_mday);
    SetInt(days, Days::weekOfMonth, kFirstWeek);
    SetInt(days, Days::dayKind, kAnyDayCode);
    SetInt(p, Pattern::recurrenceFactor, PeriodCount(period) * kMonthsPerYear);
    return true;
  }
  // On that day of the last week of the month.
  SetInt(p, Pattern::frequencyType, kOnWeekOfMonth);
  SetInt(days, Days::weekOfMonth, kLastWeek);
  if (code != 0) SetInt(days, Days::dayKind, code);
  SetInt(p, Pattern::weekOfMonth, kLastWeek);
  SetInt(p, Pattern::dayValue, code);
  SetRecurring(p, PeriodCount(period) * kMonthsPerYear);
  return true;
}

bool CTSMSchedule::CreateYearlySchedule_SpecificDay(TMMsg::SubTaskInfo& st, int month, int day) const {
  SetName(&st, SchedName + "_Month:" + std::to_string(month) + "_Day:" + std::to_string(day));
  Pattern* p = PatternOf(&st);
  SetInt(p, Pattern::frequencyType, kOnMonthAndDay);
  SetInt(p, Pattern::dayValue, day);
  SetRecurring(p, month);
  Object<Days>(p, Pattern::daysToRun);
  return true;
}

bool CTSMSchedule::CreateWeeklySpecificSubTask(TMMsg::SubTaskInfo& st, const std::string& name,
                                               const std::vector<std::string>& daysOfWeek) const {
  std::string fullName = name;
  Pattern* p = PatternOf(&st);
  Days* days = Object<Days>(p, Pattern::daysToRun);
  for (const std::string& item : daysOfWeek) {
    fullName += "_" + item;
    SetDayFlags(days, GetDaysToRun_Enhanced(item));
  }
  SetName(&st, fullName);
  SetInt(p, Pattern::frequencyType, kOnDaysOfWeek);
  SetRecurring(p, 1);
  return true;
}

bool CTSMSchedule::CreateMonthlySpecificSubTask(TMMsg::SubTaskInfo& st, std::string name,
                                                std::string weekOfMonth, std::string dayOfWeek) const {
  SetName(&st, name + "_" + weekOfMonth + "_" + dayOfWeek);
  Pattern* p = PatternOf(&st);
  SetInt(p, Pattern::frequencyType, kOnWeekOfMonth);
  SetInt(p, Pattern::recurrenceFactor, 1);
  SetInt(p, Pattern::field14, 0);
  SetInt(p, Pattern::field13, 0);
  Days* days = Object<Days>(p, Pattern::daysToRun);
  if (const int week = GetWeekToRun_Enhanced(weekOfMonth)) SetInt(days, Days::weekOfMonth, week);
  if (const int code = GetDaysToRun_Enhanced(dayOfWeek)) SetInt(days, Days::dayKind, code);
  return true;
}

bool CTSMSchedule::CreateYearlySpecificSubTask(TMMsg::SubTaskInfo& st, std::string name, std::string month,
                                               int week, std::string dayOfWeek) const {
  SetName(&st, name + "_" + month + "_Week" + std::to_string(week) + "_" + dayOfWeek);
  Pattern* p = PatternOf(&st);
  SetInt(p, Pattern::frequencyType, kOnMonthAndWeek);
  SetInt(p, Pattern::weekOfMonth, week);
  SetInt(p, Pattern::dayValue, GetDaysToRun_Enhanced(dayOfWeek));
  SetInt(p, Pattern::recurrenceFactor, GetMonthsToRun_Enhanced(month));
  SetInt(p, Pattern::field14, 0);
  SetInt(p, Pattern::field13, 0);
  Object<Days>(p, Pattern::daysToRun);
  return true;
}
