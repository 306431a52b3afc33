// Under gathered files, which nodes each schedule is associated with, read
// once per job from the association file. The per-node schedule query asks
// for every backup schedule line of every node whether the node is
// associated; answering that with a whole association fetch per question
// made a site's replay grow with nodes x schedules (re-reading the file
// each time). The index holds what those fetches found: for each (domain,
// schedule) the node list of the last matching line, compared without
// regard to case.
//
// Shared and immutable once built; a changed file (size or modification
// time) is read again. Thread-safe.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

class ReplayAssociations {
 public:
  // The index of the association file at `path`; null when it cannot be
  // read (every question then fails, as the fetch would have). Reading it
  // logs the association parser's usual lines, once.
  static std::shared_ptr<const ReplayAssociations> ForFile(const std::string& path, long long jobId);

  bool IsAssociated(const std::string& domain, const std::string& schedule, const std::string& node) const;
  // The upper-cased node names of domain/schedule; null when it has no line.
  const std::set<std::string>* NodesOf(const std::string& domain, const std::string& schedule) const;

 private:
  std::map<std::pair<std::string, std::string>, std::set<std::string>> nodes_;  // node names upper-cased
};
