#include "tools/tsm-discover/report/MakeReport.h"

#include <sstream>

#include "tools/tsm-discover/FileUtil.h"
#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/report/ReportWriters.h"
#include "tools/tsm-discover/verify/Verify.h"

namespace tsmreport {

bool WriteHtmlReportFile(const std::string& replies, const std::string& htmlFile, std::string* error,
                         const std::string& replaySet) {
  ReportModel model;
  if (!ReadReplies(replies, &model, error) || !tsmverify::AddCheckToReport(replaySet, &model, error))
    return false;
  // The page is small beside the replies; a temporary of a fixed name
  // would be written through a planted link.
  std::ostringstream page;
  WriteHtmlReport(model, page);
  return tsmdiscover::ReplaceFile(htmlFile, page.str(), error);
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
