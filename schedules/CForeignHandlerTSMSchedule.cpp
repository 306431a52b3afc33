// The per-node schedule query and the helpers the schedule queries share.
#include "schedules/CForeignHandlerTSMSchedule.h"

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "host/ZyUtil.h"
#include "schedules/CForeignHandlerTSMAssoc.h"
#include "schedules/ReplayNodeSchedules.h"

namespace {

constexpr const char* kParseFunction = "CTSMClientSchedule::_ParseData";
constexpr size_t kMinTokens = 7;
constexpr size_t kActionColumn = 3;
constexpr size_t kDefaultPriorityColumn = 6;

struct NodeScheduleColumns {
  size_t priority;
  size_t objects;
};
constexpr NodeScheduleColumns kLayoutA = {7, 6};  // with the extra column before the objects
constexpr NodeScheduleColumns kLayoutB = {6, 5};

// The layout of a line by its field count; null when it has neither. The
// saved full query writes 20 (A) or 19 (B) fields, the live per-node query
// one more. A line ending in ',' counts its empty last field (see
// handler/Splitting.h).
const NodeScheduleColumns* LayoutFor(size_t fields, bool replay) {
  const size_t layoutA = replay ? 20 : 21;
  if (fields == layoutA) return &kLayoutA;
  if (fields == layoutA - 1) return &kLayoutB;
  return nullptr;
}

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
  return ReadFormAFile(path, options,
                       [&](const DsmRecord& record) { return parseLine(record.fields, record.raw); });
}

bool CTSMClientSchedule::parseReplayed(const std::shared_ptr<const FormAParsedFile>& file) {
  std::shared_ptr<const ReplayNodeSchedules> index =
      ReplayNodeSchedules::For(file, FormAFilePath(tsmcmd::kAssocFile), get_JobId());
  if (index == nullptr) {
    // The association file cannot be read: line by line, so the first
    // backup schedule reports the failure as it always has.
    for (size_t i = 0; i < file->tokens.size(); ++i) {
      if (!parseLine(file->tokens[i], file->raw[i])) return false;
    }
    return true;
  }
  EvEvent ev;
  for (size_t i : index->LinesOf(nodeName_)) {
    ev.DebugLvl(kParseFunction, 4, get_JobId(), "found  ->> nodename= '%s'", nodeName_.c_str());
    addRecord(file->tokens[i], file->raw[i], true);
  }
  return true;
}

bool CTSMClientSchedule::parseLine(const std::vector<std::string>& tokens, const std::string& rawLine) {
  if (!IsBackupScheduleLine(tokens)) return true;

  const bool replay = isReplay();
  if (replay) {
    bool failed = false;
    const bool associated = isAssociated(tokens[0], tokens[1], &failed);
    if (failed) return false;
    if (!associated) return true;
  }
  addRecord(tokens, rawLine, replay);
  return true;
}

void CTSMClientSchedule::addRecord(const std::vector<std::string>& tokens, const std::string& rawLine,
                                   bool replay) {
  CTSMSchedule record;
  record.setPolicyDomain(tokens[0]);
  record.setSchedName(tokens[1]);
  record.setPriority(tokens[kDefaultPriorityColumn]);
  record.setSubTaskType(tokens[kActionColumn]);
  EvEvent ev;
  ev.DebugLvl(kParseFunction, 4, get_JobId(), "Schedule name is: [%s], Token size is %d  %c",
              record.getSchedName().c_str(), static_cast<int>(tokens.size()), LastCharOf(rawLine));

  std::vector<std::string> objects;
  if (const NodeScheduleColumns* layout = LayoutFor(tokens.size(), replay)) {
    record.setPriority(tokens[layout->priority]);
    objects = tsmsplit::SplitNodeScheduleObjects(tokens[layout->objects]);
  }
  if (objects.empty()) objects.push_back("\\");
  record.setObjects(std::move(objects));
  schedules_.push_back(std::move(record));
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
