#include "storage/CForeignHandlerTSMMedia.h"

#include "handler/TSMCommands.h"
#include "storage/Figures.h"
#include "storage/StorageFileReader.h"

namespace {
constexpr size_t kColVolume = 0;
constexpr size_t kColDeviceClass = 1;
constexpr size_t kColCapacity = 2;
constexpr size_t kColLibrary = 3;
constexpr size_t kColPool = 4;
}  // namespace

CTSMMedia::CTSMMedia() : CForeignCmdExecBase(kCommunicationMethod0) {}

std::string CTSMMedia::_GetCommandLine() {
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::kMediaSelect);
}

const char* CTSMMedia::_GetFileNameForData() const { return tsmcmd::kMediaFile; }

bool CTSMMedia::_ParseData(void* /*context*/, const std::string& path) {
  return ReadStorageFile(path, dsmlayout::kSelect, kMinFields,
                         [this](const std::vector<std::string>& fields) {
                           TSMMedia record;
                           record.set_mediaName(fields[kColVolume]);
                           record.set_mediaType(fields[kColDeviceClass]);
                           record.set_mediaCapacity(WithDecimalPoint(fields[kColCapacity]));
                           record.set_libraryName(fields[kColLibrary]);
                           record.set_spName(fields[kColPool]);
                           tsmmedia.push_back(std::move(record));
                         });
}
