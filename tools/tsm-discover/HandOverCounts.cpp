#include "tools/tsm-discover/HandOverCounts.h"

#include <fcntl.h>
#include <libxml/xmlreader.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

// What one reply counts as: `items` per element of the list reached from
// the root through the field indexes of `path` (an object field leads
// into its message), or 1 per file when the path is empty.
struct CountRule {
  int group;
  int classId;
  std::vector<int> path;
  long HandOverCounts::*counter;
};

const CountRule kCountRules[] = {
    {30, 164, {1}, &HandOverCounts::clients},        {12, 175, {}, &HandOverCounts::tasks},
    {32, 47, {4, 1}, &HandOverCounts::libraries},    {32, 9, {4, 1}, &HandOverCounts::media},
    {32, 52, {4}, &HandOverCounts::storagePolicies}, {32, 11, {2}, &HandOverCounts::jobs},
};

const CountRule* RuleFor(int group, int classId) {
  for (const CountRule& rule : kCountRules) {
    if (rule.group == group && rule.classId == classId) return &rule;
  }
  return nullptr;
}

int IntAttribute(xmlTextReaderPtr reader, const char* name) {
  xmlChar* value = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
  int number = value != nullptr ? std::atoi(reinterpret_cast<const char*>(value)) : -1;
  xmlFree(value);
  return number;
}

bool IsElement(xmlTextReaderPtr reader, const char* name) {
  return xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT &&
         xmlStrEqual(xmlTextReaderConstLocalName(reader), reinterpret_cast<const xmlChar*>(name));
}

using Reader = std::unique_ptr<xmlTextReader, decltype(&xmlFreeTextReader)>;

// Walks one hand-over file without building its messages. Path step k is
// a <field> at depth 2k+1; the counted <message> elements sit one deeper
// than the last step. False when the file is not well-formed XML.
bool StreamCount(const std::string& path, bool sentMessage, HandOverCounts* counts) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  Reader reader(
      xmlReaderForFd(fd, nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
      &xmlFreeTextReader);
  if (reader == nullptr) {
    ::close(fd);
    return false;
  }
  xmlTextReaderPtr r = reader.get();
  const CountRule* rule = nullptr;
  size_t matched = 0;  // steps of the path the current element lies inside
  long found = 0;
  int rc;
  while ((rc = xmlTextReaderRead(r)) == 1) {
    if (xmlTextReaderNodeType(r) != XML_READER_TYPE_ELEMENT) continue;
    size_t depth = static_cast<size_t>(xmlTextReaderDepth(r));
    if (depth == 0) {
      if (!IsElement(r, "message")) break;
      rule = sentMessage ? nullptr : RuleFor(IntAttribute(r, "group"), IntAttribute(r, "class"));
      if (rule == nullptr || rule->path.empty()) found = rule != nullptr ? 1 : 0;
      continue;
    }
    if (rule == nullptr || rule->path.empty()) continue;
    matched = std::min(matched, depth / 2);
    if (depth % 2 == 1 && matched == depth / 2 && matched < rule->path.size() && IsElement(r, "field") &&
        IntAttribute(r, "index") == rule->path[matched]) {
      ++matched;
    } else if (depth == 2 * rule->path.size() && matched == rule->path.size() && IsElement(r, "message")) {
      ++found;
    }
  }
  ::close(fd);
  if (rc != 0) return false;
  ++counts->files;
  if (sentMessage) ++counts->sent;
  if (rule != nullptr) counts->*(rule->counter) += found;
  return true;
}

}  // namespace

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
    if (!StreamCount(WithSlash(dir) + name, name.find("-sent-") != std::string::npos, &counts)) {
      ++counts.files;
      ++counts.unreadable;
    }
  }
  return counts;
}

}  // namespace tsmdiscover
