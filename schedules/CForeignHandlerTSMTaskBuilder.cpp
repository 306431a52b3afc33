// Pattern translation: one schedule record becomes one task request, with
// a task header, one association entity per node and the subtasks that
// carry the run pattern.
#include <cctype>
#include <string>

#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMDayCodes.h"
#include "schedules/CForeignHandlerTSMNodeLookup.h"
#include "schedules/CTSMSchedule.h"

namespace {

using namespace zyfields;
using Definition = TMMsg::TaskDefinition;
using Entity = ZyEntities::GenericEntity;

constexpr const char* kFunction = "CTSMSchedule::BuildTask";
// Enhanced list items that stand for every month, week or day; exact.
constexpr const char* kAny = "Any";
constexpr int kMonthsPerYear = 12;
constexpr int kWeeksPerMonth = 5;

void FillHeader(const CTSMSchedule& s, TMMsg::TaskHeader* header) {
  using H = TMMsg::TaskHeader;
  SetInt(header, H::field1, 0);
  SetString(header, H::taskName,
            CForeignHandlerTSM::GenerateCompositeName(s.PolicyDomain + "_" + s.SchedName));
  auto* options = Object<TMMsg::TaskOptions>(header, H::taskOptions);
  SetInt(options, TMMsg::TaskOptions::field1, 0);
  SetInt(options, TMMsg::TaskOptions::field5, 0);
  SetInt(header, H::field7, 0);
  SetInt(header, H::field8, 4);
  SetInt(header, H::field9, 0);
  SetInt(header, H::field12, 5);
  SetInt(header, H::field13, 0);
  SetString(header, H::description, s.SchedDesc);
  SetInt(header, H::field28, 0);
}

// The TSM server's own machine is named as the local host.
void AppendEntity(const CTSMSchedule& s, const TSMClientInfo& node, Definition* definition) {
  Entity* entity = AppendNew<Entity>(definition, Definition::associations);
  SetInt(entity, Entity::field10, 3);
  const bool master = is_MasterServer(node.Hostname);
  SetString(entity, Entity::clientName, master ? GetHostName() : node.NodeName);
  SetString(entity, Entity::hostName, master ? EvDebug::getHostName() : node.Hostname);
  std::string appName;
  SetInt(entity, Entity::appType, CForeignHandlerTSM::getZYAppType(node.OSVersion, node.Platform, appName));
  SetString(entity, Entity::appName, appName);
  SetString(entity, Entity::zyphorName, CForeignHandlerTSM::GenerateZyphorName());
  SetString(entity, Entity::instanceName, "DefaultInstanceName");
  SetString(entity, Entity::backupSetName, "defaultBackupSet");
  SetString(entity, Entity::subclientName, s.SchedName);
}

// Header, extension and one entity per node the node query finds. False
// at the first failed node query.
bool BuildTask(const CTSMSchedule& s, TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes) {
  auto* definition = Object<Definition>(req, TMMsg::CreateTaskReq::taskDefinition);
  if (definition == nullptr) return false;
  Object<TMMsg::TaskExtension>(definition, Definition::taskExtension);
  FillHeader(s, Object<TMMsg::TaskHeader>(definition, Definition::taskHeader));

  EvEvent ev;
  for (const std::string& name : s.ClientList) {
    TSMClientInfo node;
    switch (nodes->Find(name, &node)) {
      case CTSMNodeLookup::Result::kFailed:
        ev.Error(kFunction, "Node query failed for node [%s] of schedule [%s]", name.c_str(),
                 s.SchedName.c_str());
        return false;
      case CTSMNodeLookup::Result::kNotFound:
        ev.DebugLvl(kFunction, 4, "Node [%s] of schedule [%s] not found", name.c_str(), s.SchedName.c_str());
        break;
      case CTSMNodeLookup::Result::kFound:
        AppendEntity(s, node, definition);
        break;
    }
  }
  return true;
}

void AppendSubTask(TMMsg::CreateTaskReq* req, const TMMsg::SubTaskInfo& st) {
  auto* definition = Object<Definition>(req, TMMsg::CreateTaskReq::taskDefinition);
  List(definition, Definition::subTasks)->Append(st);
}

// BuildTask with a lookup of its own when the caller gave none.
bool BuildTaskPart(const CTSMSchedule& s, TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes) {
  if (nodes != nullptr) return BuildTask(s, req, nodes);
  CTSMNodeLookup own(s, 0);
  return BuildTask(s, req, &own);
}

bool StartsWithDigit(const std::string& item) {
  return !item.empty() && std::isdigit(static_cast<unsigned char>(item[0])) != 0;
}

using PeriodBuilder = bool (CTSMSchedule::*)(TMMsg::SubTaskInfo*, const std::string&, const std::string&,
                                             const std::string&, const std::string&,
                                             const std::string&) const;
struct PeriodUnit {
  const char* word;  // found in the period text, case-sensitive
  PeriodBuilder build;
};
constexpr PeriodUnit kPeriodUnits[] = {
    {"Hour", &CTSMSchedule::_createSubTaskForHour}, {"Day", &CTSMSchedule::_createSubTaskForDay},
    {"Week", &CTSMSchedule::_createSubTaskForWeek}, {"Month", &CTSMSchedule::_createSubTaskForMonth},
    {"Year", &CTSMSchedule::_createSubTaskForYear},
};

// The subtasks of one (month, day of month, week of month, day of week)
// combination of an enhanced schedule, appended to the request.
class EnhancedExpansion {
 public:
  EnhancedExpansion(const CTSMSchedule& schedule, TMMsg::CreateTaskReq* req) : s_(schedule), req_(req) {}

  // True when the days-of-week loop ends here. A day-number item gives its
  // subtasks again for every (week, day of week) pair the loops visit.
  bool Expand(const std::string& m, const std::string& d, const std::string& w, const std::string& y) {
    if (StartsWithDigit(d)) {
      const int day = LeadingNumber(d);
      if (m != kAny) {
        return Add([&](St& st) { s_.CreateYearlySchedule_SpecificDay(st, GetMonthsToRun_Enhanced(m), day); });
      }
      for (int month = 1; month <= kMonthsPerYear; ++month) {
        Add([&](St& st) { s_.CreateYearlySchedule_SpecificDay(st, month, day); });
      }
      return false;
    }
    if (m == kAny && w == kAny) {
      Add([&](St& st) { s_.CreateWeeklySpecificSubTask(st, s_.SchedName, s_.DaysOfWeek); });
      return true;  // one subtask holds every day of the list
    }
    if (m == kAny) return Add([&](St& st) { s_.CreateMonthlySpecificSubTask(st, s_.SchedName, w, y); });
    if (w != kAny) {
      return Add(
          [&](St& st) { s_.CreateYearlySpecificSubTask(st, s_.SchedName, m, GetWeekToRun_Enhanced(w), y); });
    }
    for (int week = 1; week <= kWeeksPerMonth; ++week) {
      Add([&](St& st) { s_.CreateYearlySpecificSubTask(st, s_.SchedName, m, week, y); });
    }
    return false;
  }

 private:
  using St = TMMsg::SubTaskInfo;

  // A new subtask with the generic content, filled by `build`; false so
  // that Expand can return it.
  template <class Build>
  bool Add(Build build) {
    St st;
    s_.PopulateGenericSubTask(st);
    build(st);
    AppendSubTask(req_, st);
    return false;
  }

  const CTSMSchedule& s_;
  TMMsg::CreateTaskReq* req_;
};

}  // namespace

// Each test stands on its own and all work on one subtask: a copy is
// appended after every builder that ran, and a later builder keeps the
// fields it does not set.
bool CTSMSchedule::BuildSchedulePolicy(TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes) const {
  if (!BuildTaskPart(*this, req, nodes)) return false;
  TMMsg::SubTaskInfo st;
  PopulateGenericContent(st);
  if (compareNoCase(Period, "One Time") == 0 &&
      _createSubTaskForOneTime(&st, StartTime, SchedName, DayofWeek)) {
    AppendSubTask(req, st);
  }
  for (const PeriodUnit& unit : kPeriodUnits) {
    if (Period.find(unit.word) != std::string::npos &&
        (this->*unit.build)(&st, StartTime, SchedName, DayofWeek, Period, EndTime)) {
      AppendSubTask(req, st);
    }
  }
  return true;
}

// Months, days of month, weeks of month, days of week, outermost first.
// "Any" ends its loop after the first pass, where the expansion already
// covers every value.
bool CTSMSchedule::BuildEnhancedSchedulePolicy(TMMsg::CreateTaskReq* req, CTSMNodeLookup* nodes) const {
  if (!BuildTaskPart(*this, req, nodes)) return false;
  EnhancedExpansion expansion(*this, req);
  for (const std::string& m : Months) {
    for (const std::string& d : DaysOfMonth) {
      for (const std::string& w : WeeksOfMonth) {
        for (const std::string& y : DaysOfWeek) {
          if (expansion.Expand(m, d, w, y)) break;
        }
        if (w == kAny) break;
      }
    }
    if (m == kAny) break;
  }
  return true;
}
