#include "tools/tsm-discover/report/MakeReport.h"

#include <sstream>

#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/report/JsonReport.h"
#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/report/ReportWriters.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmreport {
namespace {

using Writer = void (*)(const ReportModel&, std::ostream&);

// A temporary of a fixed name would be written through a planted link:
// ReplaceFile makes its own with mkstemp. The text is small beside the
// replies it is made from.
bool WriteFile(const ReportModel& model, Writer write, const std::string& file, std::string* error) {
  std::ostringstream text;
  write(model, text);
  return tsmdiscover::ReplaceFile(file, text.str(), error);
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
