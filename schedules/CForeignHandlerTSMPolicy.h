// The schedule query: every backup schedule of the TSM server, with the
// nodes associated with it.
//
// Runs the detailed schedule query into "ixr_sched.txt" and keeps the
// schedules whose action is a backup ("Incremental", "Selective",
// "ImageBackup", "Inc", any case). Servers write 19 or 20 columns; lines
// of any other width are dropped. For each kept schedule one CTSMAssoc run
// fills its client list.
//
// Use: on the caller's stack. set_BinaryPath, SetLogin, SetPassword, then
// FetchData(&records) with a std::vector<CTSMSchedule>: one record is
// appended per kept schedule, in output order. FetchData is false when the
// output cannot be read or an association query fails; the parse stops
// there and records appended before stay.
#pragma once

#include <string>
#include <vector>

#include "handler/TSMAdminInfo.h"
#include "host/CForeignCmdExecBase.h"
#include "schedules/CTSMSchedule.h"

class CTSMPolicy : public CForeignCmdExecBase, public TSMAdminInfo {
 public:
  CTSMPolicy();

  std::string GetOutputFile() const { return outputFile_; }

  std::string _GetCommandLine() override;
  // `out` is a std::vector<CTSMSchedule>. Ignores `lines` and reads the
  // output file itself.
  bool _ParseData(void* out, const std::vector<std::string>& lines) override;
  using CForeignCmdExecBase::_ParseData;
  // The file the run writes, so that only it is removed before the run.
  const char* _GetFileNameForData() const override { return outputFile_.c_str(); }

 private:
  // One line after the header; false stops the parse.
  bool parseLine(const std::vector<std::string>& tokens, const std::string& rawLine,
                 std::vector<CTSMSchedule>* records);

  std::string outputFile_;
};
