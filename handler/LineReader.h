// The line reader of every parser.
#pragma once

#include <string>

#include "host/ZYFile.h"

// Next line of an open file, without its terminator. A carriage return and
// line feed pair counts as one terminator; a lone carriage return or line
// feed ends a line too. Lines of any length are returned whole. True when
// a line (possibly empty) was read; false at the end of the file, on a
// read error (see ZYFile::getLastError) or when the file is not open. The
// file is left positioned after the terminator.
bool ReadNextRawLine(ZYFile& file, std::string& line);
