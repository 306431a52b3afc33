// Small string and host utilities of the host library.
#pragma once

#include <string>

#include "host/ZyHostApi.h"

ZYHOST_API std::string GetHostName();
// Copy of `text` without the given characters at both ends.
ZYHOST_API std::string Trim(const std::string& text, const std::string& characters = " \t\r\n");
ZYHOST_API void TrimInline(std::string& text, const std::string& characters = " \t\r\n");
// 0 when equal ignoring ASCII case; negative or positive like strcmp.
ZYHOST_API int compareNoCase(const std::string& a, const std::string& b);
// Names of the local time zone.
ZYHOST_API std::string GetTimeZoneDisplayNameA();
ZYHOST_API std::string GetTimeZoneStdNameW();
