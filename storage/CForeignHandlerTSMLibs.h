// The library select into "ixr_libraries.txt". While it reads each
// library line it runs the drive select of that library (CTSMDrive), so
// every record arrives with its drives: one drive query per accepted
// line, in file order, each with its own output file.
//
// Use: one fetcher on the caller's stack; SetLogin, SetPassword,
// FetchData(nullptr), then read get_tsmlibs() while the fetcher lives. The
// drive fetchers take the login, password and job id of this one.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "storage/TSMLibs.h"

class CTSMLibs : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  static constexpr size_t kMinFields = 17;

  CTSMLibs();

  // One record per library line, in output order; owned by the fetcher.
  std::vector<TSMLibs>* get_tsmlibs() { return &tsmlibs; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `context` is not used. A failed drive query leaves that library with
  // the drives read so far and does not stop the parse. False only on a
  // read error of the library file.
  bool _ParseData(void* context, const std::string& path) override;
  const char* _GetFileNameForData() const override;

 private:
  // Runs the drive select of the library just appended.
  void fetchDrives(TSMLibs& library);

  std::vector<TSMLibs> tsmlibs;
};
