// Storage policies: one copy per (library, pool) record merged into the
// policy of its pool, and the default catch-all policy.
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"
#include "storage/StoragePolicyNaming.h"
#include "storage/TSMStandAloneLib.h"
#include "storage/TSMStoragePolicy.h"

using namespace zyfields;
using Policy = FDC::StoragePolicy;
using Copy = FDC::StoragePolicyCopy;
using DataPath = FDC::StoragePolicyDataPath;

namespace {

constexpr const char* kDefaultCopyName = "DEFAULT_COPY_NAME";
constexpr const char* kNoPool = "NO_POOL";
constexpr long long kRetention = 5;  // policy field14, pool copies' field15

// The policy named `name` in any letter case, or a new one appended last.
// Walks the policies only, so the cost grows with the number of pools.
Policy* FindOrAppendPolicy(FDC::StoragePolicyList* list, const std::string& name) {
  CNMessageList* policies = List(list, FDC::StoragePolicyList::storagePolicies);
  if (policies == nullptr) return nullptr;
  for (size_t i = 0; i < policies->size(); ++i) {
    if (compareNoCase(GetString(policies->at(i), Policy::storagePolicyName), name) == 0)
      return dynamic_cast<Policy*>(policies->at(i));
  }
  return dynamic_cast<Policy*>(policies->Append(Policy()));
}

// The copy fields both kinds of copy share; `field15` and `description`
// tell a pool copy from the default one.
void FillCopy(Copy* copy, const std::string& policyName, const std::string& copyName, long long field15,
              const char* description) {
  SetString(copy, Copy::storagePolicyName, policyName);
  SetInt(copy, Copy::field5, 1);
  SetString(copy, Copy::copyName, copyName);
  SetInt(copy, Copy::field10, 0);
  SetInt(copy, Copy::field11, 0);
  SetInt(copy, Copy::field12, 1);
  SetInt(copy, Copy::field13, 1);
  SetInt(copy, Copy::field14, 0);
  SetInt(copy, Copy::field15, field15);
  SetInt(copy, Copy::field16, 0);
  SetInt(copy, Copy::field17, 0);
  SetString(copy, Copy::description, description);
  SetInt(copy, Copy::field23, -1);
}

// The one data path of a copy, appended to it.
void AppendDataPath(Copy* copy, const std::string& policyName, const std::string& copyName,
                    const std::string& libraryName) {
  DataPath path;
  SetString(&path, DataPath::storagePolicyName, policyName);
  SetString(&path, DataPath::copyName, copyName);
  SetString(&path, DataPath::poolName, kNoPool);
  SetString(&path, DataPath::serverName, CForeignHandlerTSM::GetServerName());
  SetString(&path, DataPath::libraryName, libraryName);
  SetInt(&path, DataPath::field21, 0);
  SetInt(&path, DataPath::field22, 1);
  SetInt(&path, DataPath::field23, 1);
  for (FieldRef zero : {DataPath::field24, DataPath::field25, DataPath::field26, DataPath::field27}) {
    SetInt(&path, zero, 0);
  }
  List(copy, Copy::dataPaths)->Append(path);
}

// Adds the copy `copyName` (data path to `libraryName`) to the policy of
// pool `poolName`, which takes this spelling of the name.
bool MergePoolCopy(FDC::StoragePolicyList* list, const std::string& poolName, const std::string& copyName,
                   const std::string& libraryName) {
  Policy* policy = FindOrAppendPolicy(list, poolName);
  if (policy == nullptr) return false;
  SetString(policy, Policy::defaultCopyName, poolName);
  SetString(policy, Policy::snapCopyName, poolName);
  SetString(policy, Policy::storagePolicyName, poolName);
  SetInt(policy, Policy::field14, kRetention);
  SetInt(policy, Policy::field20, 0);
  SetString(policy, Policy::timeZoneName, GetTimeZoneDisplayNameA());
  auto* copy = AppendNew<Copy>(policy, Policy::copies);
  FillCopy(copy, poolName, copyName, kRetention, "TSM Migrated copy");
  AppendDataPath(copy, poolName, copyName, libraryName);
  return true;
}

}  // namespace

bool TSMStoragePolicy::BuildStoragePolicy(FDC::StoragePolicyList* list) const {
  return MergePoolCopy(list, spName, libName, libName);
}

bool TSMStandAloneLib::BuildStoragePolicy(FDC::StoragePolicyList* list) const {
  return MergePoolCopy(list, spName, storagePath, libName);
}

bool AppendDefaultStoragePolicy(FDC::StoragePolicyList* list) {
  CNMessageList* policies = List(list, FDC::StoragePolicyList::storagePolicies);
  if (policies == nullptr) return false;
  Policy policy;
  SetString(&policy, Policy::storagePolicyName, GenerateStoragePolicyNameStr());
  SetString(&policy, Policy::defaultCopyName, kDefaultCopyName);
  SetString(&policy, Policy::snapCopyName, "DEFAULT_SNAPCOPY_NAME");
  SetInt(&policy, Policy::field14, kRetention);
  SetInt(&policy, Policy::field20, 0);
  SetString(&policy, Policy::timeZoneName, GetTimeZoneDisplayNameA());
  Copy copy;
  FillCopy(&copy, GetString(&policy, Policy::storagePolicyName), kDefaultCopyName, 0, "TSM Default Copy");
  SetInt(&policy, Policy::field13, 0);
  SetInt(&policy, Policy::field19, 0);
  AppendDataPath(&copy, GenerateStoragePolicyNameStr(), kDefaultCopyName, GenerateLibraryName());
  List(&policy, Policy::copies)->Append(copy);
  SetString(&policy, Policy::description, "Default Catch All Storage Policy");
  // Last, and without a search: a pool of the same name keeps its own.
  policies->Append(policy);
  return true;
}
