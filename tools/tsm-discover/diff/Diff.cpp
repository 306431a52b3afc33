#include "tools/tsm-discover/diff/Diff.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <thread>

#include "host/HandOver.h"
#include "tools/tsm-discover/report/ReplyReader.h"
#include "tools/tsm-discover/verify/CheckReplies.h"

namespace tsmdiff {
namespace {

// One folder's items. Replies are read as the report reads them, except
// the job lists, of which only the jobs per client count here: they are
// scanned (tsmverify::CountJobFile), a fraction of the exact reader's cost
// on a large site. What the host was sent is not compared.
bool Read(const std::string& dir, std::vector<Item>* items, std::string* error) {
  std::vector<std::string> names;
  if (!tsmreport::ReplyFileNames(dir, &names)) {
    *error = "cannot read the reply folder " + dir;
    return false;
  }
  if (names.empty()) {
    *error = "no reply files (NNNNNN-*.xml) in " + dir;
    return false;
  }
  tsmreport::ReportModel model;
  long unreadable = 0;
  for (const std::string& name : names) {
    if (name.find("-sent-") != std::string::npos) continue;
    const std::string path = dir + "/" + name;
    tsmreport::StreamResult read = tsmverify::CountJobFile(path, &model);
    if (read == tsmreport::StreamResult::kOtherMessage) {
      const std::unique_ptr<CNMessageBase> m = zyhost::ReadMessageXml(path);
      if (m != nullptr) tsmreport::AddReply(*m, false, &model);
      read = m != nullptr ? tsmreport::StreamResult::kRead : tsmreport::StreamResult::kUnreadable;
    }
    if (read == tsmreport::StreamResult::kUnreadable) ++unreadable;
  }
  if (unreadable > 0) {
    *error = std::to_string(unreadable) + " reply file(s) in " + dir +
             " cannot be read; a comparison without them would hide what they hold";
    return false;
  }
  *items = ItemsOf(model);
  return true;
}

template <class Write>
bool WriteFile(const std::string& path, Write write) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    write(file);
    file.flush();
    if (!file) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace

int RunDiff(const std::string& before, const std::string& after, const DiffOutput& output, std::ostream& out,
            std::ostream& err) {
  // The two folders are read at once: each is a reading of its own
  // (the stream reader runs on several threads), and job lists make a
  // large site's folder cost seconds.
  std::vector<Item> old, now;
  std::string oldError, newError;
  bool oldRead = false;
  std::thread reader([&] { oldRead = Read(before, &old, &oldError); });
  const bool newRead = Read(after, &now, &newError);
  reader.join();
  if (!oldRead || !newRead) {
    err << "tsm-discover diff: " << (oldRead ? newError : oldError) << "\n";
    return 2;
  }
  const std::vector<Change> changes = Compare(old, now);
  bool written = true;
  if (!output.jsonFile.empty()) {
    written = WriteFile(output.jsonFile, [&](std::ostream& f) { WriteDiffJson(before, after, changes, f); });
  } else if (!output.htmlFile.empty()) {
    written = WriteFile(output.htmlFile, [&](std::ostream& f) { WriteDiffHtml(before, after, changes, f); });
  } else {
    WriteDiffText(changes, out);
  }
  if (!written) {
    err << "tsm-discover diff: cannot write " << output.jsonFile << output.htmlFile << "\n";
    return 2;
  }
  return changes.empty() ? 0 : 1;
}

}  // namespace tsmdiff
