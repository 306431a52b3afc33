#include "storage/StorageFileReader.h"

#include "handler/LineReader.h"
#include "handler/Splitting.h"
#include "host/EvDebug.h"
#include "host/ZYFile.h"

bool ReadStorageFile(const std::string& path, int headerLines, size_t minFields,
                     const StorageRecordHandler& onRecord) {
  EvEvent ev;
  ZYFile file;
  if (file.open(path, 0, 0, 0) != 0) {
    ev.DebugLvl("ReadStorageFile", 4, "Unable to open file [%s]; read as empty", path.c_str());
    return true;
  }
  int skip = headerLines;
  std::string line;
  std::vector<std::string> fields;
  while (ReadNextRawLine(file, line)) {
    if (skip > 0) {
      --skip;
      continue;
    }
    tsmsplit::SplitStorageSelectLine(line, fields);
    if (fields.size() >= minFields) onRecord(fields);
  }
  if (file.getLastError() != 0) {
    ev.Error("ReadStorageFile", "Reading file [%s] failed. Error [%d]", path.c_str(), file.getLastError());
    return false;
  }
  return true;
}
