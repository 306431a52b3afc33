// Pattern matching and value formatting shared by the SQL select and the
// query commands.
#pragma once

#include <string>

namespace dsmsim {

// SQL LIKE: "%" any run, "_" one character; `escape` (0 for none) makes
// the next pattern character literal. Case-sensitive, as the server's
// string comparison is.
bool LikeMatch(const std::string& value, const std::string& pattern, char escape);

// The query commands' name patterns: "*" any run, "?" one character,
// letter case ignored (the server keeps names in upper case).
bool WildcardMatch(const std::string& value, const std::string& pattern);

// True for "YYYY-MM-DD HH:MM:SS", the form timestamps are kept in a site.
bool IsSiteTimestamp(const std::string& value);
// The timestamp as an SQL select prints it: "YYYY-MM-DD HH:MM:SS.000000".
std::string SqlTimestamp(const std::string& value);
// The timestamp (or a bare date "YYYY-MM-DD") as a query command prints
// it under -dateformat; other values unchanged.
std::string QueryDate(const std::string& value, int dateFormat);

// Numeric value of `text` when it is a decimal number.
bool ParseNumber(const std::string& text, double* value);

}  // namespace dsmsim
