#include "tools/dsmadmc-sim/Csv.h"

#include <fstream>

namespace dsmsim {

Row SplitCsvLine(const std::string& line) {
  Row fields;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

std::string QuoteCsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

std::string JoinCsvLine(const Row& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += QuoteCsvField(fields[i]);
  }
  return line;
}

bool ReadCsvFile(const std::string& path, std::vector<Row>* rows) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    rows->push_back(SplitCsvLine(line));
  }
  return !in.bad();
}

bool WriteCsvFile(const std::string& path, const std::vector<Row>& rows) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const Row& row : rows) out << JoinCsvLine(row) << '\n';
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace dsmsim
