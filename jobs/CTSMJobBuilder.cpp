// The job builder: one FDC::JobInfo per backup entry, filed under the
// subclient the client hierarchy made for the entry's schedule (client =
// node, file-system agent, "DefaultInstanceName", "defaultBackupSet").
#include <cstdint>

#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "jobs/CTSMJobInfo.h"
#include "storage/StoragePolicyNaming.h"

namespace {

using namespace zyfields;

constexpr long long kJobKind = 4;
constexpr long long kSubclientKind = 7;
constexpr long long kStoragePolicyKind = 17;
constexpr long long kField11 = 300;

// What every job of one build shares.
struct JobContext {
  const TSMClientInfo& node;
  int appType;
  std::string appName;
  std::string zyphorName;
  std::string storagePolicyName;
};

void FillStoragePolicy(ZyEntities::StoragePolicyEntity* policy, const JobContext& c) {
  if (policy == nullptr) return;
  SetInt(policy, ZyEntities::StoragePolicyEntity::field5, kStoragePolicyKind);
  SetString(policy, ZyEntities::StoragePolicyEntity::storagePolicyName, c.storagePolicyName);
}

void FillOwner(FDC::JobInfo* job, const JobContext& c, const std::string& subclientName) {
  using Z = ZyEntities::ZyphorEntity;
  if (auto* zyphor = Object<Z>(job, FDC::JobInfo::zyphor)) {
    SetString(zyphor, Z::zyphorName, c.zyphorName);
    SetInt(zyphor, Z::field9, 1);
    SetInt(zyphor, Z::field10, 1);
  }
  using S = ZyEntities::SubclientEntity;
  auto* subclient = Object<S>(job, FDC::JobInfo::subclient);
  if (subclient == nullptr) return;
  SetInt(subclient, S::field5, kSubclientKind);
  SetString(subclient, S::clientName, c.node.NodeName);
  SetInt(subclient, S::appType, c.appType);
  SetString(subclient, S::appName, c.appName);
  SetString(subclient, S::instanceName, "DefaultInstanceName");
  SetString(subclient, S::backupSetName, "defaultBackupSet");
  SetString(subclient, S::zyphorName, c.zyphorName);
  SetString(subclient, S::subclientName, subclientName);
  SetInt(subclient, S::field63, 1);
}

void FillSummary(FDC::JobInfo* job, const CTSMJobInfo& r) {
  using J = FDC::JobSummary;
  auto* summary = Object<J>(job, FDC::JobInfo::summary);
  if (summary == nullptr) return;
  SetString(summary, J::description, "TSM Job run at " + r.startTime);
  SetInt(summary, J::field2, 1);
  SetInt(summary, J::field1, kJobKind);
  SetInt(summary, J::status, CForeignHandlerTSM::MapJobStatus_TSMToZY(r.jobStatus));
}

// Start and duration in the host's 32-bit arithmetic: the start as an
// unsigned number, the duration wrapped to 32 bits and sign-extended, so
// an end before the start gives a negative duration.
void FillDetail(FDC::JobInfo* job, const CTSMJobInfo& r, const JobContext& c) {
  using B = FDC::BackupJobDetail;
  auto* detail = Object<B>(Object<FDC::JobDetail>(job, FDC::JobInfo::detail), FDC::JobDetail::backupDetail);
  if (detail == nullptr) return;
  SetInt(detail, B::backupLevel, CForeignHandlerTSM::MapBackupType_TSMToZY(r.action));
  SetInt(detail, B::status, CForeignHandlerTSM::MapJobStatus_TSMToZY(r.jobStatus));
  const uint32_t start = CForeignHandlerTSM::StrToUnixTime(r.startTime);
  const uint32_t end = CForeignHandlerTSM::StrToUnixTime(r.endTime);
  SetInt(detail, B::startTime, start);
  SetInt(detail, B::duration, static_cast<int32_t>(end - start));
  SetInt(detail, B::field1, kJobKind);
  SetInt(detail, B::field35, r.backupSize);
  SetInt(detail, B::field39, r.backupSize);
  SetInt(detail, B::field11, kField11);
  SetInt(detail, B::field37, 0);
  FillStoragePolicy(Object<ZyEntities::StoragePolicyEntity>(detail, B::storagePolicy), c);
}

void FillDataInfo(FDC::JobInfo* job, const CTSMJobInfo& r, const JobContext& c) {
  using D = FDC::DataInfo;
  auto* data =
      AppendNew<D>(Object<FDC::DataInfoList>(job, FDC::JobInfo::dataInfo), FDC::DataInfoList::dataInfos);
  if (data == nullptr) return;
  SetInt(data, D::field2, 1);
  SetInt(data, D::field1, kJobKind);
  SetInt(data, D::size, r.backupSize);
  FillStoragePolicy(Object<ZyEntities::StoragePolicyEntity>(data, D::storagePolicy), c);
}

}  // namespace

void CTSMJobInfo::BuildJob(CNMessageList* jobs, const TSMClientInfo* node) const {
  // Process-wide and never reset: keys stay distinct across nodes,
  // batches and requests.
  static unsigned long long jobCounter = 0;
  if (jobs == nullptr || node == nullptr) return;
  auto* job = dynamic_cast<FDC::JobInfo*>(jobs->Append(FDC::JobInfo()));
  if (job == nullptr) return;
  JobContext c{*node, 0, "", CForeignHandlerTSM::GenerateZyphorName(), GenerateStoragePolicyName()};
  c.appType = CForeignHandlerTSM::getZYAppType(node->OSVersion, node->Platform, c.appName);
  SetInt(job, FDC::JobInfo::appType, c.appType);
  SetString(job, FDC::JobInfo::jobKey, node->NodeName + "_" + startTime + "_" + std::to_string(jobCounter));
  ++jobCounter;
  FillOwner(job, c, policyName);
  FillSummary(job, *this);
  FillDetail(job, *this, c);
  FillDataInfo(job, *this, c);
}
