#include "tools/tsm-discover/HandOverCounts.h"

#include "host/CNMessageBase.h"
#include "host/HandOver.h"
#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

long ListSize(const CNMessageBase& message, int index) {
  const CNMessageBase::Field* field = message.findField(index);
  return (field != nullptr && field->list != nullptr) ? static_cast<long>(field->list->size()) : 0;
}

// Size of the list (1, 1) inside the object field `index`.
long NestedListSize(const CNMessageBase& message, int index) {
  const CNMessageBase::Field* field = message.findField(index);
  return (field != nullptr && field->object != nullptr) ? ListSize(*field->object, 1) : 0;
}

}  // namespace

void HandOverCounts::Add(const CNMessageBase& message, bool sentMessage) {
  ++files;
  if (sentMessage) {
    ++sent;
    return;
  }
  int g = message.group();
  int c = message.classId();
  if (g == 30 && c == 164) clients += ListSize(message, 1);
  if (g == 12 && c == 175) ++tasks;
  if (g == 32 && c == 47) libraries += NestedListSize(message, 4);
  if (g == 32 && c == 9) media += NestedListSize(message, 4);
  if (g == 32 && c == 52) storagePolicies += ListSize(message, 4);
  if (g == 32 && c == 11) jobs += ListSize(message, 2);
}

void HandOverCounts::Add(const HandOverCounts& o) {
  clients += o.clients;
  tasks += o.tasks;
  libraries += o.libraries;
  media += o.media;
  storagePolicies += o.storagePolicies;
  jobs += o.jobs;
  sent += o.sent;
  files += o.files;
  unreadable += o.unreadable;
}

std::string HandOverCounts::Describe() const {
  std::string text;
  auto add = [&text](const char* what, long n) {
    if (n == 0) return;
    if (!text.empty()) text += ", ";
    text += what + std::string(" ") + std::to_string(n);
  };
  add("clients", clients);
  add("tasks", tasks);
  add("libraries", libraries);
  add("media", media);
  add("storage policies", storagePolicies);
  add("jobs", jobs);
  add("messages sent", sent);
  add("unreadable files", unreadable);
  return text.empty() ? "nothing" : text;
}

HandOverCounts CountHandOvers(const std::string& dir, const std::vector<std::string>& names) {
  HandOverCounts counts;
  for (const std::string& name : names) {
    std::unique_ptr<CNMessageBase> message = zyhost::ReadMessageXml(WithSlash(dir) + name);
    if (message == nullptr) {
      ++counts.files;
      ++counts.unreadable;
      continue;
    }
    counts.Add(*message, name.find("-sent-") != std::string::npos);
  }
  return counts;
}

}  // namespace tsmdiscover
