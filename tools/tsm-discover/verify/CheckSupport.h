// Helpers shared by the parts of the takeover check.
#pragma once

#include <string>

#include "tools/tsm-discover/verify/TakeoverCheck.h"

namespace tsmverify {

// Adds `item` to the check and to its kind's counts.
void AddItem(CheckItem item, TakeoverCheck* check);

bool SameNoCase(const std::string& a, const std::string& b);
std::string Lower(std::string s);

// Why a per-item query of the plug-in refuses a name (blank, quote, "/",
// "." or ".."), or empty when it takes it.
std::string RefusedNameReason(const std::string& name);

// The schedules of the gathered set against the tasks (ScheduleCheck.cpp).
void CheckSchedules(const GatheredSet& tsm, const tsmreport::ReportModel& replies, long long from,
                    long long to, TakeoverCheck* check);

}  // namespace tsmverify
