// The text the client writes for one command. With a client level other
// than the short layout, as a real client writes it (docs/notes.md, "Real
// dsmadmc output"):
//   unless -dataonly=yes: the client banner, "Session established with
//   server NAME: PLATFORM", the server version, the server date/time, an
//   empty line and the echo "ANS8000I Server command: 'COMMAND'" (8.1 and
//   newer add a full stop);
//   the rows in comma, tab or list form;
//   the server's messages and, for a status other than 0,
//   "ANS8001I Return code N." (kept with -dataonly=yes too);
//   unless -dataonly=yes: an empty line, "ANS8002I Highest return code was
//   N." and an empty line.
// The short layout writes four header lines, the rows, the server's
// messages, an empty line and the ANS8002I line.
#pragma once

#include <string>
#include <vector>

#include "tools/dsmadmc-sim/ClientLevel.h"
#include "tools/dsmadmc-sim/ClientOptions.h"
#include "tools/dsmadmc-sim/Result.h"

namespace dsmsim {

struct ServerIdentity {
  std::string name;
  std::string version;
  std::string release;
  std::string level;
  std::string platform;
  std::string dateTime;  // "YYYY-MM-DD HH:MM:SS", the server's clock
};

std::string FormatOutput(const ClientOptions& options, const ServerIdentity& server, const ResultSet& result,
                         const CommandOutcome& outcome, ClientLevel level);

// The message lines of the command as the client prints them: the
// server's, then ANS8001I when the status is not 0 (not in the short
// layout).
std::vector<std::string> ClientMessages(const CommandOutcome& outcome, ClientLevel level);

// Prints the decimal figures of the columns that hold them with a decimal
// comma, as a server in such a locale does ("2500000.0" -> "2500000,0").
void UseDecimalComma(ResultSet* result);

}  // namespace dsmsim
