// The FILE and DISK volume select, into "ixr_standalonelibs.txt": every
// such volume becomes a stand-alone library of its own.
//
// Use: one fetcher on the caller's stack; SetLogin, SetPassword,
// FetchData(nullptr), then read get_stdaloneLibs() while the fetcher
// lives.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "storage/TSMStandAloneLib.h"

class CTSMStandAloneLibs : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  static constexpr size_t kMinFields = 24;

  CTSMStandAloneLibs();

  // One record per volume line, in output order; owned by the fetcher.
  std::vector<TSMStandAloneLib>* get_stdaloneLibs() { return &stdaloneLibs; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `context` is not used. False only on a read error.
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override;

 private:
  std::vector<TSMStandAloneLib> stdaloneLibs;
};
