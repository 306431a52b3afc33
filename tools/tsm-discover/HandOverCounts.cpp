#include "tools/tsm-discover/HandOverCounts.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/HandOver.h"
#include "tools/common/MappedFile.h"
#include "tools/tsm-discover/FileUtil.h"

namespace tsmdiscover {
namespace {

using toolcommon::MappedFile;

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

// One start tag, "<name attr="v" ...>" without the brackets.
struct Tag {
  std::string_view name;
  std::string_view rest;
  bool selfClosing = false;

  int IntAttribute(std::string_view attr) const {
    for (size_t at = rest.find(attr); at != std::string_view::npos; at = rest.find(attr, at + 1)) {
      size_t eq = at + attr.size();
      bool wordStart = at > 0 && IsBlank(rest[at - 1]);
      if (!wordStart || eq + 1 >= rest.size() || rest[eq] != '=' ||
          (rest[eq + 1] != '"' && rest[eq + 1] != '\'')) {
        continue;
      }
      return std::atoi(std::string(rest.substr(eq + 2, 12)).c_str());
    }
    return -1;
  }
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
};

// Walks the markup of a hand-over file without building its messages:
// the files are hundreds of megabytes for a large site, and only the
// elements matter. Text needs no look: the writer escapes every '<' in
// it. False when the elements do not nest into one root (a file cut
// short, or not XML at all).
class MarkupWalk {
 public:
  explicit MarkupWalk(std::string_view text) : text_(text) {}

  // Calls onStart(tag, depth) for each start tag, and passed(offset)
  // every few megabytes with the offset walked so far; false on bad
  // nesting.
  template <typename OnStart, typename Passed>
  bool Run(OnStart onStart, Passed passed) {
    constexpr size_t kStride = 8 << 20;
    bool rootSeen = false;
    size_t pos = 0;
    size_t reported = 0;
    while (true) {
      if (pos - reported >= kStride) passed(reported = pos);
      size_t lt = text_.find('<', pos);
      std::string_view between =
          text_.substr(pos, lt == std::string_view::npos ? std::string_view::npos : lt - pos);
      if (open_.empty() && !IsBlankText(between)) return false;
      if (lt == std::string_view::npos) break;
      if (!Markup(lt, &pos, &rootSeen, onStart)) return false;
    }
    return rootSeen && open_.empty();
  }

 private:
  template <typename OnStart>
  bool Markup(size_t lt, size_t* pos, bool* rootSeen, OnStart& onStart) {
    const char next = lt + 1 < text_.size() ? text_[lt + 1] : '\0';
    if (next == '?' || next == '!') {
      std::string_view at = text_.substr(lt);
      if (next == '?') return Skip(lt, "?>", pos);
      if (StartsWith(at, "<!--")) return Skip(lt, "-->", pos);
      return StartsWith(at, "<![CDATA[") && !open_.empty() && Skip(lt, "]]>", pos);
    }
    size_t gt = TagEnd(lt + 1);
    if (gt == std::string_view::npos) return false;
    std::string_view inner = text_.substr(lt + 1, gt - lt - 1);
    *pos = gt + 1;
    if (next == '/') {
      std::string_view name = Trimmed(inner.substr(1));
      if (open_.empty() || open_.back() != name) return false;
      open_.pop_back();
      return true;
    }
    Tag tag = Parse(inner);
    if (tag.name.empty() || (open_.empty() && *rootSeen)) return false;
    *rootSeen = true;
    onStart(tag, open_.size());
    if (!tag.selfClosing) open_.push_back(tag.name);
    return true;
  }

  // The '>' closing the tag that starts at `from`. Every writer of these
  // files escapes '>' in attribute values, so the first one closes it.
  size_t TagEnd(size_t from) const { return text_.find('>', from); }

  bool Skip(size_t lt, std::string_view end, size_t* pos) const {
    size_t found = text_.find(end, lt + 2);
    if (found == std::string_view::npos) return false;
    *pos = found + end.size();
    return true;
  }

  static Tag Parse(std::string_view inner) {
    Tag tag;
    if (!inner.empty() && inner.back() == '/') {
      tag.selfClosing = true;
      inner.remove_suffix(1);
    }
    size_t end = 0;
    while (end < inner.size() && !Tag::IsBlank(inner[end])) ++end;
    tag.name = inner.substr(0, end);
    tag.rest = inner.substr(end);
    return tag;
  }
  static bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
  }
  static std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && Tag::IsBlank(s.back())) s.remove_suffix(1);
    return s;
  }
  static bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return Tag::IsBlank(c); });
  }

  std::string_view text_;
  std::vector<std::string_view> open_;
};

// Counts one hand-over file. Path step k is a <field> at depth 2k+1; the
// counted <message> elements sit one deeper than the last step. False
// when the file cannot be read or its elements do not nest.
bool StreamCount(const std::string& path, bool sentMessage, HandOverCounts* counts) {
  MappedFile file(path);
  const CountRule* rule = nullptr;
  size_t matched = 0;  // steps of the path the current element lies inside
  long found = 0;
  bool badRoot = false;
  bool nested = MarkupWalk(file.text())
                    .Run(
                        [&](const Tag& tag, size_t depth) {
                          if (depth == 0) {
                            badRoot = tag.name != "message";
                            rule = sentMessage
                                       ? nullptr
                                       : RuleFor(tag.IntAttribute("group"), tag.IntAttribute("class"));
                            if (rule == nullptr || rule->path.empty()) found = rule != nullptr ? 1 : 0;
                            return;
                          }
                          if (rule == nullptr || rule->path.empty()) return;
                          matched = std::min(matched, depth / 2);
                          if (depth % 2 == 1 && matched == depth / 2 && matched < rule->path.size() &&
                              tag.name == "field" && tag.IntAttribute("index") == rule->path[matched]) {
                            ++matched;
                          } else if (depth == 2 * rule->path.size() && matched == rule->path.size() &&
                                     tag.name == "message") {
                            ++found;
                          }
                        },
                        [&file](size_t offset) { file.ForgetBefore(offset); });
  if (!nested || badRoot) return false;
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

namespace {

// The counts of one file, an unreadable one included.
HandOverCounts CountFile(const std::string& path) {
  HandOverCounts counts;
  const size_t slash = path.rfind('/');
  const bool sent = path.find("-sent-", slash == std::string::npos ? 0 : slash) != std::string::npos;
  if (!StreamCount(path, sent, &counts)) {
    ++counts.files;
    ++counts.unreadable;
  }
  return counts;
}

}  // namespace

HandOverCounts CountHandOvers(const std::string& dir, const std::vector<std::string>& names) {
  HandOverCounts counts;
  for (const std::string& name : names) counts.Add(CountFile(WithSlash(dir) + name));
  return counts;
}

BackgroundHandOverCounter::BackgroundHandOverCounter() : worker_([this] { Work(); }) {
  zyhost::SetHandOverListener([this](const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(path);
    changed_.notify_all();
  });
}

BackgroundHandOverCounter::~BackgroundHandOverCounter() {
  zyhost::SetHandOverListener(nullptr);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
  }
  worker_.join();
}

void BackgroundHandOverCounter::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    std::string path = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    HandOverCounts counts = CountFile(path);
    lock.lock();
    counted_[path] = counts;
    busy_ = false;
    changed_.notify_all();
  }
}

HandOverCounts BackgroundHandOverCounter::Count(const std::string& dir,
                                                const std::vector<std::string>& names) {
  std::map<std::string, HandOverCounts> counted;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
    counted.swap(counted_);
  }
  HandOverCounts counts;
  for (const std::string& name : names) {
    const std::string path = WithSlash(dir) + name;
    auto it = counted.find(path);
    counts.Add(it != counted.end() ? it->second : CountFile(path));
  }
  return counts;
}

}  // namespace tsmdiscover
