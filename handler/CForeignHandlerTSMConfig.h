// The TSM server version probe: "SELECT VERSION, RELEASE FROM STATUS" into
// ixr_tsmconfig.txt, parsed into a TSMVersionInfo.
//
// FetchData's target is a TSMVersionInfo owned by the caller; the parser
// writes both values only when the first line holds at least two
// comma-separated values.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"

struct TSMVersionInfo {
  int version = -1;
  int release = -1;
};

class CTSMConfigFetcher : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  CTSMConfigFetcher();

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `out` is a TSMVersionInfo*. False when the file holds no line or its
  // first line has fewer than two values; under existing files a missing
  // file is true and changes nothing.
  bool _ParseData(void* out, const std::string& fileName) override;
  const char* _GetFileNameForData() const override;
};
