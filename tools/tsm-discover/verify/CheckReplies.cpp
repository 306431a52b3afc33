#include "tools/tsm-discover/verify/CheckReplies.h"

#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <vector>

#include "host/HandOver.h"
#include "host/Messages.h"
#include "tools/common/MappedFile.h"
#include "tools/tsm-discover/report/HandOverStream.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace tsmverify {
namespace {

using toolcommon::MappedFile;

constexpr char kJobListRoot[] = "<message type=\"FDC::JobList\"";
constexpr char kClientsRoot[] = "<message type=\"App::ClientsList\"";
constexpr char kJobStart[] = "<message type=\"FDC::JobInfo\"";
constexpr char kClientStart[] = "<message type=\"App::ClientInfo\"";
constexpr char kClientEntity[] = "<message type=\"ZyEntities::ClientEntity\"";
constexpr char kClientField[] = "name=\"clientName\" kind=\"string\">";
constexpr char kDocumentEnd[] = "</message>\n";

// XML text to plain text: the five named entities and numeric ones.
std::string Unescape(const char* p, const char* end) {
  std::string out;
  while (p < end) {
    if (*p != '&') {
      out += *p++;
      continue;
    }
    const char* semi = static_cast<const char*>(std::memchr(p, ';', static_cast<size_t>(end - p)));
    if (semi == nullptr) return out + std::string(p, end);
    const std::string entity(p + 1, semi);
    static const std::pair<const char*, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    bool known = false;
    for (const auto& [name, c] : kNamed) {
      if (entity == name) {
        out += c;
        known = true;
      }
    }
    if (!known && entity.size() > 1 && entity[0] == '#') {
      const long code = entity[1] == 'x' ? std::strtol(entity.c_str() + 2, nullptr, 16)
                                         : std::strtol(entity.c_str() + 1, nullptr, 10);
      out += static_cast<char>(code);  // the writer escapes single bytes only
      known = true;
    }
    if (!known) out += std::string(p, semi + 1);
    p = semi + 1;
  }
  return out;
}

const char* Find(const char* from, const char* end, const char* what, size_t length) {
  return static_cast<const char*>(memmem(from, static_cast<size_t>(end - from), what, length));
}

// "App::ClientsList", "FDC::JobList", ... : the root element of the file's first bytes.
bool RootIs(const char* data, size_t size, const char* root) {
  const size_t n = std::strlen(root);
  const char* end = data + std::min<size_t>(size, 256);
  return Find(data, end, root, n) != nullptr;
}

// For each `item` element of a whole file of root `root`: the text of the
// first clientName field after it (after the element `inner` in it, when
// given) and before the next item, handed to onName(begin, end); walked(p)
// is told how far the scan has come. False when the file does not end as
// written or an item has no such field.
template <class Fn, class Walked>
bool ScanItemNames(const char* data, size_t size, const char* root, const char* item, const char* inner,
                   Fn onName, Walked walked) {
  const char* end = data + size;
  const size_t tail = sizeof(kDocumentEnd) - 1;
  if (!RootIs(data, size, root) || size < tail || std::memcmp(end - tail, kDocumentEnd, tail) != 0)
    return false;
  const size_t itemLength = std::strlen(item);
  for (const char* p = data; (p = Find(p, end, item, itemLength)) != nullptr;) {
    const char* from = inner == nullptr ? p : Find(p, end, inner, std::strlen(inner));
    const char* field = from == nullptr ? nullptr : Find(from, end, kClientField, sizeof(kClientField) - 1);
    if (field == nullptr) return false;
    const char* value = field + sizeof(kClientField) - 1;
    const char* close = static_cast<const char*>(std::memchr(value, '<', static_cast<size_t>(end - value)));
    // The field must belong to this item: no other item starts before it.
    if (close == nullptr || Find(p + 1, field, item, itemLength) != nullptr) return false;
    onName(value, close);
    walked(close);
    p = close;
  }
  return true;
}

// Client names of the client list, streamed by the report's reader.
class ClientNames : public tsmreport::HandOverSink {
 public:
  enum Role { kList = tsmreport::kNotWanted + 1, kInfo, kClient, kEntity, kName };
  std::vector<std::string> names;
  void Text(int role, const std::string& text) override {
    if (role == kName) names.push_back(text);
  }
  void Number(int, long long) override {}
  void MessageEnd(int) override {}
};

bool StreamClientNames(const std::string& path, tsmreport::ReportModel* model) {
  static const std::vector<tsmreport::WantedStep> steps = {
      {ClientNames::kList, App::ClientsList::clients, ClientNames::kInfo},
      {ClientNames::kInfo, App::ClientInfo::client, ClientNames::kClient},
      {ClientNames::kClient, App::Client::clientEntity, ClientNames::kEntity},
      {ClientNames::kEntity, ZyEntities::ClientEntity::clientName, ClientNames::kName}};
  ClientNames sink;
  if (tsmreport::StreamHandOverFile(path, App::ClientsList::kGroup, App::ClientsList::kClass,
                                    ClientNames::kList, steps, &sink) != tsmreport::StreamResult::kRead)
    return false;
  for (std::string& n : sink.names) model->clients.push_back({std::move(n), "", "", "", "", "", "", {}});
  return true;
}

// The client list's names: each ClientInfo's ClientEntity, scanned; the
// exact streaming reader when the scan cannot pair them.
bool ReadClientNames(const MappedFile& file, const std::string& path, tsmreport::ReportModel* model) {
  std::vector<std::string> names;
  if (!ScanItemNames(
          file.data(), file.size(), kClientsRoot, kClientStart, kClientEntity,
          [&](const char* value, const char* close) { names.push_back(Unescape(value, close)); },
          [&](const char* walked) { file.ForgetBefore(static_cast<size_t>(walked - file.data())); }))
    return StreamClientNames(path, model);
  for (std::string& n : names) model->clients.push_back({std::move(n), "", "", "", "", "", "", {}});
  return true;
}

bool AddJobs(const MappedFile& file, const std::string& path, tsmreport::ReportModel* model) {
  std::map<std::string, long> jobs;
  if (!CountJobsByClient(file.data(), file.size(), &jobs)) {
    jobs.clear();                    // what the scan counted before it gave up
    tsmreport::ReportModel counted;  // the exact reader, for a file that does not look as written
    if (tsmreport::ReadJobFile(path, &counted) != tsmreport::StreamResult::kRead) return false;
    for (const auto& [client, h] : counted.history) jobs[client] += h.jobs;
  }
  for (const auto& [client, n] : jobs) {
    model->history[client].jobs += n;
    model->jobs += n;
  }
  return true;
}

bool ReadOne(const std::string& path, tsmreport::ReportModel* model) {
  const MappedFile file(path);
  if (file.data() == nullptr) return false;
  if (RootIs(file.data(), file.size(), kJobListRoot)) return AddJobs(file, path, model);
  if (RootIs(file.data(), file.size(), kClientsRoot)) return ReadClientNames(file, path, model);
  std::unique_ptr<CNMessageBase> m = zyhost::ReadMessageXml(path);
  if (m == nullptr) return false;
  tsmreport::AddReply(*m, false, model);
  return true;
}

}  // namespace

bool CountJobsByClient(const char* data, size_t size, std::map<std::string, long>* jobs) {
  std::string lastName;
  long* lastCount = nullptr;
  return ScanItemNames(
      data, size, kJobListRoot, kJobStart, nullptr,
      [&](const char* value, const char* close) {
        // Jobs come in runs of one client: look the name up once a run.
        if (lastCount == nullptr ||
            lastName.compare(0, std::string::npos, value, static_cast<size_t>(close - value)) != 0) {
          lastName.assign(value, close);
          lastCount = &(*jobs)[Unescape(value, close)];
        }
        ++*lastCount;
      },
      [](const char*) {});
}

tsmreport::StreamResult CountJobFile(const std::string& path, tsmreport::ReportModel* model) {
  const MappedFile file(path);
  if (file.data() == nullptr) return tsmreport::StreamResult::kUnreadable;
  if (!RootIs(file.data(), file.size(), kJobListRoot)) return tsmreport::StreamResult::kOtherMessage;
  return AddJobs(file, path, model) ? tsmreport::StreamResult::kRead : tsmreport::StreamResult::kUnreadable;
}

bool ReadRepliesForCheck(const std::string& dir, tsmreport::ReportModel* model, std::string* error) {
  std::vector<std::string> names;
  if (!tsmreport::ReplyFileNames(dir, &names) || names.empty()) {
    *error = "no reply files (NNNNNN-*.xml) in " + dir;
    return false;
  }
  model->folder = dir;
  for (const std::string& name : names) {
    if (name.find("-sent-") != std::string::npos) continue;
    const std::string path = dir + "/" + name;
    if (!ReadOne(path, model)) {
      ++model->unreadable;
      continue;
    }
    struct stat st;
    if (model->discoveredAt == 0 && ::stat(path.c_str(), &st) == 0) model->discoveredAt = st.st_mtime;
  }
  return true;
}

}  // namespace tsmverify
