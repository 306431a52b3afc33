// The per-node schedule query and the helpers the schedule queries share.
#include "schedules/CForeignHandlerTSMSchedule.h"

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/DetailedScheduleLayout.h"
#include "schedules/ReplayNodeSchedules.h"

namespace {

constexpr const char* kParseFunction = "CTSMClientSchedule::_ParseData";
constexpr size_t kMinTokens = 7;
constexpr size_t kActionColumn = 3;
constexpr size_t kDefaultPriorityColumn = 6;

}  // namespace

bool IsTSMBackupAction(const std::string& action) {
  static const char* const kActions[] = {"Incremental", "Selective", "ImageBackup", "Inc"};
  for (const char* known : kActions) {
    if (compareNoCase(action, known) == 0) return true;
  }
  return false;
}

bool IsBackupScheduleLine(const std::vector<std::string>& tokens) {
  return tokens.size() >= kMinTokens && IsTSMBackupAction(tokens[kActionColumn]);
}

bool IsUnreadableScheduleLine(const std::vector<std::string>& tokens) {
  if (DetailedScheduleLayoutFor(tokens.size()) != nullptr) return false;
  return tokens.size() < kMinTokens || IsTSMBackupAction(tokens[kActionColumn]);
}

char LastCharOf(const std::string& line) { return line.empty() ? '\0' : line.back(); }

CTSMClientSchedule::CTSMClientSchedule() : CForeignCmdExecBase(kCommunicationMethod0) {
  AddSuccessRetCode(0);
  AddSuccessRetCode(kNothingMatched);
}

void CTSMClientSchedule::SetNodeName(const std::string& nodeName) {
  nodeName_ = nodeName;
  outputFile_ = tsmcmd::kScheduleFile;
}

bool CTSMClientSchedule::isReplay() const {
  const char* from = get_UseExistingFilesFrom();
  return from != nullptr && from[0] != '\0' && !nodeName_.empty();
}

std::string CTSMClientSchedule::_GetCommandLine() {
  set_logCommandLine(false);
  // A refused name runs nothing; the parser reports the failure.
  if (get_UseExistingFiles() || !tsmcmd::IsCommandWord(nodeName_)) return kSkipMarker;
  return tsmcmd::FormA(GetBinaryPath(), *this, outputFile_,
                       std::string(tsmcmd::kScheduleQuery) + tsmcmd::kClientScheduleNodes + nodeName_);
}

bool CTSMClientSchedule::_ParseData(void* /*out*/, const std::vector<std::string>& /*lines*/) {
  EvEvent ev;
  const std::string path = FormAFilePath(outputFile_);
  ev.DebugJob(kParseFunction, get_JobId(), "Start processing file [%s].", path.c_str());
  if (!get_UseExistingFiles()) {
    if (!tsmcmd::IsCommandWord(nodeName_)) {
      ev.Error(kParseFunction, "Refusing schedule query for node [%s]: blank or quote in name",
               nodeName_.c_str());
      return false;
    }
    if (get_execResult() == kNothingMatched) return true;
  }

  associations_.reset();  // looked up once per parse, at the first question
  FormAReadOptions options;
  options.function = kParseFunction;
  options.jobId = get_JobId();
  options.parseOnceWhenReplaying = true;
  if (isReplay() && get_UseExistingFiles()) {
    return VisitFormAFileOnce(path, options, [&](const std::shared_ptr<const FormAParsedFile>& file) {
      return parseReplayed(file);
    });
  }
  return ReadFormAFile(path, options, [&](const DsmRecord& record) {
    return parseLine(record.fields, record.raw, record.lineNumber);
  });
}

bool CTSMClientSchedule::parseReplayed(const std::shared_ptr<const FormAParsedFile>& file) {
  std::shared_ptr<const ReplayNodeSchedules> index =
      ReplayNodeSchedules::For(file, FormAFilePath(tsmcmd::kAssocFile), get_JobId());
  if (index == nullptr) {
    // The association file cannot be read: line by line, so the first
    // backup schedule reports the failure as it always has.
    for (size_t i = 0; i < file->tokens.size(); ++i) {
      if (!parseLine(file->tokens[i], file->raw[i], file->lineNumbers[i])) return false;
    }
    return true;
  }
  EvEvent ev;
  for (size_t i : index->LinesOf(nodeName_)) {
    ev.DebugLvl(kParseFunction, 4, get_JobId(), "found  ->> nodename= '%s'", nodeName_.c_str());
    addRecord(file->tokens[i], file->raw[i], file->lineNumbers[i]);
  }
  return true;
}

bool CTSMClientSchedule::parseLine(const std::vector<std::string>& tokens, const std::string& rawLine,
                                   size_t lineNumber) {
  if (!IsBackupScheduleLine(tokens)) {
    if (IsUnreadableScheduleLine(tokens)) reportUnread(lineNumber, tokens.size());
    return true;
  }

  const bool replay = isReplay();
  if (replay) {
    bool failed = false;
    const bool associated = isAssociated(tokens[0], tokens[1], &failed);
    if (failed) return false;
    if (!associated) return true;
  }
  addRecord(tokens, rawLine, lineNumber);
  return true;
}

void CTSMClientSchedule::addRecord(const std::vector<std::string>& tokens, const std::string& rawLine,
                                   size_t lineNumber) {
  CTSMSchedule record;
  record.setPolicyDomain(tokens[0]);
  record.setSchedName(tokens[1]);
  record.setPriority(tokens[kDefaultPriorityColumn]);
  record.setSubTaskType(tokens[kActionColumn]);
  EvEvent ev;
  ev.DebugLvl(kParseFunction, 4, get_JobId(), "Schedule name is: [%s], Token size is %d  %c",
              record.getSchedName().c_str(), static_cast<int>(tokens.size()), LastCharOf(rawLine));

  std::vector<std::string> objects;
  // The layout by the field count alone, live and replayed: a server
  // prints the same layout with NODES= as without.
  if (const DetailedScheduleColumns* layout = DetailedScheduleLayoutFor(tokens.size())) {
    record.setPriority(tokens[layout->priority]);
    objects = tsmsplit::SplitNodeScheduleObjects(tokens[layout->objects]);
  } else {
    reportUnread(lineNumber, tokens.size());
  }
  if (objects.empty()) objects.push_back("\\");
  record.setObjects(std::move(objects));
  schedules_.push_back(std::move(record));
}

void CTSMClientSchedule::reportUnread(size_t lineNumber, size_t fields) {
  LogUnknownScheduleLayout(kParseFunction, FormAFilePath(outputFile_), lineNumber, fields);
  noteUnreadOutput();
}

bool CTSMClientSchedule::isAssociated(const std::string& domain, const std::string& schedule, bool* failed) {
  EvEvent ev;
  // Answered from the association file read once per job, not one fetch
  // per schedule line of every node.
  if (associations_ == nullptr) {
    associations_ = ReplayAssociations::ForFile(FormAFilePath(tsmcmd::kAssocFile), get_JobId());
  }
  if (associations_ == nullptr) {
    ev.DebugJob(kParseFunction, get_JobId(), "Unable to fetch client-policy association for [%s]",
                schedule.c_str());
    *failed = true;
    return false;
  }
  if (!associations_->IsAssociated(domain, schedule, nodeName_)) return false;
  ev.DebugLvl(kParseFunction, 4, get_JobId(), "found  ->> nodename= '%s'", nodeName_.c_str());
  return true;
}
