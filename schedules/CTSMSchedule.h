// One TSM client schedule: what the schedule query (CTSMPolicy), the
// association query (CTSMAssoc) and the per-node schedule query
// (CTSMClientSchedule) fill, and what the task and subclient builders read.
//
// Plain value class: copied and moved member by member, no virtual
// operations. The administrator credentials come first (TSMAdminInfo) so
// that the builders can hand them on to the fetchers they run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "handler/TSMAdminInfo.h"

class CTSMSchedule : public TSMAdminInfo {
 public:
  using StringList = std::vector<std::string>;

  void setPolicyDomain(std::string v) { PolicyDomain = std::move(v); }
  std::string getPolicyDomain() const { return PolicyDomain; }

  void setSchedName(std::string v) { SchedName = std::move(v); }
  std::string getSchedName() const { return SchedName; }

  // Objects (file patterns) of the schedule.
  void setObjects(StringList v) { Objects = std::move(v); }
  StringList getObjects() const { return Objects; }

  // Names of the nodes associated with the schedule.
  void setClientList(StringList v) { ClientList = std::move(v); }
  StringList getClientList() const { return ClientList; }

  void setPriority(std::string v) { Priority = std::move(v); }
  std::string getPriority() const { return Priority; }

  // The TSM action: "Incremental", "Selective", "ImageBackup" or "Inc".
  void setSubTaskType(std::string v) { SubTaskType = std::move(v); }
  std::string getSubTaskType() const { return SubTaskType; }

  // True when the schedule style is exactly "Enhanced".
  void setEnhancedSchedule(bool v) { EnhancedSchedule = v; }
  bool getEnhancedSchedule() const { return EnhancedSchedule; }

  void setSchedDesc(std::string v) { SchedDesc = std::move(v); }
  std::string getSchedDesc() const { return SchedDesc; }

  // Enhanced schedules only. These return the member lists themselves;
  // the schedule parser fills them through these references.
  StringList& getDaysOfWeek() { return DaysOfWeek; }
  const StringList& getDaysOfWeek() const { return DaysOfWeek; }
  StringList& getMonths() { return Months; }
  const StringList& getMonths() const { return Months; }
  StringList& getDaysOfMonth() { return DaysOfMonth; }
  const StringList& getDaysOfMonth() const { return DaysOfMonth; }
  StringList& getWeeksOfMonth() { return WeeksOfMonth; }
  const StringList& getWeeksOfMonth() const { return WeeksOfMonth; }

  // Month/day/year, a blank, hour:minute:second (date format 1).
  void setStartTime(std::string v) { StartTime = std::move(v); }
  std::string getStartTime() const { return StartTime; }

  // Expiration, same form; empty when the schedule never expires.
  void setEndTime(const std::string& v) { EndTime = v; }
  std::string getEndTime() const { return EndTime; }

  // A number and its unit word ("1 Day", "2 Week"), or "One Time".
  void setPeriod(std::string v) { Period = std::move(v); }
  std::string getPeriod() const { return Period; }

  // Day of week of a period schedule: "Any", "Weekday", "Weekend",
  // "Sunday" ... "Saturday".
  void setDayofWeek(std::string v) { DayofWeek = std::move(v); }
  std::string getDayofWeek() const { return DayofWeek; }

  std::string PolicyDomain;
  std::string SchedName;
  StringList Objects;
  StringList ClientList;
  std::string Priority;
  std::string SubTaskType;
  bool EnhancedSchedule = false;
  std::string SchedDesc;
  StringList DaysOfWeek;
  StringList Months;
  StringList DaysOfMonth;
  StringList WeeksOfMonth;
  std::string StartTime;
  std::string EndTime;
  std::string Period;
  std::string DayofWeek;
};
