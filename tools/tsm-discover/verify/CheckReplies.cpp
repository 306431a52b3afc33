#include "tools/tsm-discover/verify/CheckReplies.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

#include "host/HandOver.h"
#include "host/Messages.h"
#include "tools/tsm-discover/report/HandOverStream.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace tsmverify {
namespace {

constexpr char kJobListRoot[] = "<message type=\"FDC::JobList\"";
constexpr char kClientsRoot[] = "<message type=\"App::ClientsList\"";
constexpr char kJobStart[] = "<message type=\"FDC::JobInfo\"";
constexpr char kClientField[] = "name=\"clientName\" kind=\"string\">";
constexpr char kDocumentEnd[] = "</message>\n";

// A read-only mapping of a whole file; empty when it cannot be mapped.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        data_ = static_cast<const char*>(p);
        size_ = static_cast<size_t>(st.st_size);
        ::madvise(p, size_, MADV_SEQUENTIAL);
      }
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

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

bool ReadClientNames(const std::string& path, tsmreport::ReportModel* model) {
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
  if (RootIs(file.data(), file.size(), kClientsRoot)) return ReadClientNames(path, model);
  std::unique_ptr<CNMessageBase> m = zyhost::ReadMessageXml(path);
  if (m == nullptr) return false;
  tsmreport::AddReply(*m, false, model);
  return true;
}

}  // namespace

bool CountJobsByClient(const char* data, size_t size, std::map<std::string, long>* jobs) {
  const char* end = data + size;
  const size_t tail = sizeof(kDocumentEnd) - 1;
  if (!RootIs(data, size, kJobListRoot) || size < tail || std::memcmp(end - tail, kDocumentEnd, tail) != 0)
    return false;
  const char* last = nullptr;
  std::string lastName;
  long* lastCount = nullptr;
  for (const char* p = data; (p = Find(p, end, kJobStart, sizeof(kJobStart) - 1)) != nullptr;) {
    const char* field = Find(p, end, kClientField, sizeof(kClientField) - 1);
    if (field == nullptr) return false;
    const char* value = field + sizeof(kClientField) - 1;
    const char* close = static_cast<const char*>(std::memchr(value, '<', static_cast<size_t>(end - value)));
    // The client name must belong to this job: no other job starts before it.
    if (close == nullptr || (last = Find(p + 1, field, kJobStart, sizeof(kJobStart) - 1)) != nullptr)
      return false;
    if (lastCount == nullptr ||
        lastName.compare(0, std::string::npos, value, static_cast<size_t>(close - value)) != 0) {
      lastName.assign(value, close);
      lastCount = &(*jobs)[Unescape(value, close)];
    }
    ++*lastCount;
    p = close;
  }
  return true;
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
