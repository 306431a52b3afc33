// Reading and writing the comma-separated tables of a site and the comma
// output of the client. Fields holding a comma, a double quote or a line
// break are quoted, inner double quotes doubled.
#pragma once

#include <string>
#include <vector>

namespace dsmsim {

using Row = std::vector<std::string>;

// Splits one CSV record. Quoted fields may hold commas and doubled quotes;
// line breaks inside quotes are not supported by the site format.
Row SplitCsvLine(const std::string& line);

// Quotes `field` when the client would: it holds a comma, a double quote
// or a line break.
std::string QuoteCsvField(const std::string& field);
std::string JoinCsvLine(const Row& fields);

// Reads a whole file of records; a trailing carriage return is dropped and
// blank lines are skipped. False when the file cannot be read.
bool ReadCsvFile(const std::string& path, std::vector<Row>* rows);
// Writes the records, one per line; false on any write error.
bool WriteCsvFile(const std::string& path, const std::vector<Row>& rows);

}  // namespace dsmsim
