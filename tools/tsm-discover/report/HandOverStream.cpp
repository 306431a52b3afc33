#include "tools/tsm-discover/report/HandOverStream.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "host/HandOver.h"
#include "host/MessageSchema.h"

namespace tsmreport {
namespace {

// The number rules of the hand-over reader (strtoll over the whole text,
// in range), with plain digits, as the writer writes them, done directly.
bool ParseInt64(const char* begin, const char* end, long long* value) {
  const bool negative = begin != end && *begin == '-';
  const char* digits = begin + (negative ? 1 : 0);
  if (digits != end && end - digits <= 18) {
    long long v = 0;
    const char* p = digits;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
    if (p == end) {
      *value = negative ? -v : v;
      return true;
    }
  }
  if (begin == end) return false;
  const std::string text(begin, end);
  errno = 0;
  char* stop = nullptr;
  *value = std::strtoll(text.c_str(), &stop, 10);
  return errno == 0 && stop == text.c_str() + text.size();
}

bool ParseInt64(const std::string& text, long long* value) {
  return ParseInt64(text.data(), text.data() + text.size(), value);
}

bool ParseInt(const char* begin, const char* end, int* value) {
  long long v = 0;
  if (!ParseInt64(begin, end, &v) || v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseULong(const std::string& text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;  // strtoul takes "-1"
  errno = 0;
  char* end = nullptr;
  std::strtoul(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

bool KindNamed(const char* name, size_t length, FieldKind* kind) {
  for (FieldKind k : {FieldKind::kString, FieldKind::kInt64, FieldKind::kObject, FieldKind::kList,
                      FieldKind::kIntList, FieldKind::kULongList}) {
    const char* known = FieldKindName(k);
    if (std::strlen(known) == length && std::memcmp(known, name, length) == 0) {
      *kind = k;
      return true;
    }
  }
  return false;
}

// The first character tells most names apart without a call.
bool IsName(const xmlChar* name, const char* expected) {
  return name[0] == expected[0] && std::strcmp(reinterpret_cast<const char*>(name), expected) == 0;
}

bool AllWhiteSpace(const xmlChar* text, int length) {
  for (int i = 0; i < length; ++i) {
    const xmlChar c = text[i];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return true;
}

// The SAX2 attribute array: five pointers per attribute (local name,
// prefix, URI, value, end of value).
class Attributes {
 public:
  Attributes(int count, const xmlChar** data) : count_(count), data_(data) {}
  // The value of attribute `name` as [*begin, *end); false when absent.
  bool Get(const char* name, const char** begin, const char** end) const {
    for (int i = 0; i < count_; ++i) {
      const xmlChar** a = data_ + 5 * i;
      if (IsName(a[0], name)) {
        *begin = reinterpret_cast<const char*>(a[3]);
        *end = reinterpret_cast<const char*>(a[4]);
        return true;
      }
    }
    return false;
  }

 private:
  int count_;
  const xmlChar** data_;
};

enum class Element { kMessage, kField, kItem };

struct Open {
  Element element;
  int role;            // message: its role; field: what it leads to
  FieldKind kind;      // field and item: the field's kind
  int children = 0;    // field: messages or items in it
  size_t indexes = 0;  // message: where its field indexes start in seen_
};

class StreamParser {
 public:
  StreamParser(int group, int cls, int rootRole, const std::vector<WantedStep>& steps, HandOverSink* sink)
      : group_(group), cls_(cls), rootRole_(rootRole), steps_(steps), sink_(sink) {}

  StreamResult Read(int fd);

 private:
  static StreamParser* Self(void* ctx) { return static_cast<StreamParser*>(ctx); }

  static void OnStart(void* ctx, const xmlChar* name, const xmlChar*, const xmlChar*, int, const xmlChar**,
                      int attributeCount, int, const xmlChar** attributes) {
    Self(ctx)->Start(name, Attributes(attributeCount, attributes));
  }
  static void OnEnd(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) { Self(ctx)->End(); }
  static void OnText(void* ctx, const xmlChar* text, int length) { Self(ctx)->Characters(text, length); }
  // CDATA counts as text only where text is expected.
  static void OnCData(void* ctx, const xmlChar* text, int length) {
    if (!Self(ctx)->InText()) return Self(ctx)->Fail();
    Self(ctx)->Characters(text, length);
  }
  // Skipped between elements, refused inside a value (as the reader does).
  static void OnInstruction(void* ctx, const xmlChar*, const xmlChar*) {
    if (Self(ctx)->InText()) Self(ctx)->Fail();
  }
  static void OnDocumentType(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) { Self(ctx)->Fail(); }
  static void OnError(void*, xmlErrorPtr) {}  // a bad file is simply unreadable

  void Fail() {
    failed_ = true;
    xmlStopParser(ctxt_);
  }

  bool InText() const {
    if (open_.empty()) return false;
    const Open& top = open_.back();
    return top.element == Element::kItem ||
           (top.element == Element::kField &&
            (top.kind == FieldKind::kString || top.kind == FieldKind::kInt64));
  }

  void Start(const xmlChar* name, const Attributes& attributes) {
    if (failed_ || other_) return;
    bool ok = false;
    if (IsName(name, "message"))
      ok = StartMessage(attributes);
    else if (IsName(name, "field"))
      ok = StartField(attributes);
    else if (IsName(name, "item"))
      ok = StartItem();
    if (!ok && !other_) Fail();
  }

  static bool IntAttribute(const Attributes& attributes, const char* name, int* value) {
    const char* begin = nullptr;
    const char* end = nullptr;
    return attributes.Get(name, &begin, &end) && ParseInt(begin, end, value);
  }

  bool StartMessage(const Attributes& attributes) {
    int group = 0;
    int cls = 0;
    if (!IntAttribute(attributes, "group", &group) || !IntAttribute(attributes, "class", &cls)) return false;
    int role = rootRole_;
    if (open_.empty()) {
      if (done_) return false;
      if (group != group_ || cls != cls_) {
        other_ = true;
        xmlStopParser(ctxt_);
        return false;
      }
    } else {
      Open& field = open_.back();
      if (field.element != Element::kField) return false;
      if (field.kind != FieldKind::kList && (field.kind != FieldKind::kObject || field.children > 0))
        return false;
      ++field.children;
      role = field.role;
    }
    open_.push_back({Element::kMessage, role, FieldKind::kObject, 0, seen_.size()});
    return true;
  }

  bool StartField(const Attributes& attributes) {
    if (open_.empty() || open_.back().element != Element::kMessage) return false;
    int index = 0;
    int id = 0;
    FieldKind kind;
    const char* kindBegin = nullptr;
    const char* kindEnd = nullptr;
    if (!IntAttribute(attributes, "index", &index) || !IntAttribute(attributes, "id", &id) ||
        !attributes.Get("kind", &kindBegin, &kindEnd) ||
        !KindNamed(kindBegin, static_cast<size_t>(kindEnd - kindBegin), &kind))
      return false;
    const Open& message = open_.back();
    for (size_t i = message.indexes; i < seen_.size(); ++i) {
      if (seen_[i] == index) return false;
    }
    seen_.push_back(index);
    open_.push_back({Element::kField, StepFrom(message.role, index, kind), kind});
    text_.clear();
    return true;
  }

  bool StartItem() {
    if (open_.empty() || open_.back().element != Element::kField) return false;
    const FieldKind kind = open_.back().kind;
    if (kind != FieldKind::kIntList && kind != FieldKind::kULongList) return false;
    open_.push_back({Element::kItem, kNotWanted, kind});
    text_.clear();
    return true;
  }

  int StepFrom(int role, int index, FieldKind kind) const {
    if (role == kNotWanted) return kNotWanted;
    for (const WantedStep& step : steps_) {
      if (step.from == role && step.field.index == index && step.field.kind == kind) return step.to;
    }
    return kNotWanted;
  }

  void Characters(const xmlChar* text, int length) {
    if (failed_ || other_) return;
    if (!InText()) {
      if (!AllWhiteSpace(text, length)) Fail();
      return;
    }
    // An unwanted string needs no copy; numbers are checked even unwanted.
    const Open& top = open_.back();
    if (top.kind == FieldKind::kString && top.role == kNotWanted) return;
    text_.append(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
  }

  void End() {
    if (failed_ || other_) return;
    const Open top = open_.back();
    open_.pop_back();
    if (!(top.element == Element::kMessage ? EndMessage(top) : EndValue(top))) Fail();
  }

  bool EndMessage(const Open& message) {
    seen_.resize(message.indexes);
    if (message.role != kNotWanted) sink_->MessageEnd(message.role);
    if (open_.empty()) done_ = true;
    return true;
  }

  bool EndValue(const Open& value) {
    long long number = 0;
    switch (value.kind) {
      case FieldKind::kString:
        if (value.role != kNotWanted) sink_->Text(value.role, text_);
        return true;
      case FieldKind::kInt64:
        if (!ParseInt64(text_, &number)) return false;
        if (value.role != kNotWanted) sink_->Number(value.role, number);
        return true;
      case FieldKind::kObject:
        return value.children == 1;
      case FieldKind::kList:
        return true;
      case FieldKind::kIntList:
      case FieldKind::kULongList: {
        int item = 0;
        if (value.element == Element::kField) return true;
        return value.kind == FieldKind::kIntList ? ParseInt(text_.data(), text_.data() + text_.size(), &item)
                                                 : ParseULong(text_);
      }
    }
    return false;
  }

  xmlSAXHandler Handler() const {
    xmlSAXHandler h;
    std::memset(&h, 0, sizeof(h));
    h.initialized = XML_SAX2_MAGIC;
    h.startElementNs = OnStart;
    h.endElementNs = OnEnd;
    h.characters = OnText;
    h.ignorableWhitespace = OnText;
    h.cdataBlock = OnCData;
    h.processingInstruction = OnInstruction;
    h.internalSubset = OnDocumentType;
    h.serror = OnError;
    return h;
  }

  const int group_, cls_, rootRole_;
  const std::vector<WantedStep>& steps_;
  HandOverSink* sink_;
  xmlParserCtxtPtr ctxt_ = nullptr;
  std::vector<Open> open_;
  std::vector<int> seen_;  // field indexes of the open messages, outermost first
  std::string text_;       // the open value's text
  bool failed_ = false;
  bool other_ = false;
  bool done_ = false;  // the root message has ended
};

struct ContextDeleter {
  void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
};

StreamResult StreamParser::Read(int fd) {
  xmlSAXHandler handler = Handler();
  std::unique_ptr<xmlParserCtxt, ContextDeleter> ctxt(
      xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr));
  if (!ctxt) return StreamResult::kUnreadable;
  ctxt_ = ctxt.get();
  // No network, no entity expansion, nothing on stderr.
  xmlCtxtUseOptions(ctxt_, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  std::vector<char> chunk(256 * 1024);
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return StreamResult::kUnreadable;
    xmlParseChunk(ctxt_, chunk.data(), static_cast<int>(n), n == 0 ? 1 : 0);
    if (other_) return StreamResult::kOtherMessage;
    if (failed_ || !ctxt_->wellFormed) return StreamResult::kUnreadable;
    if (n == 0) return done_ ? StreamResult::kRead : StreamResult::kUnreadable;
  }
}

}  // namespace

StreamResult StreamHandOverFile(const std::string& path, int group, int cls, int rootRole,
                                const std::vector<WantedStep>& steps, HandOverSink* sink) {
  static std::once_flag init;
  std::call_once(init, [] { xmlInitParser(); });
  zyhost::RouteXmlMessagesToLog();
  // Opened here rather than by libxml2, so the path is never taken for a
  // URI or a compressed file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return StreamResult::kUnreadable;
  const StreamResult result = StreamParser(group, cls, rootRole, steps, sink).Read(fd);
  ::close(fd);
  return result;
}

}  // namespace tsmreport
