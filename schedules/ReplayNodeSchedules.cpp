#include "schedules/ReplayNodeSchedules.h"

#include <mutex>

#include "handler/TSMCommands.h"
#include "schedules/CForeignHandlerTSMSchedule.h"

namespace {

// One schedule file is replayed per job: the index of the last one is kept.
struct LastIndex {
  std::mutex mutex;
  std::shared_ptr<const FormAParsedFile> file;
  std::vector<size_t> backupLines;  // of `file`
  std::shared_ptr<const ReplayAssociations> associations;
  std::shared_ptr<const ReplayNodeSchedules> index;  // of `file` under `associations`
};

LastIndex& TheLastIndex() {
  static LastIndex* last = new LastIndex();  // never destroyed: parsers may run at exit
  return *last;
}

}  // namespace

std::shared_ptr<const ReplayNodeSchedules> ReplayNodeSchedules::For(
    const std::shared_ptr<const FormAParsedFile>& file, const std::string& associationPath, long long jobId) {
  LastIndex& last = TheLastIndex();
  std::lock_guard<std::mutex> lock(last.mutex);
  if (last.file != file) {
    last.file = file;
    last.backupLines.clear();
    for (size_t i = 0; i < file->tokens.size(); ++i) {
      if (IsBackupScheduleLine(file->tokens[i])) last.backupLines.push_back(i);
    }
    last.associations.reset();
    last.index.reset();
  }
  // No backup schedule: nothing is associated, and no association query
  // would have run.
  if (last.backupLines.empty()) return std::make_shared<const ReplayNodeSchedules>();
  std::shared_ptr<const ReplayAssociations> associations =
      ReplayAssociations::ForFile(associationPath, jobId);
  if (associations == nullptr) return nullptr;
  if (last.associations != associations || last.index == nullptr) {
    auto index = std::make_shared<ReplayNodeSchedules>();
    for (size_t i : last.backupLines) {
      const std::vector<std::string>& tokens = file->tokens[i];
      const std::set<std::string>* nodes = associations->NodesOf(tokens[0], tokens[1]);
      if (nodes == nullptr) continue;
      for (const std::string& node : *nodes) index->lines_[node].push_back(i);
    }
    last.associations = associations;
    last.index = index;
  }
  return last.index;
}

const std::vector<size_t>& ReplayNodeSchedules::LinesOf(const std::string& node) const {
  static const std::vector<size_t> kNone;
  auto it = lines_.find(tsmcmd::ToUpper(node));
  return it == lines_.end() ? kNone : it->second;
}
