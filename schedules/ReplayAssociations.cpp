#include "schedules/ReplayAssociations.h"

#include <sys/stat.h>

#include <mutex>
#include <vector>

#include "handler/FormAReader.h"
#include "handler/Splitting.h"
#include "handler/TSMCommands.h"

namespace {

// Domain, schedule, node list: the association query's line.
constexpr size_t kAssocTokens = 3;

struct Entry {
  long long size = -1;
  long long mtimeNs = -1;
  std::shared_ptr<const ReplayAssociations> index;
};

struct Cache {
  std::mutex mutex;
  std::map<std::string, Entry> byPath;
};

Cache& TheCache() {
  static Cache* cache = new Cache();  // never destroyed: parsers may run at exit
  return *cache;
}

}  // namespace

std::shared_ptr<const ReplayAssociations> ReplayAssociations::ForFile(const std::string& path,
                                                                      long long jobId) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return nullptr;
  const long long mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  Entry& entry = cache.byPath[path];
  if (entry.index != nullptr && entry.size == st.st_size && entry.mtimeNs == mtimeNs) return entry.index;

  auto index = std::make_shared<ReplayAssociations>();
  FormAReadOptions options;
  options.function = "CTSMAssoc::_ParseData";
  options.jobId = jobId;
  const bool ok = ReadFormAFile(path, options, [&](const DsmRecord& line) {
    const std::vector<std::string>& tokens = line.fields;
    if (tokens.size() != kAssocTokens) return true;
    std::set<std::string>& nodes = index->nodes_[{tokens[0], tokens[1]}];
    nodes.clear();  // a later line for the same schedule replaces the list
    for (const std::string& node : tsmsplit::SplitAssociationNodes(tokens[2]))
      nodes.insert(tsmcmd::ToUpper(node));
    return true;
  });
  if (!ok) return nullptr;
  entry = Entry{st.st_size, mtimeNs, index};
  return index;
}

bool ReplayAssociations::IsAssociated(const std::string& domain, const std::string& schedule,
                                      const std::string& node) const {
  const std::set<std::string>* nodes = NodesOf(domain, schedule);
  return nodes != nullptr && nodes->count(tsmcmd::ToUpper(node)) != 0;
}

const std::set<std::string>* ReplayAssociations::NodesOf(const std::string& domain,
                                                         const std::string& schedule) const {
  auto it = nodes_.find({domain, schedule});
  return it == nodes_.end() ? nullptr : &it->second;
}
