#include "host/CommandStats.h"

#include <mutex>

namespace {

struct StatsState {
  std::mutex mutex;
  std::map<std::string, CommandKindCounts> counts;
};

StatsState& State() {
  static StatsState* state = new StatsState();  // never destroyed: fetchers may run at exit
  return *state;
}

constexpr const char kPrefix[] = "ixr_";
constexpr const char kSuffix[] = ".txt";

}  // namespace

void CommandStats::Record(const CommandKind& kind, bool failed) {
  StatsState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  CommandKindCounts& c = s.counts[kind.name];
  c.perItem = kind.perItem;
  ++c.runs;
  if (failed) ++c.failures;
}

void CommandStats::RecordUnreadOutput(const CommandKind& kind) {
  StatsState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  CommandKindCounts& c = s.counts[kind.name];
  c.perItem = kind.perItem;
  ++c.failures;
}

std::map<std::string, CommandKindCounts> CommandStats::Snapshot() {
  StatsState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.counts;
}

void CommandStats::Reset() {
  StatsState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.counts.clear();
}

CommandKind CommandStats::KindOfFile(const std::string& fileName) {
  std::string name = fileName.substr(fileName.rfind('/') == std::string::npos ? 0 : fileName.rfind('/') + 1);
  const size_t prefix = sizeof(kPrefix) - 1, suffix = sizeof(kSuffix) - 1;
  if (name.size() <= prefix + suffix || name.compare(0, prefix, kPrefix) != 0 ||
      name.compare(name.size() - suffix, suffix, kSuffix) != 0) {
    return {"other", false};
  }
  std::string stem = name.substr(prefix, name.size() - prefix - suffix);
  size_t item = stem.find('_');
  if (item == std::string::npos) return {stem, false};
  return {stem.substr(0, item), true};
}
