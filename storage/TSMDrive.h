// One drive of a library, as the drive select lists it: the record
// CTSMDrive fills and the library builder turns into a drive item. Plain
// value class.
#pragma once

#include <string>

namespace FDC {
class ForeignDriveList;
}  // namespace FDC

class TSMDrive {
 public:
  std::string get_driveName() const { return driveName; }
  void set_driveName(std::string v) { driveName = std::move(v); }
  std::string get_driveSerial() const { return driveSerial; }
  void set_driveSerial(std::string v) { driveSerial = std::move(v); }
  std::string get_driveType() const { return driveType; }
  void set_driveType(std::string v) { driveType = std::move(v); }
  bool get_isOnline() const { return isOnline; }
  void set_isOnline(bool v) { isOnline = v; }

  // Appends one drive item with its eleven info items. False for a null
  // list.
  bool BuildDrive(FDC::ForeignDriveList* list) const;

 private:
  std::string driveName;
  std::string driveSerial;
  std::string driveType;  // TSM device type
  bool isOnline = false;
};
