#include "schedules/DetailedScheduleLayout.h"

#include "host/EvDebug.h"

namespace {

constexpr DetailedScheduleColumns kColumns19 = {5, 6, 7, 9, 10, 11, 12, 13, 14, 15};
constexpr DetailedScheduleColumns kColumns20 = {6, 7, 8, 10, 11, 12, 13, 14, 15, 16};
constexpr DetailedScheduleColumns kColumns21 = {6, 7, 8, 11, 12, 13, 14, 15, 16, 17};

}  // namespace

const DetailedScheduleColumns* DetailedScheduleLayoutFor(size_t fields) {
  switch (fields) {
    case 19:
      return &kColumns19;
    case 20:
      return &kColumns20;
    case 21:
      return &kColumns21;
    default:
      return nullptr;
  }
}

void LogUnknownScheduleLayout(const char* function, const std::string& path, size_t lineNumber,
                              size_t fields) {
  EvEvent ev;
  ev.Error(
      function,
      "File [%s] line %zu holds %zu fields, which no detailed schedule layout has; its columns are not read",
      path.c_str(), lineNumber, fields);
}
