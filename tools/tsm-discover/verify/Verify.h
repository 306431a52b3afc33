// `tsm-discover verify`: the takeover check of a reply folder against the
// gathered set it came from, and the same check as the opening section of
// the takeover report.
#pragma once

#include <iosfwd>
#include <string>

#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmverify {

constexpr int kDefaultWindowDays = 365;
constexpr int kMaxWindowDays = 3660;

struct VerifyOptions {
  std::string replaySet;
  std::string replies;
  std::string from;  // YYYY-MM-DD; empty: the discovery time
  int days = kDefaultWindowDays;
  std::string jsonFile;  // empty: text on `out`
};

// Exit status 0 everything accounted for and every schedule the same, 1
// anything left out, differing or not checkable, 2 bad input (one line on
// `err`).
int RunVerify(const VerifyOptions& options, std::ostream& out, std::ostream& err);

// With a non-empty `replaySet`, checks `model` (the replies, already read)
// against it over the default window and stores the HTML and text
// sections in the model. False with *error when the set cannot be read.
bool AddCheckToReport(const std::string& replaySet, tsmreport::ReportModel* model, std::string* error);

// "2026-12-07" into days from 1970-01-01.
bool ParseDay(const std::string& text, long long* day);

}  // namespace tsmverify
