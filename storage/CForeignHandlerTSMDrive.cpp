#include "storage/CForeignHandlerTSMDrive.h"

#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "storage/StorageFileReader.h"

namespace {
constexpr size_t kColDrive = 1;
constexpr size_t kColDeviceType = 2;
constexpr size_t kColOnline = 3;
constexpr size_t kColSerial = 13;
}  // namespace

CTSMDrive::CTSMDrive() : CForeignCmdExecBase(kCommunicationMethod1) {}

const char* CTSMDrive::_GetFileNameForData() const {
  fileName = tsmcmd::kDrivesFilePrefix + libraryName + tsmcmd::kDrivesFileSuffix;
  return fileName.c_str();
}

std::string CTSMDrive::_GetCommandLine() {
  if (!tsmcmd::IsSafeItemName(libraryName)) {
    EvEvent ev;
    ev.Error("CTSMDrive::_GetCommandLine",
             "Refusing library name [%s]: not usable in the drive query or its output file name",
             libraryName.c_str());
    return kSkipMarker;
  }
  return tsmcmd::FormB(*this, _GetFileNameForData(),
                       tsmcmd::kDrivesSelectPrefix + libraryName + tsmcmd::kDrivesSelectSuffix);
}

bool CTSMDrive::_ParseData(void* drives, const std::string& path) {
  auto* out = static_cast<std::vector<TSMDrive>*>(drives);
  // A refused name must not read a file left by anything else.
  if (out == nullptr || !tsmcmd::IsSafeItemName(libraryName)) return false;
  EvEvent ev;
  ev.DebugLvl("_ParseData", 4, "Parsing file [%s]", _GetFileNameForData());
  // Gathered drive files are written with -dataonly=yes.
  const DsmOutputLayout& layout = get_UseExistingFiles() ? dsmlayout::kDataOnly : dsmlayout::kSelect;
  return ReadStorageFile(path, layout, kMinFields, [out](const std::vector<std::string>& fields) {
    TSMDrive drive;
    drive.set_driveName(fields[kColDrive]);
    drive.set_isOnline(fields[kColOnline] == "YES");  // exact: yes or Yes count as offline
    drive.set_driveSerial(fields[kColSerial]);
    drive.set_driveType(fields[kColDeviceType]);
    out->push_back(std::move(drive));
  });
}
