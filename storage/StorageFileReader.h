// The reading rule shared by the storage parsers, for the comma output of
// a dsmadmc select:
//   1. Open `path`. A file that cannot be opened reads as empty: a select
//      that matched nothing may leave no file. Logged at level 4.
//   2. Read it with the dsmadmc output reader (handler/DsmOutputReader.h)
//      by `layout`: the header lines, the rest of a client banner and
//      every ANR/ANS message line are not records.
//   3. Split every data line with tsmsplit::SplitStorageSelectLine: a
//      field dsmadmc put between double quotes (it holds a comma) stays
//      one field.
//   4. Drop lines with fewer than `minFields` fields (blank lines).
//   5. Hand the fields of every other line to `onRecord`, in file order.
// True unless a read error cut the file short; the records read before
// the error have been handed on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "handler/DsmOutputReader.h"

using StorageRecordHandler = std::function<void(const std::vector<std::string>& fields)>;

bool ReadStorageFile(const std::string& path, const DsmOutputLayout& layout, size_t minFields,
                     const StorageRecordHandler& onRecord);
