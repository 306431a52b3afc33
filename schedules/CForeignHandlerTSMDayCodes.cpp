// Day, week and month words as data tables, searched in order.
#include "schedules/CForeignHandlerTSMDayCodes.h"

#include <climits>
#include <cstdlib>

#include "host/MessageFields.h"
#include "host/Messages.h"
#include "host/ZyUtil.h"

namespace {

struct WordCode {
  const char* word;
  int code;
};

constexpr int kAnyDay = 8;
constexpr int kWeekday = 9;
constexpr int kWeekendDay = 10;

constexpr WordCode kDayWords[] = {
    {"Any", kAnyDay}, {"Weekday", kWeekday}, {"Weekend", kWeekendDay}, {"Sunday", 1}, {"Monday", 2},
    {"Tuesday", 3},   {"Wednesday", 4},      {"Thursday", 5},          {"Friday", 6}, {"Saturday", 7}};
constexpr WordCode kDayItems[] = {{"Any", kAnyDay}, {"WD", kWeekday}, {"WE", kWeekendDay}, {"Sun", 1},
                                  {"Mon", 2},       {"Tue", 3},       {"Wed", 4},          {"Thu", 5},
                                  {"Fri", 6},       {"Sat", 7}};
constexpr WordCode kMonthItems[] = {{"Jan", 1}, {"Feb", 2},  {"Mar", 3},  {"Apr", 4},
                                    {"May", 5}, {"Jun", 6},  {"Jul", 7},  {"Aug", 8},
                                    {"Sep", 9}, {"Oct", 10}, {"Nov", 11}, {"Dec", 12}};
constexpr WordCode kWeekItems[] = {{"First", 1}, {"Second", 2}, {"Third", 3}, {"Fourth", 4}, {"Last", 5}};

enum class Compare { kExact, kIgnoreCase };

template <size_t N>
int CodeOf(const WordCode (&table)[N], const std::string& word, Compare compare) {
  for (const WordCode& row : table) {
    const bool equal = compare == Compare::kExact ? word == row.word : compareNoCase(word, row.word) == 0;
    if (equal) return row.code;
  }
  return 0;
}

// Whether day code `code` covers day `day` (1 Sunday ... 7 Saturday).
bool Covers(int code, int day) {
  switch (code) {
    case kAnyDay:
      return true;
    case kWeekday:
      return day >= 2 && day <= 6;
    case kWeekendDay:
      return day == 1 || day == 7;
    default:
      return code == day;
  }
}

}  // namespace

void SetDayFlags(TMMsg::DaysToRun* days, int code) {
  if (days == nullptr) return;
  using D = TMMsg::DaysToRun;
  static constexpr FieldRef kFlags[] = {D::sunday,   D::monday, D::tuesday, D::wednesday,
                                        D::thursday, D::friday, D::saturday};
  for (int day = 1; day <= 7; ++day) {
    if (Covers(code, day)) zyfields::SetInt(days, kFlags[day - 1], 1);
  }
}

void setDaysToRun(TMMsg::DaysToRun* days, const std::string& dayOfWeek) {
  SetDayFlags(days, MapDayOfWeek_TSMToZY(dayOfWeek));
}

int MapDayOfWeek_TSMToZY(const std::string& dayOfWeek) {
  return CodeOf(kDayWords, dayOfWeek, Compare::kIgnoreCase);
}

int GetDaysToRun_Enhanced(const std::string& day) { return CodeOf(kDayItems, day, Compare::kIgnoreCase); }

int GetMonthsToRun_Enhanced(const std::string& month) { return CodeOf(kMonthItems, month, Compare::kExact); }

int GetWeekToRun_Enhanced(const std::string& week) { return CodeOf(kWeekItems, week, Compare::kExact); }

int LeadingNumber(const std::string& text) {
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int>(n < INT_MIN ? INT_MIN : (n > INT_MAX ? INT_MAX : n));
}
