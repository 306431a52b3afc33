// Process-wide counts of dsmadmc runs and failed fetches by command kind,
// so that a host can tell a healthy job from one whose per-item queries
// (one per node or library) failed without any operation failing. Kept
// by the command execution base; thread-safe; live until process exit.
#pragma once

#include <map>
#include <string>

#include "host/ZyHostApi.h"

struct ZYHOST_API CommandKind {
  std::string name;      // "node", "sched", "db2", ...
  bool perItem = false;  // one run per node or library
};

struct ZYHOST_API CommandKindCounts {
  bool perItem = false;
  long runs = 0;
  long failures = 0;
};

class ZYHOST_API CommandStats {
 public:
  // Records one fetch that ran (or tried to run) a command.
  static void Record(const CommandKind& kind, bool failed);
  // Records a fetch whose output held lines the parser could not read: a
  // failure, without a run of its own (the run, if any, is recorded too).
  static void RecordUnreadOutput(const CommandKind& kind);
  static std::map<std::string, CommandKindCounts> Snapshot();
  static void Reset();
  // The kind of an output file name: "ixr_node.txt" is "node",
  // "ixr_drives_LIB1.txt" is "drives" for one item; "" gives "other".
  static CommandKind KindOfFile(const std::string& fileName);
};
