#include "tools/tsm-discover/report/MakeReport.h"

#include <cstdio>
#include <fstream>

#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/report/ReportWriters.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmreport {

bool WriteHtmlReportFile(const std::string& replies, const std::string& htmlFile, std::string* error,
                         const std::string& replaySet) {
  ReportModel model;
  if (!ReadReplies(replies, &model, error) || !tsmverify::AddCheckToReport(replaySet, &model, error))
    return false;
  const std::string temporary = htmlFile + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    WriteHtmlReport(model, out);
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      *error = "cannot write " + htmlFile;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), htmlFile.c_str()) != 0) {
    std::remove(temporary.c_str());
    *error = "cannot write " + htmlFile;
    return false;
  }
  return true;
}

bool WriteTextReportTo(const std::string& replies, std::ostream& out, std::string* error,
                       const std::string& replaySet) {
  ReportModel model;
  if (!ReadReplies(replies, &model, error) || !tsmverify::AddCheckToReport(replaySet, &model, error))
    return false;
  WriteTextReport(model, out);
  return true;
}

}  // namespace tsmreport
