// Job lists into per-client and per-day sums. Nothing here keeps a job,
// except each client's latest failures (a bounded list).
#include <ctime>
#include <string>

#include "host/Messages.h"
#include "tools/tsm-discover/report/MessageRead.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace tsmreport {
namespace {

constexpr long long kJobSucceeded = 1;  // the job builder's status for a successful job

long long LocalDay(long long unixTime) {
  time_t t = static_cast<time_t>(unixTime);
  tm parts;
  if (localtime_r(&t, &parts) == nullptr) return 0;
  return (parts.tm_year + 1900LL) * 10000 + (parts.tm_mon + 1) * 100 + parts.tm_mday;
}

void AddTo(DayTotals* totals, bool ok, long long bytes) {
  ++totals->jobs;
  if (!ok) ++totals->failed;
  totals->bytes += bytes;
}

// Keeps the kFailedJobsKept latest failures, latest first.
void KeepFailure(ClientHistory* h, FailedJob job) {
  ++h->failedCount;
  auto at = h->failed.begin();
  while (at != h->failed.end() && at->start >= job.start) ++at;
  if (at - h->failed.begin() >= static_cast<long>(kFailedJobsKept)) return;
  h->failed.insert(at, std::move(job));
  if (h->failed.size() > kFailedJobsKept) h->failed.pop_back();
}

void AddJob(const CNMessageBase& job, ReportModel* model) {
  const CNMessageBase* subclient = Child(&job, FDC::JobInfo::subclient);
  const CNMessageBase* summary = Child(&job, FDC::JobInfo::summary);
  const CNMessageBase* detail = Child(Child(&job, FDC::JobInfo::detail), FDC::JobDetail::backupDetail);
  const long long start = Int(detail, FDC::BackupJobDetail::startTime);
  const bool ok = Int(summary, FDC::JobSummary::status) == kJobSucceeded;
  long long bytes = 0;
  ForEach(Child(&job, FDC::JobInfo::dataInfo), FDC::DataInfoList::dataInfos,
          [&](const CNMessageBase& d) { bytes += Int(&d, FDC::DataInfo::size); });

  ClientHistory& h = model->history[Text(subclient, ZyEntities::SubclientEntity::clientName)];
  ++h.jobs;
  if (ok) ++h.succeeded;
  if (start >= h.lastStart) {
    h.lastStart = start;
    h.lastOk = ok;
  }
  const long long day = LocalDay(start);
  AddTo(&h.days[day], ok, bytes);
  AddTo(&model->allDays[day], ok, bytes);
  if (!ok) {
    KeepFailure(&h, {start, Text(subclient, ZyEntities::SubclientEntity::subclientName),
                     Text(summary, FDC::JobSummary::description)});
  }
  ++model->jobs;
}

}  // namespace

void AddJobs(const CNMessageBase& list, ReportModel* model) {
  ForEach(&list, FDC::JobList::jobs, [&](const CNMessageBase& job) { AddJob(job, model); });
}

}  // namespace tsmreport
