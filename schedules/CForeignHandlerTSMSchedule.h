// The per-node schedule query: the backup schedules that apply to one TSM
// node, as CTSMSchedule records (name, policy domain, action, priority,
// objects; the other members stay empty).
//
// Live, it runs the detailed schedule query restricted with " Nodes=". When
// output gathered earlier is replayed, the saved file holds the schedules of
// all nodes, so each schedule's node association is checked with a
// CTSMAssoc run.
//
// Use: one fetcher per node, on the caller's stack. SetNodeName, SetLogin,
// SetPassword, FetchData(nullptr), then read getSchedules() while the
// fetcher lives. FetchData is false when the output file cannot be read,
// when a replay association query fails, or when the node name cannot be
// put on a command line; records appended before a failure stay. Exit
// status 11 (nothing matched) counts as success with no records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "handler/FormAReader.h"
#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "schedules/CTSMSchedule.h"
#include "schedules/ReplayAssociations.h"

// True when a schedule's action is one of the backup actions kept by the
// schedule queries: "Incremental", "Selective", "ImageBackup" or "Inc", in
// any case.
bool IsTSMBackupAction(const std::string& action);

// True for a line of the per-node schedule query that names a backup
// schedule (enough columns, a backup action); other lines are skipped.
bool IsBackupScheduleLine(const std::vector<std::string>& tokens);
// A line of the detailed listing that would be lost unseen: a backup
// schedule, or a line too short to name its action, whose field count no
// layout has (schedules/DetailedScheduleLayout.h). Lines of other actions
// are not read whatever their count.
bool IsUnreadableScheduleLine(const std::vector<std::string>& tokens);

// Last character of a raw output line, or 0 for an empty line.
char LastCharOf(const std::string& line);

class CTSMClientSchedule : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  // dsmadmc exit status of a query that matched nothing.
  static constexpr int kNothingMatched = 11;

  CTSMClientSchedule();

  // Stores the node name and sets the output file name ("ixr_sched.txt",
  // the same file as the full schedule query).
  void SetNodeName(const std::string& nodeName);
  std::string GetNodeName() const { return nodeName_; }
  std::string GetOutputFileName() const { return outputFile_; }

  // The records of every FetchData so far, in output order. Owned by the
  // fetcher; valid while it lives. Only appended to.
  std::vector<CTSMSchedule>* getSchedules() { return &schedules_; }

  std::string _GetCommandLine() override;
  // Ignores both arguments and reads the output file itself.
  bool _ParseData(void* out, const std::vector<std::string>& lines) override;
  using CForeignCmdExecBase::_ParseData;
  // The file the run writes, so that only it is removed before the run.
  const char* _GetFileNameForData() const override { return outputFile_.c_str(); }
  // One run per node, whatever file it writes.
  CommandKind GetCommandKind() const override { return {"node schedule", true}; }

 private:
  bool isReplay() const;
  // Replay mode: true when nodeName_ is in the association list of
  // domain/schedule; false in `*failed` when the association query failed.
  bool isAssociated(const std::string& domain, const std::string& schedule, bool* failed);
  bool parseLine(const std::vector<std::string>& tokens, const std::string& rawLine, size_t lineNumber);
  // Replay: only the node's lines of the saved file, from the index.
  bool parseReplayed(const std::shared_ptr<const FormAParsedFile>& file);
  void addRecord(const std::vector<std::string>& tokens, const std::string& rawLine, size_t lineNumber);
  // Logs a line no layout has and counts the fetch as failed.
  void reportUnread(size_t lineNumber, size_t fields);

  std::string nodeName_;
  std::vector<CTSMSchedule> schedules_;
  std::shared_ptr<const ReplayAssociations> associations_;  // replay: during one parse
  std::string outputFile_;
};
