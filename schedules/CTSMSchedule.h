// One TSM client schedule: what the schedule query (CTSMPolicy), the
// association query (CTSMAssoc) and the per-node schedule query
// (CTSMClientSchedule) fill, and what the task and subclient builders read.
//
// Plain value class: copied and moved member by member, no virtual
// operations. The administrator credentials come first (TSMAdminInfo) so
// that the builders can hand them on to the fetchers they run.
//
// The task and subtask builders only write into the message they are
// given and never own it; nested objects and lists are created in it when
// absent.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "handler/TSMAdminInfo.h"

class CTSMNodeLookup;
namespace TMMsg {
class CreateTaskReq;
class SubTaskInfo;
}  // namespace TMMsg

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

  // Task builders (CForeignHandlerTSMTaskBuilder.cpp). Fill the task
  // definition of `req`: header, one association entity per node that the
  // node query finds (in client-list order), then the subtasks of a period
  // schedule or of the expansion of an enhanced one. False, with the
  // header and the entities made so far and no subtask, when a node query
  // fails. `nodes` answers the node queries (credentials, job id, one read
  // of gathered files); without one, a lookup with this record's
  // credentials serves the call.
  bool BuildSchedulePolicy(TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes = nullptr) const;
  bool BuildEnhancedSchedulePolicy(TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes = nullptr) const;

  // Subtask builders (CForeignHandlerTSMSubTasks.cpp). Each writes the
  // fields of its pattern kind into the subtask and leaves the others as
  // they were; all return true (false only for a null subtask).
  //
  // Header constants, backup level by action, description and a fresh
  // pattern with its constants and the time zone name.
  void PopulateGenericContent(TMMsg::SubTaskInfo& st) const;
  // The generic content, then start and end from this record.
  bool PopulateGenericSubTask(TMMsg::SubTaskInfo& st) const;
  // Period builders: named `name` + "_" + the day of week (one-time:
  // + "_" + year-month-day of the start, without leading zeros).
  bool _createSubTaskForOneTime(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                                const std::string& dayOfWeek) const;
  bool _createSubTaskForHour(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                             const std::string& dayOfWeek, const std::string& period,
                             const std::string& end) const;
  bool _createSubTaskForDay(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                            const std::string& dayOfWeek, const std::string& period,
                            const std::string& end) const;
  bool _createSubTaskForWeek(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                             const std::string& dayOfWeek, const std::string& period,
                             const std::string& end) const;
  bool _createSubTaskForMonth(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                              const std::string& dayOfWeek, const std::string& period,
                              const std::string& end) const;
  bool _createSubTaskForYear(TMMsg::SubTaskInfo* st, const std::string& start, const std::string& name,
                             const std::string& dayOfWeek, const std::string& period,
                             const std::string& end) const;
  // Enhanced builders, after PopulateGenericSubTask.
  bool CreateYearlySchedule_SpecificDay(TMMsg::SubTaskInfo& st, int month, int day) const;
  bool CreateWeeklySpecificSubTask(TMMsg::SubTaskInfo& st, const std::string& name,
                                   const std::vector<std::string>& daysOfWeek) const;
  bool CreateMonthlySpecificSubTask(TMMsg::SubTaskInfo& st, std::string name, std::string weekOfMonth,
                                    std::string dayOfWeek) const;
  bool CreateYearlySpecificSubTask(TMMsg::SubTaskInfo& st, std::string name, std::string month, int week,
                                   std::string dayOfWeek) const;

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
