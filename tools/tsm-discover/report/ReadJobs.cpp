// Job lists into per-client and per-day sums. A job list is streamed
// (HandOverStream.h): a site's job lists are most of its replies, and only
// six values a job are kept. Nothing here keeps a job, except each
// client's latest failures (a bounded list) and, while a file is read,
// that file's jobs, so an unreadable file adds nothing.
#include <ctime>
#include <string>
#include <vector>

#include "host/Messages.h"
#include "tools/tsm-discover/report/HandOverStream.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace tsmreport {
namespace {

constexpr long long kJobSucceeded = 1;  // the job builder's status for a successful job

// What the report keeps of one job.
struct JobFacts {
  std::string client, subclient, description;
  long long start = 0;  // Unix time
  long long status = 0;
  long long bytes = 0;  // all its data sizes
};

// Where the facts sit in a job list; values are handed out by these roles.
enum Role {
  kList = kNotWanted + 1,
  kJob,
  kSubclient,
  kSummary,
  kDetail,
  kBackupDetail,
  kDataInfoList,
  kDataInfo,
  kClient,
  kSubclientName,
  kStatus,
  kDescription,
  kStart,
  kSize,
};

const std::vector<WantedStep>& JobSteps() {
  using SubclientEntity = ZyEntities::SubclientEntity;
  static const std::vector<WantedStep> steps = {
      {kList, FDC::JobList::jobs, kJob},
      {kJob, FDC::JobInfo::subclient, kSubclient},
      {kSubclient, SubclientEntity::clientName, kClient},
      {kSubclient, SubclientEntity::subclientName, kSubclientName},
      {kJob, FDC::JobInfo::summary, kSummary},
      {kSummary, FDC::JobSummary::status, kStatus},
      {kSummary, FDC::JobSummary::description, kDescription},
      {kJob, FDC::JobInfo::detail, kDetail},
      {kDetail, FDC::JobDetail::backupDetail, kBackupDetail},
      {kBackupDetail, FDC::BackupJobDetail::startTime, kStart},
      {kJob, FDC::JobInfo::dataInfo, kDataInfoList},
      {kDataInfoList, FDC::DataInfoList::dataInfos, kDataInfo},
      {kDataInfo, FDC::DataInfo::size, kSize},
  };
  return steps;
}

// Collects one file's jobs.
class JobCollector : public HandOverSink {
 public:
  std::vector<JobFacts> jobs;

  void Text(int role, const std::string& text) override {
    if (role == kClient) job_.client = text;
    if (role == kSubclientName) job_.subclient = text;
    if (role == kDescription) job_.description = text;
  }
  void Number(int role, long long value) override {
    if (role == kStatus) job_.status = value;
    if (role == kStart) job_.start = value;
    if (role == kSize) job_.bytes += value;
  }
  void MessageEnd(int role) override {
    if (role != kJob) return;
    jobs.push_back(std::move(job_));
    job_ = JobFacts();
  }

 private:
  JobFacts job_;
};

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

void AddJob(JobFacts& job, ReportModel* model) {
  const bool ok = job.status == kJobSucceeded;
  ClientHistory& h = model->history[job.client];
  ++h.jobs;
  if (ok) ++h.succeeded;
  if (job.start >= h.lastStart) {
    h.lastStart = job.start;
    h.lastOk = ok;
  }
  const long long day = LocalDay(job.start);
  AddTo(&h.days[day], ok, job.bytes);
  AddTo(&model->allDays[day], ok, job.bytes);
  if (!ok) KeepFailure(&h, {job.start, std::move(job.subclient), std::move(job.description)});
  ++model->jobs;
}

}  // namespace

StreamResult ReadJobFile(const std::string& path, ReportModel* model) {
  JobCollector collector;
  const StreamResult result =
      StreamHandOverFile(path, FDC::JobList::kGroup, FDC::JobList::kClass, kList, JobSteps(), &collector);
  if (result == StreamResult::kRead) {
    for (JobFacts& job : collector.jobs) AddJob(job, model);
  }
  return result;
}

}  // namespace tsmreport
