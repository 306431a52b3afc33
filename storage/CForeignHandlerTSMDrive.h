// The drive select of one library, into "ixr_drives_<LIBRARY>.txt".
// Run by the library parser once per library line.
//
// Use: one fetcher per library on the caller's stack; set_libraryName,
// SetLogin, SetPassword, then FetchData with a std::vector<TSMDrive>* to
// which one record per drive line is appended (what was appended stays
// when the fetch fails). The library name goes into the select unquoted
// and into the output file name, so a name that could break either
// (tsmcmd::IsSafeItemName: a quote, a blank, a control character, "/",
// "." or "..", empty) is refused with a log line: nothing runs or is
// read, and FetchData is false.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "storage/TSMDrive.h"

class CTSMDrive : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  static constexpr size_t kMinFields = 14;

  CTSMDrive();

  void set_libraryName(std::string name) { libraryName = std::move(name); }
  std::string get_libraryName() const { return libraryName; }

  std::string _GetCommandLine() override;
  using CForeignCmdExecBase::_ParseData;
  // Gathered drive files have no header lines, so under existing files
  // the first line is data; a live output skips dsmadmc's four.
  bool _ParseData(void* drives, const std::string& path) override;
  // The name is kept in the fetcher: valid until the next call.
  const char* _GetFileNameForData() const override;

 private:
  std::string libraryName;
  mutable std::string fileName;
};
