#include "tools/tsm-discover/report/MakeReport.h"

#include <cstdio>
#include <fstream>

#include "tools/tsm-discover/report/JsonReport.h"
#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/report/ReportWriters.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmreport {
namespace {

using Writer = void (*)(const ReportModel&, std::ostream&);

bool WriteFile(const ReportModel& model, Writer write, const std::string& file, std::string* error) {
  const std::string temporary = file + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    write(model, out);
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      *error = "cannot write " + file;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), file.c_str()) != 0) {
    std::remove(temporary.c_str());
    *error = "cannot write " + file;
    return false;
  }
  return true;
}

}  // namespace

bool WriteHtmlReportFile(const std::string& replies, const std::string& htmlFile, std::string* error,
                         const std::string& replaySet) {
  return WriteReportFiles(replies, htmlFile, "", error, replaySet);
}

bool WriteReportFiles(const std::string& replies, const std::string& htmlFile, const std::string& jsonFile,
                      std::string* error, const std::string& replaySet) {
  ReportModel model;
  if (!ReadReplies(replies, &model, error) || !tsmverify::AddCheckToReport(replaySet, &model, error))
    return false;
  return (htmlFile.empty() || WriteFile(model, WriteHtmlReport, htmlFile, error)) &&
         (jsonFile.empty() || WriteFile(model, WriteJsonReport, jsonFile, error));
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
