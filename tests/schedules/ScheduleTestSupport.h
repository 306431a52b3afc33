// Helpers of the schedule query tests: guards for the process-wide fetcher
// settings, a launcher that plays dsmadmc by writing prepared output files,
// and builders of comma-separated output lines.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/CForeignCmdExecBase.h"
#include "host/ProcessLauncher.h"
#include "tests/support/TestSupport.h"

namespace schedtest {

// Sets the "use existing files" switch; restores the previous one after.
class ScopedExistingFiles {
 public:
  ScopedExistingFiles(bool use, const std::string& from)
      : oldUse_(CForeignCmdExecBase::get_UseExistingFiles()),
        oldFrom_(CForeignCmdExecBase::get_UseExistingFilesFrom()) {
    CForeignCmdExecBase::set_UseExistingFiles(use, from);
  }
  ~ScopedExistingFiles() { CForeignCmdExecBase::set_UseExistingFiles(oldUse_, oldFrom_); }
  ScopedExistingFiles(const ScopedExistingFiles&) = delete;
  ScopedExistingFiles& operator=(const ScopedExistingFiles&) = delete;

 private:
  bool oldUse_;
  std::string oldFrom_;
};

// What the fake dsmadmc does for one command: the output file content
// (nothing is written when `write` is false) and the exit status.
struct FakeRun {
  bool write = true;
  std::string content;
  int exitStatus = 0;
};

// Plays dsmadmc: writes the output file named by "-outfile=" (relative to
// the working directory) and returns an exit status, both chosen by
// `respond` from the argument vector. Records every argument vector.
// Installed for its lifetime; the real launcher comes back after.
class FakeDsmadmc : public ProcessLauncher {
 public:
  using Responder = std::function<FakeRun(const std::vector<std::string>& argv)>;

  explicit FakeDsmadmc(Responder respond) : respond_(std::move(respond)) {
    CForeignCmdExecBase::SetProcessLauncher(this);
  }
  ~FakeDsmadmc() override { CForeignCmdExecBase::SetProcessLauncher(nullptr); }
  FakeDsmadmc(const FakeDsmadmc&) = delete;
  FakeDsmadmc& operator=(const FakeDsmadmc&) = delete;

  LaunchResult Run(const std::vector<std::string>& argv, int timeoutSeconds) override;

  const std::vector<std::vector<std::string>>& runs() const { return runs_; }
  // Number of runs whose last argument starts with `query`.
  int CountQueries(const std::string& query) const;

 private:
  Responder respond_;
  std::vector<std::vector<std::string>> runs_;
};

// One output line: fields joined by commas; a field holding a comma or a
// double quote is put in double quotes (inner quotes doubled).
std::string CsvLine(const std::vector<std::string>& fields);

// Four header lines as dsmadmc writes them in front of the data, one of
// them empty, one with commas.
std::string Header();

// A schedule line of the 19-column layout (no sub-action column) or, with
// `twentyColumns`, of the 20-column layout. Named values; the rest filled.
struct ScheduleRow {
  std::string domain = "STANDARD";
  std::string name = "DAILY";
  std::string description = "Nightly incremental";
  std::string action = "Incremental";
  std::string objects;
  std::string priority = "5";
  std::string start = "03/14/2026 21:00:00";
  std::string style = "Classic";
  std::string period = "1 Day";
  std::string dayOfWeek = "Any";
  std::string months;
  std::string daysOfMonth;
  std::string weeksOfMonth;
  std::string expiration;
  bool twentyColumns = false;
  // Fields added at the end (a wider server; "" gives a trailing comma).
  std::vector<std::string> extra;

  std::vector<std::string> Fields() const;
  std::string Line() const { return CsvLine(Fields()); }
};

inline LaunchResult FakeDsmadmc::Run(const std::vector<std::string>& argv, int /*timeoutSeconds*/) {
  runs_.push_back(argv);
  FakeRun run = respond_(argv);
  if (run.write) {
    for (const std::string& arg : argv) {
      if (arg.rfind("-outfile=", 0) == 0) testsupport::WriteFile(arg.substr(9), run.content);
    }
  }
  LaunchResult result;
  result.started = true;
  result.exited = true;
  result.exitStatus = run.exitStatus;
  return result;
}

inline int FakeDsmadmc::CountQueries(const std::string& query) const {
  int count = 0;
  for (const auto& argv : runs_) {
    if (!argv.empty() && argv.back().rfind(query, 0) == 0) ++count;
  }
  return count;
}

inline std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"") == std::string::npos) {
      line += field;
      continue;
    }
    line += '"';
    for (char c : field) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

inline std::string Header() {
  return "ANS8000I Server command: 'query schedule'\n"
         "\n"
         "Policy Domain Name,Schedule Name,Description,Action\n"
         "ANS8001I Session established\n";
}

inline std::vector<std::string> ScheduleRow::Fields() const {
  std::vector<std::string> fields = {
      domain,   name,        description,  action,     "-subdir=yes", objects,
      priority, start,       "1 Hour",     style,      period,        dayOfWeek,
      months,   daysOfMonth, weeksOfMonth, expiration, "ADMIN",       "03/01/2026 10:00:00",
      ""};
  if (twentyColumns) fields.insert(fields.begin() + 4, "");
  fields.insert(fields.end(), extra.begin(), extra.end());
  return fields;
}

// A small site for the dsmadmc simulator, selected for its lifetime
// through DSMADMC_SIM_SITE. Administrator ADMIN, password kSitePassword;
// schedules DAILY (classic), ENH (enhanced) and ARCH (archive) in domain
// STANDARD; DAILY runs for VEGA and WEB01, ENH for WEB01.
inline constexpr const char* kSitePassword = "Site-pw1";

class SimulatorSite {
 public:
  explicit SimulatorSite(const std::string& layout) : env_("DSMADMC_SIM_SITE", dir_.path().c_str()) {
    testsupport::WriteFile(dir_.file("status.csv"),
                           "SERVER_NAME,VERSION,RELEASE,LEVEL,SUBLEVEL,PLATFORM,SERVER_HLA,SERVER_LLA\n"
                           "VEGA,8,1,12,100,Linux/x86_64,vega.example.net,1500\n");
    testsupport::WriteFile(dir_.file("admins.csv"),
                           std::string("ADMIN_NAME,PASSWORD\nADMIN,") + kSitePassword + "\n");
    testsupport::WriteFile(
        dir_.file("client_schedules.csv"),
        "DOMAIN_NAME,SCHEDULE_NAME,DESCRIPTION,ACTION,SUBACTION,OPTIONS,OBJECTS,PRIORITY,STARTDATE,STARTTIME,"
        "DURATION,DURUNITS,SCHED_STYLE,PERIOD,PERUNITS,DAYOFWEEK,MONTH,DAYOFMONTH,WEEKOFMONTH,EXPIRATION,"
        "MAXRUNTIME,CHG_ADMIN,CHG_TIME,PROFILE\n"
        "STANDARD,DAILY,\"Nightly, all\",Incremental,,,/home "
        "/data,5,2026-01-05,21:00:00,2,HOURS,Classic,1,DAYS,"
        "Any,,,,2027-12-31 23:59:59,0,ADMIN,2026-01-02 10:00:00,\n"
        "STANDARD,ENH,Enhanced one,Selective,,,/etc,3,2026-01-05,22:00:00,2,HOURS,Enhanced,,,\"Mon,Fri\","
        "\"Jan,Jul\",,\"First,Last\",,0,ADMIN,2026-01-02 10:00:00,\n"
        "STANDARD,ARCH,Archive,Archive,,,/srv,5,2026-01-05,22:00:00,2,HOURS,Classic,1,DAYS,Any,,,,,0,ADMIN,"
        "2026-01-02 10:00:00,\n");
    testsupport::WriteFile(dir_.file("associations.csv"),
                           "DOMAIN_NAME,SCHEDULE_NAME,NODE_NAME,CHG_TIME,CHG_ADMIN\n"
                           "STANDARD,DAILY,VEGA,2026-01-02 10:05:00,ADMIN\n"
                           "STANDARD,DAILY,WEB01,2026-01-02 10:05:00,ADMIN\n"
                           "STANDARD,ENH,WEB01,2026-01-02 10:05:00,ADMIN\n");
    testsupport::WriteFile(dir_.file("settings.csv"), "NAME,VALUE\nSCHEDULE_LAYOUT," + layout + "\n");
  }
  SimulatorSite(const SimulatorSite&) = delete;
  SimulatorSite& operator=(const SimulatorSite&) = delete;

 private:
  testsupport::TempDir dir_;
  testsupport::ScopedEnv env_;
};

}  // namespace schedtest
