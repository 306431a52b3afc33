#include "tools/tsm-discover/report/ReplyReader.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "host/HandOver.h"
#include "host/Messages.h"
#include "tools/tsm-discover/report/MessageRead.h"

namespace tsmreport {
namespace {

// "NNNNNN-" then the message type and ".xml"; the number gives the order.
bool IsReplyFile(const std::string& n) {
  return n.size() > 11 && n[6] == '-' && n.compare(n.size() - 4, 4, ".xml") == 0 &&
         std::all_of(n.begin(), n.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool ReplyFileNames(const std::string& dir, std::vector<std::string>* names) {
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  while (const dirent* e = ::readdir(d)) {
    if (IsReplyFile(e->d_name)) names->push_back(e->d_name);
  }
  ::closedir(d);
  std::sort(names->begin(), names->end());
  return true;
}

namespace {

void AddSentMessage(const CNMessageBase& m, ReportModel* model) {
  if (m.group() != FDC::DiscoveryError::kGroup || m.classId() != FDC::DiscoveryError::kClass) return;
  using E = FDC::DiscoveryError;
  model->hostName = Text(&m, E::hostName);
  if (Int(&m, E::errorCode) != 0)
    model->errors.push_back(Text(&m, E::errorText) + " (code " + std::to_string(Int(&m, E::errorCode)) + ")");
}

template <class T>
bool Is(const CNMessageBase& m) {
  return m.group() == T::kGroup && m.classId() == T::kClass;
}

// A job list is streamed; any other reply (small) is read whole. The
// content decides, not the file name.
bool ReadReply(const std::string& path, bool sentToHost, ReportModel* model) {
  if (!sentToHost) {
    const StreamResult jobs = ReadJobFile(path, model);
    if (jobs != StreamResult::kOtherMessage) return jobs == StreamResult::kRead;
  }
  std::unique_ptr<CNMessageBase> m = zyhost::ReadMessageXml(path);
  if (m == nullptr) return false;
  AddReply(*m, sentToHost, model);
  return true;
}

}  // namespace

void AddReply(const CNMessageBase& m, bool sentToHost, ReportModel* model) {
  if (sentToHost) return AddSentMessage(m, model);
  if (Is<App::ClientsList>(m)) return AddClients(m, model);
  if (Is<TMMsg::CreateTaskReq>(m)) return AddTask(m, model);
  if (Is<FDC::ForeignLibraries>(m)) return AddLibraries(m, model);
  if (Is<FDC::ForeignMedias>(m)) return AddMedia(m, model);
  if (Is<FDC::StoragePolicyList>(m)) return AddPolicies(m, model);
}

bool ReadReplies(const std::string& dir, ReportModel* model, std::string* error) {
  std::vector<std::string> names;
  if (!ReplyFileNames(dir, &names)) {
    *error = "cannot read the reply folder " + dir;
    return false;
  }
  if (names.empty()) {
    *error = "no reply files (NNNNNN-*.xml) in " + dir;
    return false;
  }
  model->folder = dir;
  for (const std::string& name : names) {
    const std::string path = dir + "/" + name;
    if (!ReadReply(path, name.find("-sent-") != std::string::npos, model)) {
      ++model->unreadable;
      continue;
    }
    struct stat st;
    if (model->discoveredAt == 0 && ::stat(path.c_str(), &st) == 0) model->discoveredAt = st.st_mtime;
  }
  return true;
}

}  // namespace tsmreport
