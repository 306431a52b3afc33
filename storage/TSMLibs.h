// One TSM library with its drives: the record CTSMLibs fills (the drives
// come from the drive select run for it) and the library builder turns
// into a library item. Plain value class.
#pragma once

#include <string>
#include <vector>

#include "storage/TSMDrive.h"

namespace FDC {
class ForeignLibraryList;
}  // namespace FDC

class TSMLibs {
 public:
  std::string get_libName() const { return libName; }
  void set_libName(std::string v) { libName = std::move(v); }
  std::string get_libType() const { return libType; }
  void set_libType(std::string v) { libType = std::move(v); }
  // Kept as read; no message carries it.
  void set_mediaType(std::string v) { mediaType = std::move(v); }
  std::string get_libSerial() const { return libSerial; }
  void set_libSerial(std::string v) { libSerial = std::move(v); }
  // Owned by the record; valid while it lives and is not moved.
  std::vector<TSMDrive>* get_drives() { return &drives; }
  const std::vector<TSMDrive>& drivesView() const { return drives; }

  // Appends one library item: info items, the TSM server as its host and
  // one drive item per drive (no drive list without drives). False for a
  // null list.
  bool BuildLib(FDC::ForeignLibraryList* list) const;

 private:
  std::string libName;
  std::string libType;
  std::string mediaType;
  std::string libSerial;
  std::vector<TSMDrive> drives;
};
