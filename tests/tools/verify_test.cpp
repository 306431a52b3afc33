// tsm-discover verify on the sample replay set and its replies: every item
// accounted for or left out with its reason, one run verdict per schedule,
// exit status 1 because some differ.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace testsupport;

// The JSON line of one item (one item a line).
std::string ItemLine(const std::string& json, const std::string& kind, const std::string& name) {
  const size_t at = json.find("{\"kind\":\"" + kind + "\",\"name\":\"" + name + "\"");
  if (at == std::string::npos) return "";
  const size_t begin = json.rfind('\n', at) + 1;
  return json.substr(begin, json.find('\n', at) - begin);
}

TEST(VerifyTest, SampleSiteVerdicts) {
  TempDir tmp;
  ScopedEnv password("TSM_PASSWORD", "Orbit7-Demo");
  const std::string replay = SourceDir() + "/samples/replay";
  ProgramResult run = RunProgram(
      {BinDir() + "/tsm-discover", "run", "--replay", replay, "--login", "ADMIN", "--out", tmp.file("out")});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  ProgramResult verify =
      RunProgram({BinDir() + "/tsm-discover", "verify", "--replay", replay, "--replies", tmp.file("out"),
                  "--from", "2027-01-01", "--json", tmp.file("check.json")});
  EXPECT_EQ(verify.status, 1) << verify.out << verify.err;
  const std::string json = ReadFile(tmp.file("check.json"));
  struct Row {
    const char *kind, *name, *expect;
  };
  const Row rows[] = {
      {"schedule", "STANDARD/DAILY_INCR", "\"runs\":\"same\",\"tsmStarts\":365"},
      {"schedule", "STANDARD/HOURLY_LOGS", "\"runs\":\"same\""},
      {"schedule", "STANDARD/WEEKLY_SEL", "\"runs\":\"same\""},
      {"schedule", "WINDOWS/WIN_MONTHEND", "\"runs\":\"same\""},
      {"schedule", "WINDOWS/WIN_QUARTER", "\"runs\":\"same\""},
      // A monthly day of week becomes its first occurrence; a yearly one the
      // last of the start month.
      {"schedule", "STANDARD/MONTHLY_IMG",
       "\"firstTsmOnly\":\"2027-01-30 22:00\",\"firstHostOnly\":\"2027-02-06 22:00\""},
      {"schedule", "STANDARD/YEARLY_AUDIT",
       "\"firstTsmOnly\":\"2027-01-10 04:00\",\"firstHostOnly\":\"2027-01-31 04:00\""},
      // A monthly period counts from the first day; hours stop at midnight; a
      // weekly period runs every day it names; a day counted from the month's
      // end runs every day; weekdays of the first week become the first weekday.
      {"schedule", "STANDARD/MONTHLY_MID",
       "\"firstTsmOnly\":\"2027-01-15 20:00\",\"firstHostOnly\":\"2027-01-01 20:00\""},
      {"schedule", "STANDARD/SIXHOURLY_DB", "\"tsmStarts\":1460,\"hostStarts\":365"},
      {"schedule", "STANDARD/WEEKLY_REPORTS", "\"tsmStarts\":52,\"hostStarts\":365"},
      {"schedule", "WINDOWS/WIN_LASTDAY", "\"tsmStarts\":12,\"hostStarts\":365"},
      {"schedule", "WINDOWS/WIN_FIRSTWEEK", "\"firstTsmOnly\":\"2027-01-04 05:00\""},
      {"schedule", "STANDARD/ARCHIVE_QTR",
       "\"reason\":\"action ARCHIVE: only backup schedules become tasks\""},
      {"pool", "TAPEPOOL", "\"handedOver\":false"},
      {"node", "VEGA", "\"handedOver\":true"},
      {"drive", "LTOLIB1/DRV02", "\"handedOver\":true"},
      {"volume", "RSMLIB/A00004L6", "\"handedOver\":true"},
      {"jobs", "WEB01", "\"handedOver\":true,\"count\":4"},
  };
  for (const Row& r : rows)
    EXPECT_NE(ItemLine(json, r.kind, r.name).find(r.expect), std::string::npos)
        << r.kind << " " << r.name << "\n"
        << json;
  EXPECT_NE(json.find("{\"kind\":\"schedule\",\"inTsm\":22,\"handedOver\":20"), std::string::npos) << json;
}

}  // namespace
