// What the takeover report shows, gathered from a reply folder: plain
// values, no messages. Its size grows with the clients, tasks, libraries,
// media and policies and with the days of job history, never with the
// number of jobs (jobs are summed per client and per day; each client
// keeps only its latest failed jobs).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tsmreport {

struct SubclientRow {
  std::string name;
  std::vector<std::string> content;
};

struct ClientRow {
  std::string name, host, os, agents, version, marks, db2;  // agents, db2: ", " between names
  std::vector<SubclientRow> subclients;
};

// Pattern kinds as the subtask builders write them (frequencyType).
enum PatternKind : long long {
  kOnce = 1,
  kOnDaysOfWeek = 8,
  kOnDayOfMonth = 16,
  kOnWeekOfMonth = 32,
  kOnMonthAndDay = 64,
  kOnMonthAndWeek = 128,
};

// The run pattern's values as the subtask builders write them (0 when a
// field is absent); the takeover check works out the runs from them.
struct PatternValues {
  long long kind = 0, startDate = 0, startTimeOfDay = 0, endDate = 0, endTimeOfDay = 0, endDateSet = 0;
  long long dayValue = 0, weekOfMonth = 0, recurrenceFactor = 0, repeatIntervalSeconds = 0;
  unsigned dayFlags = 0;                                               // bit 0 Sunday ... bit 6 Saturday
  long long flagDayOfMonth = 0, flagWeekOfMonth = 0, flagDayKind = 0;  // of daysToRun
  bool present = false;
};

struct SubTaskRow {
  std::string name, words, start, end, zone;
  PatternValues pattern;
};

struct TaskRow {
  std::string name, description;
  std::vector<std::string> clients;
  std::vector<SubTaskRow> subtasks;
};

struct DriveRow {
  std::string name, type, serial;
  bool online = false;
};

struct LibraryRow {
  std::string name;
  std::vector<DriveRow> drives;
};

struct MediaRow {
  std::string library, name, capacity;
};

struct CopyRow {
  std::string name, description, dataPaths;
};

struct PolicyRow {
  std::string name;
  std::vector<CopyRow> copies;
};

struct DayTotals {
  long jobs = 0;
  long failed = 0;
  long long bytes = 0;
};

struct FailedJob {
  long long start = 0;  // Unix time
  std::string subclient, description;
};

// Failed jobs kept per client, the latest ones.
constexpr size_t kFailedJobsKept = 20;

struct ClientHistory {
  long jobs = 0;
  long succeeded = 0;
  long failedCount = 0;
  long long lastStart = -1;  // -1: no job
  bool lastOk = false;
  std::map<long long, DayTotals> days;  // key: local day as YYYYMMDD
  std::vector<FailedJob> failed;        // latest first, at most kFailedJobsKept
};

struct ReportModel {
  std::string folder;
  std::string server;    // the name the host knows the TSM server by
  std::string hostName;  // the machine that ran the discovery
  long long discoveredAt = 0;
  std::vector<std::string> errors;  // what the host was sent as errors
  std::vector<ClientRow> clients;
  std::map<std::string, long> agentsByType;
  std::vector<TaskRow> tasks;
  long subtasks = 0;
  std::vector<LibraryRow> libraries;
  long drivesOnline = 0, drivesOffline = 0;
  std::vector<MediaRow> media;
  std::vector<PolicyRow> policies;
  long jobs = 0;
  std::map<std::string, ClientHistory> history;  // by client name
  std::map<long long, DayTotals> allDays;
  long unreadable = 0;  // reply files that did not parse
  // The takeover check against the gathered set, when one is known: the
  // HTML section and the text that open the report (empty: none).
  std::string checkHtml, checkText;
};

}  // namespace tsmreport
