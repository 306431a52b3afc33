// One (library, storage pool) pair of the storage policy select: the
// record CTSMSPFetcher fills and the storage policy builder merges. Plain
// value class.
#pragma once

#include <string>

namespace FDC {
class StoragePolicyList;
}  // namespace FDC

class TSMStoragePolicy {
 public:
  std::string get_spName() const { return spName; }
  void set_spName(std::string v) { spName = std::move(v); }
  std::string get_libName() const { return libName; }
  void set_libName(std::string v) { libName = std::move(v); }

  // Adds one copy named after the library to the policy of this pool:
  // the first policy of `list` whose name equals the pool name in any
  // letter case, renamed to this record's spelling, or a new policy
  // appended last. False for a null list.
  bool BuildStoragePolicy(FDC::StoragePolicyList* list) const;

 private:
  std::string spName;
  std::string libName;
};

// Appends the default catch-all storage policy, named
// GenerateStoragePolicyNameStr(), with one copy whose data path points at
// the default library. Appended last without a search by name. False for
// a null list.
bool AppendDefaultStoragePolicy(FDC::StoragePolicyList* list);
