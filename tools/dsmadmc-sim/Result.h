// What a server command produces: named columns and rows of text, or a
// failure with the client's messages and exit status.
#pragma once

#include <string>
#include <vector>

#include "tools/dsmadmc-sim/Csv.h"

namespace dsmsim {

// Exit statuses of the client.
constexpr int kStatusOk = 0;
constexpr int kStatusUnknownCommand = 2;
constexpr int kStatusSyntax = 3;
constexpr int kStatusNotFound = 11;
constexpr int kStatusBadLogin = 137;

struct ResultSet {
  std::vector<std::string> columns;
  std::vector<Row> rows;
};

struct CommandOutcome {
  int status = kStatusOk;
  std::vector<std::string> messages;  // printed after the data
};

}  // namespace dsmsim
