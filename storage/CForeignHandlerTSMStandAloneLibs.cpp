#include "storage/CForeignHandlerTSMStandAloneLibs.h"

#include <cstdlib>

#include "handler/TSMCommands.h"
#include "storage/Figures.h"
#include "storage/StorageFileReader.h"

namespace {
constexpr size_t kColVolume = 0;
constexpr size_t kColPool = 1;
constexpr size_t kColDeviceClass = 2;
constexpr size_t kColCapacity = 3;
constexpr size_t kColStatus = 6;

// The whole megabytes of a capacity such as "2048.5" (or "2048,5" from a
// decimal-comma server); 0 when the text does not start with a number.
// strtol saturates where atol's overflow would be undefined.
long WholeMegabytes(const std::string& capacity) {
  return std::strtol(WithDecimalPoint(capacity).c_str(), nullptr, 10);
}
}  // namespace

CTSMStandAloneLibs::CTSMStandAloneLibs() : CForeignCmdExecBase(kCommunicationMethod1) {}

std::string CTSMStandAloneLibs::_GetCommandLine() {
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::kStandAloneLibsSelect);
}

const char* CTSMStandAloneLibs::_GetFileNameForData() const { return tsmcmd::kStandAloneLibsFile; }

bool CTSMStandAloneLibs::_ParseData(void* /*context*/, const std::string& path) {
  return ReadStorageFile(path, dsmlayout::kSelect, kMinFields,
                         [this](const std::vector<std::string>& fields) {
                           TSMStandAloneLib record;
                           record.set_libName(fields[kColVolume]);
                           record.set_storagePath(fields[kColVolume]);
                           record.set_spName(fields[kColPool]);
                           record.set_storageType(fields[kColDeviceClass]);
                           record.set_deviceStorage(WholeMegabytes(fields[kColCapacity]));
                           record.set_deviceStatus(fields[kColStatus]);
                           stdaloneLibs.push_back(std::move(record));
                         });
}
