#include "tools/dsmadmc-sim/Output.h"

#include "tools/dsmadmc-sim/Site.h"
#include "tools/dsmadmc-sim/TextMatch.h"

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

std::string ShortHeader(const ClientOptions& options, const ServerIdentity& server) {
  return "Storage Manager Command Line Administrative Interface - Version 8.1.12 (simulated)\n"
         "Session established with server " +
         server.name + ": " + server.platform + "\n  Server Version " + server.version + ", Release " +
         server.release + ", Level " + server.level + "\nANS8000I Server command: '" + options.command +
         "'\n";
}

std::string Banner(const ClientOptions& options, const ServerIdentity& server, ClientLevel level) {
  std::string when = QueryDate(server.dateTime, options.dateFormat);
  return ClientBannerLines(level) + "Session established with server " + server.name + ": " +
         server.platform + "\n  Server Version " + server.version + ", Release " + server.release +
         ", Level " + server.level + "\n  Server date/time: " + when + "  Last access: " + when +
         "\n\nANS8000I Server command: '" + options.command + (EchoEndsWithFullStop(level) ? "'.\n" : "'\n");
}

// Columns whose values are decimal figures in the tables the simulator
// serves (capacities, percentages, session times).
bool IsDecimalColumn(const std::string& column) {
  static const char* const kColumns[] = {"EST_CAPACITY_MB",   "PCT_UTILIZED",      "PCT_RECLAIM",
                                         "LASTSESS_DURATION", "LASTSESS_IDLEWAIT", "LASTSESS_COMMWAIT",
                                         "LASTSESS_MEDIAWAIT"};
  std::string name = Upper(column.substr(column.rfind('.') + 1));
  for (const char* c : kColumns) {
    if (name == c) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ClientMessages(const CommandOutcome& outcome, ClientLevel level) {
  std::vector<std::string> lines = outcome.messages;
  if (level != ClientLevel::kShort && outcome.status != kStatusOk) {
    lines.push_back("ANS8001I Return code " + std::to_string(outcome.status) + ".");
  }
  return lines;
}

std::string FormatOutput(const ClientOptions& options, const ServerIdentity& server, const ResultSet& result,
                         const CommandOutcome& outcome, ClientLevel level) {
  const bool shortLayout = level == ClientLevel::kShort;
  std::string text;
  if (!options.dataOnly) text += shortLayout ? ShortHeader(options, server) : Banner(options, server, level);
  for (const Row& row : result.rows) text += Line(options, result, row) + "\n";
  for (const std::string& message : ClientMessages(outcome, level)) text += message + "\n";
  if (!options.dataOnly) {
    text += "\nANS8002I Highest return code was " + std::to_string(outcome.status) + ".\n";
    if (!shortLayout) text += "\n";
  }
  return text;
}

void UseDecimalComma(ResultSet* result) {
  for (size_t c = 0; c < result->columns.size(); ++c) {
    if (!IsDecimalColumn(result->columns[c])) continue;
    for (Row& row : result->rows) {
      if (c >= row.size()) continue;
      std::string& cell = row[c];
      size_t dot = cell.find('.');
      double ignored = 0;
      if (dot != std::string::npos && ParseNumber(cell, &ignored)) cell[dot] = ',';
    }
  }
}

}  // namespace dsmsim
