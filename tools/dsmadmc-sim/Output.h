// The text the client writes for one command: the session header (four
// lines) unless -dataonly=yes, the rows in comma, tab or list form, the
// server's messages, and the closing return-code line.
#pragma once

#include <string>

#include "tools/dsmadmc-sim/ClientOptions.h"
#include "tools/dsmadmc-sim/Result.h"

namespace dsmsim {

struct ServerIdentity {
  std::string name;
  std::string version;
  std::string release;
  std::string level;
  std::string platform;
};

std::string FormatOutput(const ClientOptions& options, const ServerIdentity& server, const ResultSet& result,
                         const CommandOutcome& outcome);

}  // namespace dsmsim
