#include "tools/dsmadmc-sim/TextMatch.h"

#include <cctype>
#include <cstdlib>

namespace dsmsim {
namespace {

bool LikeFrom(const std::string& v, size_t vi, const std::string& p, size_t pi, char escape) {
  while (pi < p.size()) {
    char c = p[pi];
    if (escape != 0 && c == escape && pi + 1 < p.size()) {
      if (vi >= v.size() || v[vi] != p[pi + 1]) return false;
      ++vi;
      pi += 2;
    } else if (c == '%') {
      for (size_t k = vi; k <= v.size(); ++k) {
        if (LikeFrom(v, k, p, pi + 1, escape)) return true;
      }
      return false;
    } else if (c == '_') {
      if (vi >= v.size()) return false;
      ++vi;
      ++pi;
    } else {
      if (vi >= v.size() || v[vi] != c) return false;
      ++vi;
      ++pi;
    }
  }
  return vi == v.size();
}

bool WildFrom(const std::string& v, size_t vi, const std::string& p, size_t pi) {
  while (pi < p.size()) {
    char c = p[pi];
    if (c == '*') {
      for (size_t k = vi; k <= v.size(); ++k) {
        if (WildFrom(v, k, p, pi + 1)) return true;
      }
      return false;
    }
    if (vi >= v.size()) return false;
    if (c != '?' &&
        std::toupper(static_cast<unsigned char>(c)) != std::toupper(static_cast<unsigned char>(v[vi]))) {
      return false;
    }
    ++vi;
    ++pi;
  }
  return vi == v.size();
}

bool Digits(const std::string& s, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i) {
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

bool IsSiteDate(const std::string& v) {
  return v.size() >= 10 && Digits(v, 0, 4) && v[4] == '-' && Digits(v, 5, 2) && v[7] == '-' &&
         Digits(v, 8, 2);
}

}  // namespace

bool LikeMatch(const std::string& value, const std::string& pattern, char escape) {
  return LikeFrom(value, 0, pattern, 0, escape);
}

bool WildcardMatch(const std::string& value, const std::string& pattern) {
  return WildFrom(value, 0, pattern, 0);
}

bool IsSiteTimestamp(const std::string& v) {
  return v.size() == 19 && IsSiteDate(v) && v[10] == ' ' && Digits(v, 11, 2) && v[13] == ':' &&
         Digits(v, 14, 2) && v[16] == ':' && Digits(v, 17, 2);
}

std::string SqlTimestamp(const std::string& value) {
  return IsSiteTimestamp(value) ? value + ".000000" : value;
}

std::string QueryDate(const std::string& value, int dateFormat) {
  bool full = IsSiteTimestamp(value);
  if (!full && !(value.size() == 10 && IsSiteDate(value))) return value;
  std::string y = value.substr(0, 4), m = value.substr(5, 2), d = value.substr(8, 2);
  std::string date;
  switch (dateFormat) {
    case 2:
      date = d + "-" + m + "-" + y;
      break;
    case 3:
      date = y + "-" + m + "-" + d;
      break;
    case 4:
      date = d + "." + m + "." + y;
      break;
    case 5:
      date = y + "." + m + "." + d;
      break;
    default:
      date = m + "/" + d + "/" + y;
      break;
  }
  return full ? date + value.substr(10) : date;
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end != nullptr && *end == '\0' && !std::isspace(static_cast<unsigned char>(text[0]));
}

}  // namespace dsmsim
