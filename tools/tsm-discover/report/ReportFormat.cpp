#include "tools/tsm-discover/report/ReportFormat.h"

#include <cstdio>
#include <ctime>

namespace tsmreport {

std::string LocalTime(long long unixTime) {
  if (unixTime < 0) return "never";
  time_t t = static_cast<time_t>(unixTime);
  tm parts;
  char text[40];
  if (localtime_r(&t, &parts) == nullptr || std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M", &parts) == 0)
    return "?";
  return text;
}

std::string ZoneName(long long atUnixTime) {
  time_t t = static_cast<time_t>(atUnixTime);
  tm parts;
  char text[64];
  if (localtime_r(&t, &parts) == nullptr || std::strftime(text, sizeof(text), "%Z (UTC%z)", &parts) == 0)
    return "local time";
  return text;
}

std::string Bytes(long long bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while ((value >= 1024 || value <= -1024) && unit < 6) {
    value /= 1024;
    ++unit;
  }
  char text[40];
  std::snprintf(text, sizeof(text), unit == 0 ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string Percent(long part, long whole) {
  if (whole <= 0) return "-";
  char text[16];
  std::snprintf(text, sizeof(text), "%.0f%%", 100.0 * part / whole);
  return text;
}

std::string DayText(long long day) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04lld-%02lld-%02lld", day / 10000, day / 100 % 100, day % 100);
  return text;
}

std::vector<std::string> SubclientWords(const std::vector<SubclientRow>& subclients) {
  std::vector<std::string> words;
  for (const SubclientRow& sc : subclients) {
    std::string text = sc.name;
    for (size_t i = 0; i < sc.content.size(); ++i) text += (i == 0 ? ": " : ", ") + sc.content[i];
    words.push_back(std::move(text));
  }
  return words;
}

NamedNumbers PatternNumbers(const PatternValues& v) {
  return {{"frequencyType", v.kind},
          {"recurrenceFactor", v.recurrenceFactor},
          {"repeatIntervalSeconds", v.repeatIntervalSeconds},
          {"dayValue", v.dayValue},
          {"weekOfMonth", v.weekOfMonth},
          {"startDate", v.startDate},
          {"startTimeOfDay", v.startTimeOfDay},
          {"endDateSet", v.endDateSet},
          {"endDate", v.endDate},
          {"endTimeOfDay", v.endTimeOfDay}};
}

NamedNumbers PatternDayNumbers(const PatternValues& v) {
  static const char* const kDays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                      "thursday", "friday", "saturday"};
  NamedNumbers days;
  for (int d = 0; d < 7; ++d) days.emplace_back(kDays[d], (v.dayFlags >> d) & 1u);
  days.insert(
      days.end(),
      {{"dayOfMonth", v.flagDayOfMonth}, {"weekOfMonth", v.flagWeekOfMonth}, {"dayKind", v.flagDayKind}});
  return days;
}

}  // namespace tsmreport
