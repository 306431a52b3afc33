// Administrator login and password carried by every fetcher and record.
// A plain value class; the password is plain text and must never be
// logged (command lines are masked by the execution base).
#pragma once

#include <string>

class TSMAdminInfo {
 public:
  TSMAdminInfo() = default;

  void SetLogin(std::string value) { login = std::move(value); }
  void SetPassword(std::string value) { password = std::move(value); }

  std::string login;
  std::string password;
};
