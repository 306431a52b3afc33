#include "tools/dsmadmc-sim/Output.h"

namespace dsmsim {
namespace {

std::string Line(const ClientOptions& options, const ResultSet& result, const Row& row) {
  if (options.comma) return JoinCsvLine(row);
  std::string line;
  for (size_t i = 0; i < row.size(); ++i) {
    if (options.tab) {
      if (i > 0) line += '\t';
      line += row[i];
    } else {
      line += (i < result.columns.size() ? result.columns[i] : "") + ": " + row[i] + "\n";
    }
  }
  return line;
}

}  // namespace

std::string FormatOutput(const ClientOptions& options, const ServerIdentity& server, const ResultSet& result,
                         const CommandOutcome& outcome) {
  std::string text;
  if (!options.dataOnly) {
    text += "Storage Manager Command Line Administrative Interface - Version 8.1.12 (simulated)\n";
    text += "Session established with server " + server.name + ": " + server.platform + "\n";
    text += "  Server Version " + server.version + ", Release " + server.release + ", Level " + server.level +
            "\n";
    text += "ANS8000I Server command: '" + options.command + "'\n";
  }
  for (const Row& row : result.rows) text += Line(options, result, row) + "\n";
  for (const std::string& message : outcome.messages) text += message + "\n";
  if (!options.dataOnly) {
    text += "\nANS8002I Highest return code was " + std::to_string(outcome.status) + ".\n";
  }
  return text;
}

}  // namespace dsmsim
