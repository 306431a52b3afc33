#include "tools/tsm-discover/verify/Verify.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "tools/tsm-discover/verify/CheckOutput.h"
#include "tools/tsm-discover/verify/CheckReplies.h"
#include "tools/tsm-discover/verify/GatheredSet.h"
#include "tools/tsm-discover/verify/TakeoverCheck.h"
#include "tools/tsm-schedule/Calendar.h"

namespace tsmverify {
namespace {

constexpr int kBadInput = 2;

bool Check(const std::string& replaySet, const tsmreport::ReportModel& model, long long from, int days,
           TakeoverCheck* check, std::string* error) {
  GatheredSet tsm;
  if (!ReadGatheredSet(replaySet, &tsm, error)) return false;
  CheckTakeover(tsm, model, from, from + days * tsmcal::kSecondsPerDay, check);
  return true;
}

}  // namespace

bool ParseDay(const std::string& text, long long* day) {
  int y = 0, m = 0, d = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3 ||
      used != static_cast<int>(text.size()) || text.size() != 10 || m < 1 || m > 12 || d < 1 ||
      d > tsmcal::DaysInMonth(y, m))
    return false;
  *day = tsmcal::DaysFromCivil(y, m, d);
  return true;
}

int RunVerify(const VerifyOptions& o, std::ostream& out, std::ostream& err) {
  long long fromDay = 0;
  if (!o.from.empty() && !ParseDay(o.from, &fromDay)) {
    err << "tsm-discover verify: --from must be a date YYYY-MM-DD\n";
    return kBadInput;
  }
  tsmreport::ReportModel model;
  std::string error;
  TakeoverCheck check;
  if (!ReadRepliesForCheck(o.replies, &model, &error)) {
    err << "tsm-discover verify: " << error << "\n";
    return kBadInput;
  }
  const long long from =
      o.from.empty() ? LocalWallClock(model.discoveredAt) : fromDay * tsmcal::kSecondsPerDay;
  if (!Check(o.replaySet, model, from, o.days, &check, &error)) {
    err << "tsm-discover verify: " << error << "\n";
    return kBadInput;
  }
  if (o.jsonFile.empty()) {
    WriteCheckText(check, out);
    return check.ExitStatus();
  }
  std::ofstream json(o.jsonFile, std::ios::binary | std::ios::trunc);
  WriteCheckJson(check, json);
  json.flush();
  if (!json) {
    err << "tsm-discover verify: cannot write " << o.jsonFile << "\n";
    return kBadInput;
  }
  out << "Takeover check: " << check.items.size() << " items, " << check.differs
      << " schedules differ; JSON in " << o.jsonFile << "\n";
  return check.ExitStatus();
}

bool AddCheckToReport(const std::string& replaySet, tsmreport::ReportModel* model, std::string* error) {
  if (replaySet.empty()) return true;
  TakeoverCheck check;
  if (!Check(replaySet, *model, LocalWallClock(model->discoveredAt), kDefaultWindowDays, &check, error))
    return false;
  std::ostringstream html, text;
  WriteCheckHtml(check, html);
  WriteCheckText(check, text);
  model->checkHtml = html.str();
  model->checkText = text.str();
  return true;
}

}  // namespace tsmverify
