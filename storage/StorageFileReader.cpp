#include "storage/StorageFileReader.h"

#include "handler/Splitting.h"
#include "host/EvDebug.h"

bool ReadStorageFile(const std::string& path, const DsmOutputLayout& layout, size_t minFields,
                     const StorageRecordHandler& onRecord) {
  EvEvent ev;
  const DsmReadEnd end =
      ReadDsmOutputFile(path, layout, tsmsplit::SplitStorageSelectLine, [&](const DsmRecord& record) {
        if (record.fields.size() >= minFields) onRecord(record.fields);
        return true;
      });
  if (end == DsmReadEnd::kNotOpened) {
    ev.DebugLvl("ReadStorageFile", 4, "Unable to open file [%s]; read as empty", path.c_str());
    return true;
  }
  if (end == DsmReadEnd::kReadError) {
    ev.Error("ReadStorageFile", "Reading file [%s] failed", path.c_str());
    return false;
  }
  return true;
}
