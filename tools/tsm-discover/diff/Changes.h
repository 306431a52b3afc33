// What changed between two discoveries, as values. Each discovery's
// report model is flattened into items (a kind, a key made of names, and
// fields in a fixed order); items are matched by kind and key, never by
// position, so renumbered reply files or another file order read as no
// change. Lists whose order the server decides (a task's clients) are
// compared sorted.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmdiff {

using Fields = std::vector<std::pair<std::string, std::string>>;

// The kinds of items, in the order changes are listed.
constexpr const char* kKinds[] = {"client", "subclient", "task",           "subtask",    "library",
                                  "drive",  "medium",    "storage policy", "job history"};

struct Item {
  std::string kind;  // one of kKinds
  std::string key;   // "NODE1", "NODE1 / /home", "LIB1 / DRIVE2"
  Fields fields;
};

// The items of one discovery. A key met twice in one
// discovery (two subtasks of one name) gets " #2", " #3" in order.
std::vector<Item> ItemsOf(const tsmreport::ReportModel& model);

enum class ChangeType { kAdded, kRemoved, kChanged };

struct Change {
  ChangeType type;
  std::string kind, key;
  std::string field;               // kChanged: the field
  std::string oldValue, newValue;  // kChanged: its two values
  Fields fields;                   // kAdded, kRemoved: the item's fields
};

// The changes from `before` to `after`: grouped by kind in kKinds'
// order, sorted by key within a kind, a changed item's fields in order.
std::vector<Change> Compare(const std::vector<Item>& before, const std::vector<Item>& after);

}  // namespace tsmdiff
