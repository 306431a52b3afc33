// The DB2 select of one node: which (instance, database) pairs the node
// holds in file spaces of type API:DB2, from "ixr_db2_<NODE>.txt".
//
// Use: one fetcher per query on the caller's stack; set_clientName,
// SetLogin, SetPassword, FetchData(nullptr), then read get_db2info() while
// the fetcher lives. The output file is named after the node, so a node
// name that could leave the working directory (empty, ".", "..", or with a
// "/") is refused: nothing runs and FetchData is false.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"

class CTSMDB2Info : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  using Pairs = std::vector<std::pair<std::string, std::string>>;

  CTSMDB2Info();

  // Stores the node name in upper case, as TSM keeps it.
  void set_clientName(const std::string& name);
  std::string get_clientName() const { return clientName; }
  // (instance, database) pairs in output order; owned by the fetcher.
  Pairs* get_db2info() { return &db2info; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // `out` is not used; the pairs go to get_db2info().
  bool _ParseData(void* out, const std::string& fileName) override;
  // "ixr_db2_<NODE>.txt"; also remembered as the last file name built.
  const char* _GetFileNameForData() const override;

 private:
  bool hasSafeFileName() const;

  std::string clientName;
  mutable std::string fileName;
  Pairs db2info;
};
