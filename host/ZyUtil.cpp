#include "host/ZyUtil.h"

#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <ctime>

std::string GetHostName() {
  char name[256] = {0};
  if (gethostname(name, sizeof(name) - 1) != 0) return std::string();
  return std::string(name);
}

std::string Trim(const std::string& text, const std::string& characters) {
  std::string copy = text;
  TrimInline(copy, characters);
  return copy;
}

void TrimInline(std::string& text, const std::string& characters) {
  if (characters.empty()) return;
  size_t last = text.find_last_not_of(characters);
  if (last == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(characters));
}

int compareNoCase(const std::string& a, const std::string& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {
std::string ZoneName(bool standard) {
  tzset();
  const char* name = tzname[standard ? 0 : (daylight ? 1 : 0)];
  return name != nullptr ? std::string(name) : std::string();
}
}  // namespace

// The display name carries the zone the machine is in now; the standard
// name is the zone without daylight saving.
std::string GetTimeZoneDisplayNameA() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  return local.tm_isdst > 0 ? ZoneName(false) : ZoneName(true);
}

std::string GetTimeZoneStdNameW() { return ZoneName(true); }
