// What TSM has, read from a gathered set (`tsm-discover gather`, the
// ixr_* files): node names, the backup summary rows per node, schedule
// lines with their associated nodes, libraries, drives, volumes and
// storage pools. Only the schedule lines are kept whole; of everything
// else names and counts, so memory grows with the objects, not with the
// bytes of the files (the summary rows above all).
//
// Every file is read once, through the reading rules the plug-in's
// parsers use (GatheredFiles.cpp is the only place that knows them). A
// line the plug-in would not read as a record (too few fields) is kept as
// a skipped line with its reason, so the check can say what was lost.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/tsm-schedule/TsmSchedule.h"

namespace tsmverify {

struct SkippedLine {
  std::string file, reason;
};

struct GatheredSchedule {
  tsmsched::ScheduleText text;     // the schedule line's columns
  std::string layoutProblem;       // not empty: no layout has the line's field count
  std::vector<std::string> nodes;  // from the association file
};

struct GatheredVolume {
  std::string name, library, pool;
};

struct JobRows {
  long rows = 0;       // summary rows the job parser reads as jobs
  long shortRows = 0;  // rows with too few fields
  bool fileFound = false;
};

struct GatheredSet {
  std::string dir;
  std::vector<std::string> nodes;
  std::vector<GatheredSchedule> schedules;
  std::vector<std::string> libraries;
  std::vector<std::pair<std::string, std::string>> drives;          // (library, drive)
  std::vector<GatheredVolume> volumes;                              // library volumes
  std::vector<GatheredVolume> diskVolumes;                          // FILE and DISK volumes (no library)
  std::vector<std::pair<std::string, std::string>> poolsByLibrary;  // (library, pool)
  std::map<std::string, JobRows> jobs;                              // by node
  std::vector<SkippedLine> skipped;
};

// Reads the gathered set in `dir`. False with one line in *error when the
// folder holds no node or schedule file (not a gathered set).
bool ReadGatheredSet(const std::string& dir, GatheredSet* set, std::string* error);

}  // namespace tsmverify
