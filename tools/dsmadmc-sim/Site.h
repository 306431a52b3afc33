// A simulated server: a directory of CSV tables, one per server table the
// queries read, each named after its table in lower case (nodes.csv,
// client_schedules.csv ...). The first record of a file names the columns.
// Two files belong to the simulator itself and are never selectable:
// admins.csv (ADMIN_NAME, PASSWORD) and settings.csv (NAME, VALUE). The
// settings: SCHEDULE_LAYOUT (19, 20 or 21 fields of the detailed schedule
// listing; by default the server version decides), SERVER_DATETIME (the server's clock in the banner,
// "YYYY-MM-DD HH:MM:SS"; the local time without it), DECIMAL_COMMA (1: the
// server prints decimal figures with a comma).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/dsmadmc-sim/Csv.h"

namespace dsmsim {

struct Table {
  std::string name;  // upper case, as in SQL
  std::vector<std::string> columns;
  std::vector<Row> rows;  // each padded to columns.size()

  // Index of the column (case-insensitive), -1 when absent.
  int Column(const std::string& column) const;
  const std::string& Cell(const Row& row, const std::string& column) const;
};

class Site {
 public:
  explicit Site(std::string dir) : dir_(std::move(dir)) {}

  const std::string& dir() const { return dir_; }
  // The table, read on first use; null when its file is missing or
  // unreadable.
  const Table* Find(const std::string& tableName);
  // Reads only the column names of a table into `table` (name and
  // columns); false when its file is missing or empty.
  bool ReadColumns(const std::string& tableName, Table* table) const;
  // Streams the rows of a table, padded to its columns, appending those
  // `keep` accepts; nothing is cached, so a select over a large table
  // holds only the rows it needs. False when the file cannot be read.
  bool ScanRows(const std::string& tableName, const std::function<bool(const Row&)>& keep,
                std::vector<Row>* rows) const;
  // True for tables an SQL select may read.
  static bool IsSelectable(const std::string& tableName);
  // A value of settings.csv, or `fallback`.
  std::string Setting(const std::string& name, const std::string& fallback);
  // True when admins.csv holds the id (case-insensitive) with exactly
  // this password.
  bool CheckLogin(const std::string& id, const std::string& password);

 private:
  std::string FileOf(const std::string& tableName) const;

  std::string dir_;
  std::map<std::string, std::unique_ptr<Table>> tables_;
};

// Where the simulator program finds its site: $DSMADMC_SIM_SITE; else the
// path in the file dsmadmc-sim.site next to the program (relative paths
// are taken from the program's directory); else site/ next to it.
std::string LocateSite(const std::string& programDir);

std::string Upper(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);

}  // namespace dsmsim
