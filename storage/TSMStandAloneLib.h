// One FILE or DISK volume, which becomes a stand-alone magnetic library
// of its own: the record CTSMStandAloneLibs fills and the three
// stand-alone builders read. The volume name, a path that may hold blanks
// and slashes, is used unchanged as library, drive, copy and media name;
// it never becomes a file name. Plain value class.
#pragma once

#include <string>

namespace FDC {
class ForeignLibraryList;
class ForeignMediaList;
class StoragePolicyList;
}  // namespace FDC

class TSMStandAloneLib {
 public:
  std::string get_libName() const { return libName; }
  void set_libName(std::string v) { libName = std::move(v); }
  std::string get_storagePath() const { return storagePath; }
  void set_storagePath(std::string v) { storagePath = std::move(v); }
  std::string get_storageType() const { return storageType; }
  void set_storageType(std::string v) { storageType = std::move(v); }
  std::string get_deviceStatus() const { return deviceStatus; }
  void set_deviceStatus(std::string v) { deviceStatus = std::move(v); }
  std::string get_spName() const { return spName; }
  void set_spName(std::string v) { spName = std::move(v); }
  long get_deviceStorage() const { return deviceStorage; }
  void set_deviceStorage(long v) { deviceStorage = v; }

  // Appends the library item with its one drive. False for a null list.
  bool BuildStandAloneLib(FDC::ForeignLibraryList* list) const;
  // Appends the media item of the volume. False for a null list.
  bool BuildMediaForStandAloneLib(FDC::ForeignMediaList* list) const;
  // Adds a copy named after the volume to the policy of its pool, merged
  // by name as TSMStoragePolicy::BuildStoragePolicy does. False for a
  // null list.
  bool BuildStoragePolicy(FDC::StoragePolicyList* list) const;

 private:
  std::string libName;       // volume name
  std::string storagePath;   // volume name again
  std::string storageType;   // device class: FILE or DISK
  std::string deviceStatus;  // volume status (ONLINE, FILLING, ...)
  std::string spName;        // storage pool
  long deviceStorage = 0;    // whole megabytes of the estimated capacity
};
