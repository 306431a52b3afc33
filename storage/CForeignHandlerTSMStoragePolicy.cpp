#include "storage/CForeignHandlerTSMStoragePolicy.h"

#include "handler/TSMCommands.h"
#include "storage/StorageFileReader.h"

namespace {
constexpr size_t kColLibrary = 0;
constexpr size_t kColPool = 1;
}  // namespace

CTSMSPFetcher::CTSMSPFetcher() : CForeignCmdExecBase(kCommunicationMethod1) {}

std::string CTSMSPFetcher::_GetCommandLine() {
  return tsmcmd::FormB(*this, _GetFileNameForData(), tsmcmd::kStoragePolicySelect);
}

const char* CTSMSPFetcher::_GetFileNameForData() const { return tsmcmd::kStoragePolicyFile; }

bool CTSMSPFetcher::_ParseData(void* /*context*/, const std::string& path) {
  return ReadStorageFile(path, dsmlayout::kSelect, kMinFields,
                         [this](const std::vector<std::string>& fields) {
                           TSMStoragePolicy record;
                           record.set_libName(fields[kColLibrary]);
                           record.set_spName(fields[kColPool]);
                           tsmsp.push_back(std::move(record));
                         });
}
