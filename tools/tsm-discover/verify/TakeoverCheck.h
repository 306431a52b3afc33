// The takeover check: what TSM has (a gathered set) against what was
// handed over (a reply folder read into a ReportModel), item by item, and
// for every schedule whether the host starts the task when TSM started
// the schedule, over a window of days.
//
// Items: every node, every schedule with at least one associated node,
// every library, drive, volume and storage pool, and the backup summary
// rows of every node. An item is handed over or left out with a reason; a
// schedule with a task also gets a run verdict: same, differs (both
// sides' counts, the first start found on one side only, the two in
// words) or cannot check (why). Plain values; the check itself does no
// I/O.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/tsm-discover/report/ReportModel.h"
#include "tools/tsm-discover/verify/GatheredSet.h"

namespace tsmverify {

enum class Runs { kNotChecked, kSame, kDiffers, kCannotCheck };

struct CheckItem {
  std::string kind;  // node, schedule, library, drive, volume, pool, jobs
  std::string name;
  bool handedOver = false;
  std::string reason;  // why it was left out; for jobs also partial losses
  long count = 1;      // TSM objects the item stands for (summary rows for jobs)
  long handedCount = 0;
  // Schedules only.
  Runs runs = Runs::kNotChecked;
  long tsmStarts = 0, hostStarts = 0;
  std::string firstTsmOnly, firstHostOnly;  // "2026-12-31 22:00" or empty
  std::string tsmWords, hostWords, runsNote;
};

struct KindCount {
  long inTsm = 0, handedOver = 0;
  std::map<std::string, long> leftOutByReason;
};

struct TakeoverCheck {
  std::string replaySet;
  long long from = 0, to = 0;  // wall-clock window [from, to)
  std::vector<CheckItem> items;
  std::vector<std::pair<std::string, KindCount>> counts;  // in the order of the kinds above
  long same = 0, differs = 0, cannotCheck = 0;

  bool AllAccounted() const;
  // 0 everything handed over and every schedule the same, 1 otherwise.
  int ExitStatus() const { return AllAccounted() && differs == 0 && cannotCheck == 0 ? 0 : 1; }
};

// Compares `tsm` with `replies` over [from, to).
void CheckTakeover(const GatheredSet& tsm, const tsmreport::ReportModel& replies, long long from,
                   long long to, TakeoverCheck* check);

// The wall-clock moment of a Unix time in the process's time zone (TZ).
long long LocalWallClock(long long unixTime);

}  // namespace tsmverify
