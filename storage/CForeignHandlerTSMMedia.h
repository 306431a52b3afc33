// The media select: one line per (volume, library) pair of the volumes
// that sit in a library, into "ixr_media.txt".
//
// Use: one fetcher on the caller's stack; SetLogin, SetPassword,
// FetchData(nullptr), then read get_tsmmedia() while the fetcher lives.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "storage/TSMMedia.h"

class CTSMMedia : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  static constexpr size_t kMinFields = 5;

  CTSMMedia();

  // One record per data line, in output order; owned by the fetcher.
  std::vector<TSMMedia>* get_tsmmedia() { return &tsmmedia; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `context` is not used. False only on a read error.
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override;

 private:
  std::vector<TSMMedia> tsmmedia;
};
