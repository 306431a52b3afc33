// The schedule query: every backup schedule with its associated nodes.
#include "schedules/CForeignHandlerTSMPolicy.h"

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/CForeignHandlerTSMSchedule.h"
#include "schedules/DetailedScheduleLayout.h"

namespace {

constexpr const char* kParseFunction = "CTSMPolicy::_ParseData";
// Fewer columns than this cannot hold the action.
constexpr size_t kMinTokens = 7;
constexpr size_t kActionColumn = 3;
constexpr size_t kDescriptionColumn = 2;

void FillColumns(const std::vector<std::string>& tokens, const DetailedScheduleColumns& col,
                 CTSMSchedule* record) {
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
    tsmsplit::SplitValueList(tokens[col.dayOfWeek], record->getDaysOfWeek());
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
  const std::string path = FormAFilePath(outputFile_);
  return ReadFormAFile(path, options, [&](const DsmRecord& record) {
    if (IsUnreadableScheduleLine(record.fields)) {
      LogUnknownScheduleLayout(kParseFunction, path, record.lineNumber, record.fields.size());
      noteUnreadOutput();
      return true;
    }
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

  const DetailedScheduleColumns* layout = DetailedScheduleLayoutFor(tokens.size());
  if (layout == nullptr) return true;
  FillColumns(tokens, *layout, &record);

  if (!FetchAssociation(*this, *this, record.getPolicyDomain(), record.getSchedName(), &record)) {
    ev.DebugJob(kParseFunction, get_JobId(), "Unable to fetch client-policy association for [%s]",
                record.getSchedName().c_str());
    return false;
  }
  records->push_back(record);
  return true;
}
