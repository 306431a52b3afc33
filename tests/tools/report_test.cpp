// The takeover report's own rules: a run pattern of every kind the subtask
// builders write, in words; escaping of names in the page; job sums.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/HandOver.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "tests/support/TestSupport.h"
#include "tools/tsm-discover/report/Escape.h"
#include "tools/tsm-discover/report/PatternWords.h"
#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/report/ReportWriters.h"
#include "tools/tsm-discover/verify/CheckOutput.h"
#include "tools/tsm-discover/verify/CheckReplies.h"

namespace {

using namespace zyfields;
using P = TMMsg::SubTaskPattern;
using D = TMMsg::DaysToRun;

constexpr long long kMar1 = 1772323200;   // 2026-03-01, a pattern date
constexpr long long kDec31 = 1798675200;  // 2026-12-31

struct Case {
  const char* kind;
  std::vector<std::pair<FieldRef, long long>> pattern, days;
  const char* words;
};

TEST(ReportTest, PatternWordsForEveryKind) {
  const FieldRef kWeekdays[] = {D::monday, D::tuesday, D::wednesday, D::thursday, D::friday};
  const std::vector<Case> cases = {
      {"one time",
       {{P::frequencyType, 1}, {P::startDate, kDec31}, {P::startTimeOfDay, 23 * 3600 + 1800}},
       {},
       "once on 2026-12-31 23:30"},
      {"hours",
       {{P::frequencyType, 8}, {P::repeatIntervalSeconds, 3 * 3600}, {P::startTimeOfDay, 17 * 3600}},
       {{D::sunday, 1}, {D::saturday, 1}},  // and the weekdays, below
       "every 3 hours, any day, from 17:00"},
      {"days",
       {{P::frequencyType, 8}, {P::repeatIntervalSeconds, 2 * 86400}, {P::startTimeOfDay, 3600}},
       {{D::sunday, 1}, {D::saturday, 1}},
       "every 2 days, weekend days, at 01:00"},
      {"weeks",
       {{P::frequencyType, 8}, {P::recurrenceFactor, 2}, {P::startTimeOfDay, 7200}},
       {{D::sunday, 1}, {D::wednesday, 1}},
       "every 2 weeks, Sunday and Wednesday, at 02:00"},
      {"month",
       {{P::frequencyType, 32}, {P::recurrenceFactor, 3}, {P::startDate, kMar1}},
       {{D::weekOfMonth, 1}, {D::dayKind, 7}},
       "every 3 months on the first Saturday"},
      {"year, a day of week",
       {{P::frequencyType, 32}, {P::recurrenceFactor, 12}, {P::startDate, kMar1}},
       {{D::weekOfMonth, 5}, {D::dayKind, 1}},
       "yearly on the last Sunday of March"},
      {"year, any day",
       {{P::frequencyType, 16}, {P::recurrenceFactor, 24}, {P::startDate, kDec31}},
       {{D::dayOfMonth, 31}},
       "every 2 years on December 31"},
      {"enhanced weekly",
       {{P::frequencyType, 8}, {P::recurrenceFactor, 1}, {P::startTimeOfDay, 23 * 3600}},
       {},
       "weekly, weekdays, at 23:00"},
      {"enhanced monthly",
       {{P::frequencyType, 32}, {P::recurrenceFactor, 1}},
       {{D::weekOfMonth, 5}, {D::dayKind, 9}},
       "monthly on the last weekday"},
      {"enhanced day of month",
       {{P::frequencyType, 64}, {P::recurrenceFactor, 7}, {P::dayValue, 1}},
       {},
       "yearly on July 1"},
      {"enhanced week of month",
       {{P::frequencyType, 128}, {P::recurrenceFactor, 10}, {P::weekOfMonth, 2}, {P::dayValue, 2}},
       {},
       "yearly on the second Monday of October"},
      {"unknown", {{P::frequencyType, 4}}, {}, "pattern kind 4"},
  };
  for (const Case& c : cases) {
    P pattern;
    for (const auto& [f, v] : c.pattern) SetInt(&pattern, f, v);
    auto* days = Object<D>(&pattern, P::daysToRun);
    for (const auto& [f, v] : c.days) SetInt(days, f, v);
    if (std::string(c.kind) == "enhanced weekly" || std::string(c.kind) == "hours")
      for (FieldRef f : kWeekdays) SetInt(days, f, 1);
    EXPECT_EQ(tsmreport::PatternWords(&pattern), c.words) << c.kind;
  }
  EXPECT_EQ(tsmreport::PatternWords(nullptr), "no pattern");
}

TEST(ReportTest, EscapesMarkupAndQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain", "plain"},     {"<script>", "&lt;script&gt;"},
      {"A&B", "A&amp;B"},     {"\"q\" 'r'", "&quot;q&quot; &#39;r&#39;"},
      {"&amp;", "&amp;amp;"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(tsmreport::EscapeHtml(in), out) << in;
}

// A client named with markup shows as text everywhere in the page,
// including the chart's id attribute.
TEST(ReportTest, PageShowsMarkupInNamesAsText) {
  const std::string evil = "<img src=x onerror=\"alert(1)\">&'";
  tsmreport::ReportModel model;
  model.server = evil;
  model.clients.push_back({evil, evil, evil, evil, evil, evil, evil, {{evil, {evil}}}});
  model.tasks.push_back({evil, evil, {evil}, {{evil, evil, evil, evil, evil, {}}}});
  model.libraries.push_back({evil, {{evil, evil, evil, true}}});
  model.history[evil].days[20260301].jobs = 1;
  model.history[evil].failed.push_back({0, evil, evil});
  // The takeover check's section too, and its JSON stays one string a value.
  tsmverify::TakeoverCheck check;
  check.replaySet = evil;
  tsmverify::CheckItem item;
  item.kind = item.name = item.reason = item.tsmWords = item.hostWords = item.firstTsmOnly = evil;
  item.runs = tsmverify::Runs::kDiffers;
  check.items.push_back(item);
  check.counts.push_back({evil, {}});
  std::ostringstream section, json;
  tsmverify::WriteCheckHtml(check, section);
  tsmverify::WriteCheckJson(check, json);
  model.checkHtml = section.str();
  EXPECT_NE(json.str().find("\"name\":\"<img src=x onerror=\\\"alert(1)\\\">&'\""), std::string::npos)
      << json.str();
  std::ostringstream page;
  tsmreport::WriteHtmlReport(model, page);
  EXPECT_EQ(page.str().find("<img"), std::string::npos);
  EXPECT_EQ(page.str().find("\"alert"), std::string::npos);
  EXPECT_NE(page.str().find(tsmreport::EscapeHtml(evil)), std::string::npos);
}

// Jobs read back from their hand-over file are summed per client and day;
// a client keeps only its latest failures, latest first, and counts the
// rest. A cut file adds nothing.
TEST(ReportTest, JobsSummedPerClientAndDayWithLatestFailuresKept) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  FDC::JobList list;
  const int kFailed = 25;
  for (int i = 0; i < kFailed + 1; ++i) {
    auto* job = AppendNew<FDC::JobInfo>(&list, FDC::JobList::jobs);
    SetString(Object<ZyEntities::SubclientEntity>(job, FDC::JobInfo::subclient),
              ZyEntities::SubclientEntity::clientName, "N<1&\"");
    SetInt(Object<FDC::JobSummary>(job, FDC::JobInfo::summary), FDC::JobSummary::status, i == 0 ? 1 : 2);
    auto* detail = Object<FDC::BackupJobDetail>(Object<FDC::JobDetail>(job, FDC::JobInfo::detail),
                                                FDC::JobDetail::backupDetail);
    SetInt(detail, FDC::BackupJobDetail::startTime, kMar1 + 3600LL * i);  // 2026-03-01 and -02
    auto* data = AppendNew<FDC::DataInfo>(Object<FDC::DataInfoList>(job, FDC::JobInfo::dataInfo),
                                          FDC::DataInfoList::dataInfos);
    SetInt(data, FDC::DataInfo::size, 10);
  }
  testsupport::TempDir dir;
  ASSERT_TRUE(zyhost::WriteMessageXml(list, dir.file("jobs.xml")));
  const std::string xml = testsupport::ReadFile(dir.file("jobs.xml"));
  testsupport::WriteFile(dir.file("cut.xml"), xml.substr(0, xml.size() - 20));
  // The takeover check's markup count agrees; a cut file it leaves to the exact reader.
  std::map<std::string, long> counted;
  EXPECT_FALSE(tsmverify::CountJobsByClient(xml.data(), xml.size() - 20, &counted));
  ASSERT_TRUE(tsmverify::CountJobsByClient(xml.data(), xml.size(), &counted));
  EXPECT_EQ(counted, (std::map<std::string, long>{{"N<1&\"", kFailed + 1}}));
  tsmreport::ReportModel model;
  EXPECT_EQ(tsmreport::ReadJobFile(dir.file("cut.xml"), &model), tsmreport::StreamResult::kUnreadable);
  EXPECT_EQ(model.jobs, 0);
  ASSERT_EQ(tsmreport::ReadJobFile(dir.file("jobs.xml"), &model), tsmreport::StreamResult::kRead);
  const tsmreport::ClientHistory& h = model.history.at("N<1&\"");
  EXPECT_EQ(h.jobs, kFailed + 1);
  EXPECT_EQ(h.succeeded, 1);
  EXPECT_EQ(h.failedCount, kFailed);
  ASSERT_EQ(h.failed.size(), tsmreport::kFailedJobsKept);
  EXPECT_EQ(h.failed.front().start, kMar1 + 3600LL * kFailed);
  EXPECT_EQ(h.failed.back().start, kMar1 + 3600LL * (kFailed - tsmreport::kFailedJobsKept + 1));
  ASSERT_EQ(h.days.size(), 2u);
  EXPECT_EQ(h.days.at(20260301).jobs, 24);
  EXPECT_EQ(h.days.at(20260302).bytes, 20);
  EXPECT_EQ(h.lastStart, kMar1 + 3600LL * kFailed);
  EXPECT_FALSE(h.lastOk);
}

}  // namespace
