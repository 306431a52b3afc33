#include "tools/dsmadmc-sim/Site.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace dsmsim {

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

int Table::Column(const std::string& column) const {
  std::string wanted = Upper(column);
  for (size_t i = 0; i < columns.size(); ++i) {
    if (Upper(columns[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

const std::string& Table::Cell(const Row& row, const std::string& column) const {
  static const std::string kEmpty;
  int i = Column(column);
  return i < 0 ? kEmpty : row[i];
}

std::string Site::FileOf(const std::string& tableName) const {
  std::string stem;
  for (char c : tableName) stem += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return dir_ + "/" + stem + ".csv";
}

bool Site::ReadColumns(const std::string& tableName, Table* table) const {
  std::ifstream in(FileOf(tableName), std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    table->name = Upper(tableName);
    table->columns = SplitCsvLine(line);
    return true;
  }
  return false;
}

bool Site::ScanRows(const std::string& tableName, const std::function<bool(const Row&)>& keep,
                    std::vector<Row>* rows) const {
  std::ifstream in(FileOf(tableName), std::ios::binary);
  if (!in) return false;
  std::string line;
  size_t width = 0;
  bool header = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Row row = SplitCsvLine(line);
    if (header) {
      width = row.size();
      header = false;
      continue;
    }
    row.resize(width);
    if (keep(row)) rows->push_back(std::move(row));
  }
  return !in.bad();
}

const Table* Site::Find(const std::string& tableName) {
  std::string name = Upper(tableName);
  auto it = tables_.find(name);
  if (it != tables_.end()) return it->second.get();
  std::vector<Row> records;
  std::unique_ptr<Table> table;
  if (ReadCsvFile(FileOf(name), &records) && !records.empty()) {
    table = std::make_unique<Table>();
    table->name = name;
    table->columns = records.front();
    for (size_t i = 1; i < records.size(); ++i) {
      Row row = std::move(records[i]);
      row.resize(table->columns.size());
      table->rows.push_back(std::move(row));
    }
  }
  const Table* result = table.get();
  tables_[name] = std::move(table);
  return result;
}

bool Site::IsSelectable(const std::string& tableName) {
  std::string name = Upper(tableName);
  return name != "ADMINS" && name != "SETTINGS";
}

std::string Site::Setting(const std::string& name, const std::string& fallback) {
  const Table* settings = Find("SETTINGS");
  if (settings == nullptr) return fallback;
  for (const Row& row : settings->rows) {
    if (EqualsNoCase(settings->Cell(row, "NAME"), name)) return settings->Cell(row, "VALUE");
  }
  return fallback;
}

bool Site::CheckLogin(const std::string& id, const std::string& password) {
  const Table* admins = Find("ADMINS");
  if (admins == nullptr || id.empty()) return false;
  for (const Row& row : admins->rows) {
    if (EqualsNoCase(admins->Cell(row, "ADMIN_NAME"), id) && admins->Cell(row, "PASSWORD") == password) {
      return true;
    }
  }
  return false;
}

std::string LocateSite(const std::string& programDir) {
  const char* env = std::getenv("DSMADMC_SIM_SITE");
  if (env != nullptr && *env != '\0') return env;
  std::ifstream pointer(programDir + "/dsmadmc-sim.site");
  std::string path;
  if (pointer && std::getline(pointer, path)) {
    while (!path.empty() && (path.back() == '\r' || path.back() == ' ')) path.pop_back();
    if (!path.empty()) return path[0] == '/' ? path : programDir + "/" + path;
  }
  return programDir + "/site";
}

}  // namespace dsmsim
