#include "storage/CForeignHandlerTSMLibs.h"

#include "handler/TSMCommands.h"
#include "host/EvDebug.h"
#include "storage/CForeignHandlerTSMDrive.h"
#include "storage/StorageFileReader.h"

namespace {
constexpr size_t kColName = 0;
constexpr size_t kColType = 1;
constexpr size_t kColMediaType = 6;
constexpr size_t kColSerial = 17;
}  // namespace

CTSMLibs::CTSMLibs() : CForeignCmdExecBase(kCommunicationMethod1) {}

std::string CTSMLibs::_GetCommandLine() {
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::kLibrariesSelect);
}

const char* CTSMLibs::_GetFileNameForData() const { return tsmcmd::kLibrariesFile; }

bool CTSMLibs::_ParseData(void* /*context*/, const std::string& path) {
  EvEvent ev;
  ev.DebugLvl("_ParseData", 4, "Processing file [%s]", path.c_str());
  return ReadStorageFile(path, dsmlayout::kSelect, kMinFields,
                         [this](const std::vector<std::string>& fields) {
                           TSMLibs library;
                           library.set_libName(fields[kColName]);
                           library.set_libType(fields[kColType]);
                           library.set_mediaType(fields[kColMediaType]);
                           if (fields.size() > kColSerial) library.set_libSerial(fields[kColSerial]);
                           tsmlibs.push_back(std::move(library));
                           fetchDrives(tsmlibs.back());
                         });
}

void CTSMLibs::fetchDrives(TSMLibs& library) {
  CTSMDrive drives;
  drives.SetLogin(login);
  drives.SetPassword(password);
  drives.set_JobId(get_JobId());
  drives.set_libraryName(library.get_libName());
  if (!drives.FetchData(library.get_drives())) return;
  EvEvent ev;
  ev.DebugLvl("_ParseData", 1,
              "Successfully fetched drive information for [%s] library. [%d] drives discovered",
              library.get_libName().c_str(), static_cast<int>(library.get_drives()->size()));
}
