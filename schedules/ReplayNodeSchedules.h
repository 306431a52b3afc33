// Under gathered files, the lines of the saved schedule file that each
// node's schedule query keeps: backup schedules associated with the node,
// in file order. The saved file holds the schedules of every node, so
// checking each of its lines for each node made a site's replay grow with
// nodes x schedules; this index is built once per file and association
// index instead.
//
// Shared and immutable once built. Thread-safe.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "handler/FormAReader.h"
#include "schedules/ReplayAssociations.h"

class ReplayNodeSchedules {
 public:
  // The index of `file` under the association file at `associationPath`.
  // Null when the file has backup schedule lines but the association file
  // cannot be read: the caller then asks line by line, and fails as the
  // association query would have.
  static std::shared_ptr<const ReplayNodeSchedules> For(const std::shared_ptr<const FormAParsedFile>& file,
                                                        const std::string& associationPath, long long jobId);

  // Line numbers of `file` for `node` (any case), ascending.
  const std::vector<size_t>& LinesOf(const std::string& node) const;

 private:
  std::map<std::string, std::vector<size_t>> lines_;  // by upper-cased node name
};
