// The schedule query: every backup schedule with its associated nodes.
#include "schedules/CForeignHandlerTSMPolicy.h"

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/CForeignHandlerTSMSchedule.h"

namespace {

constexpr const char* kParseFunction = "CTSMPolicy::_ParseData";
// Fewer columns than this cannot hold the action.
constexpr size_t kMinTokens = 7;
constexpr size_t kActionColumn = 3;
constexpr size_t kDescriptionColumn = 2;

// Columns of the two layouts servers write; the 20-column layout has one
// more column before the objects.
struct ScheduleColumns {
  size_t objects;
  size_t priority;
  size_t startTime;
  size_t style;
  size_t period;
  size_t dayOfWeek;
  size_t daysOfWeek;
  size_t months;
  size_t daysOfMonth;
  size_t weeksOfMonth;
  size_t endTime;
};
constexpr ScheduleColumns kColumns19 = {5, 6, 7, 9, 10, 11, 11, 12, 13, 14, 15};
constexpr ScheduleColumns kColumns20 = {6, 7, 8, 10, 11, 12, 12, 13, 14, 15, 16};

void FillColumns(const std::vector<std::string>& tokens, const ScheduleColumns& col, CTSMSchedule* record) {
  record->setSchedDesc(tokens[kDescriptionColumn]);
  record->setObjects(tsmsplit::SplitScheduleObjects(tokens[col.objects]));
  record->setPriority(tokens[col.priority]);
  record->setStartTime(tokens[col.startTime]);
  record->setPeriod(tokens[col.period]);
  record->setDayofWeek(tokens[col.dayOfWeek]);
  record->setEndTime(tokens[col.endTime]);
  // The style compares exactly: "ENHANCED" is not an enhanced schedule.
  if (tokens[col.style] == "Enhanced") {
    record->setEnhancedSchedule(true);
    tsmsplit::SplitValueList(tokens[col.daysOfWeek], record->getDaysOfWeek());
    tsmsplit::SplitValueList(tokens[col.months], record->getMonths());
    tsmsplit::SplitValueList(tokens[col.daysOfMonth], record->getDaysOfMonth());
    tsmsplit::SplitValueList(tokens[col.weeksOfMonth], record->getWeeksOfMonth());
  } else {
    record->setEnhancedSchedule(false);
  }
}

}  // namespace

CTSMPolicy::CTSMPolicy() : CForeignCmdExecBase(kCommunicationMethod0), outputFile_(tsmcmd::kScheduleFile) {}

std::string CTSMPolicy::_GetCommandLine() {
  set_logCommandLine(false);
  if (get_UseExistingFiles()) return kSkipMarker;
  return tsmcmd::FormA(GetBinaryPath(), *this, outputFile_, tsmcmd::kScheduleQuery);
}

bool CTSMPolicy::_ParseData(void* out, const std::vector<std::string>& /*lines*/) {
  auto* records = static_cast<std::vector<CTSMSchedule>*>(out);
  if (records == nullptr) {
    EvEvent ev;
    ev.Error(kParseFunction, "No schedule list given");
    return false;
  }
  FormAReadOptions options;
  options.function = kParseFunction;
  options.jobId = get_JobId();
  options.logStart = true;
  return ReadFormAFile(FormAFilePath(outputFile_), options, [&](const DsmRecord& record) {
    return parseLine(record.fields, record.raw, records);
  });
}

bool CTSMPolicy::parseLine(const std::vector<std::string>& tokens, const std::string& rawLine,
                           std::vector<CTSMSchedule>* records) {
  if (tokens.size() < kMinTokens || !IsTSMBackupAction(tokens[kActionColumn])) return true;

  CTSMSchedule record;
  record.setPolicyDomain(tokens[0]);
  record.setSchedName(tokens[1]);
  record.setSubTaskType(tokens[kActionColumn]);
  EvEvent ev;
  ev.DebugLvl(kParseFunction, 4, get_JobId(), "Token size is %d  %c", static_cast<int>(tokens.size()),
              LastCharOf(rawLine));

  if (tokens.size() == 20) {
    FillColumns(tokens, kColumns20, &record);
  } else if (tokens.size() == 19) {
    FillColumns(tokens, kColumns19, &record);
  } else {
    return true;
  }

  if (!FetchAssociation(*this, *this, record.getPolicyDomain(), record.getSchedName(), &record)) {
    ev.DebugJob(kParseFunction, get_JobId(), "Unable to fetch client-policy association for [%s]",
                record.getSchedName().c_str());
    return false;
  }
  records->push_back(record);
  return true;
}
