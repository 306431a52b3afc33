// The storage policy select: every distinct (library, storage pool) pair
// of the volumes that sit in a library, into "ixr_storagepolicy.txt".
//
// Use: one fetcher on the caller's stack; SetLogin, SetPassword,
// FetchData(nullptr), then read get_tsmsp() while the fetcher lives. The
// records stay when the command fails after writing part of its output.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "storage/TSMStoragePolicy.h"

class CTSMSPFetcher : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  static constexpr size_t kMinFields = 2;

  CTSMSPFetcher();

  // One record per data line, in output order; owned by the fetcher.
  std::vector<TSMStoragePolicy>* get_tsmsp() { return &tsmsp; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `context` is not used. False only on a read error.
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override;

 private:
  std::vector<TSMStoragePolicy> tsmsp;
};
