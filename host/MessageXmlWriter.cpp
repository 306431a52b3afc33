// WriteMessageXml: the hand-over file format of HandOver.h.
//
// Text is made safe for XML 1.0 without losing bytes:
//  - a byte that does not start a valid UTF-8 sequence is taken as
//    Latin-1 and written as that code point (0xE9 becomes U+00E9);
//  - the control bytes 0x00-0x1F other than tab, LF and CR, which XML 1.0
//    cannot carry at all, become the Unicode control pictures
//    U+2400-U+241F (0x01 becomes U+2401);
//  - U+FFFE and U+FFFF, valid UTF-8 but no XML characters, are treated as
//    invalid bytes (each byte as Latin-1).
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/AtomicFile.h"
#include "host/HandOver.h"
#include "host/MessageSchema.h"

namespace zyhost {

namespace {

void AppendCodePoint(unsigned cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence of an XML character at text[i], or 0.
size_t ValidSequenceLength(const std::string& text, size_t i) {
  auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = at(i);
  size_t left = text.size() - i;
  if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && IsContinuation(at(i + 1)) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3 || !IsContinuation(at(i + 1)) || !IsContinuation(at(i + 2))) return 0;
    unsigned char second = at(i + 1);
    if (lead == 0xE0 && second < 0xA0) return 0;                        // overlong
    if (lead == 0xED && second > 0x9F) return 0;                        // surrogate
    if (lead == 0xEF && second == 0xBF && at(i + 2) >= 0xBE) return 0;  // U+FFFE, U+FFFF
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4 || !IsContinuation(at(i + 1)) || !IsContinuation(at(i + 2)) || !IsContinuation(at(i + 3))) {
      return 0;
    }
    unsigned char second = at(i + 1);
    if (lead == 0xF0 && second < 0x90) return 0;  // overlong
    if (lead == 0xF4 && second > 0x8F) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

std::string XmlSafeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      bool allowed = b >= 0x20 || b == '\t' || b == '\n' || b == '\r';
      AppendCodePoint(allowed ? b : 0x2400u + b, &out);
      ++i;
      continue;
    }
    size_t n = ValidSequenceLength(text, i);
    if (n == 0) {
      AppendCodePoint(b, &out);  // Latin-1
      ++i;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

// The document is rendered by hand into a buffer that is written to the
// file in large pieces: the format is fixed and simple, and a job list of
// a site is hundreds of megabytes, so a general-purpose writer's per-call
// cost would dominate a discovery. The output is byte for byte what
// libxml2's xmlTextWriter writes with an indent of two spaces (the test
// pins the layout).
class Emitter {
 public:
  static constexpr size_t kChunk = 256 * 1024;

  explicit Emitter(int fd) : fd_(fd), buffer_(new char[kChunk * 2]), capacity_(kChunk * 2) {}

  bool Document(const CNMessageBase& message) {
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    Message(message, 0);
    return Flush();
  }

 private:
  struct TagKey {
    int group, classId, index, id;
    FieldKind kind;
    bool operator==(const TagKey& o) const {
      return group == o.group && classId == o.classId && index == o.index && id == o.id && kind == o.kind;
    }
  };
  struct TagHash {
    size_t operator()(const TagKey& k) const {
      uint64_t h = static_cast<uint32_t>(k.group) * 0x9E3779B97F4A7C15ULL;
      for (int v : {k.classId, k.index, k.id, static_cast<int>(k.kind)}) {
        h = (h ^ static_cast<uint32_t>(v)) * 0x9E3779B97F4A7C15ULL;
      }
      return static_cast<size_t>(h ^ (h >> 32));
    }
  };

  void Put(const char* text, size_t size) {
    if (size > capacity_ - size_) Grow(size);
    std::memcpy(buffer_.get() + size_, text, size);
    size_ += size;
  }
  template <size_t N>
  void Put(const char (&literal)[N]) {
    Put(literal, N - 1);
  }
  void Put(const std::string& text) { Put(text.data(), text.size()); }
  void Put(char c) { Put(&c, 1); }
  void Indent(int depth) {
    static const char kSpaces[] = "                                                                ";
    for (size_t left = static_cast<size_t>(depth) * 2; left > 0;) {
      size_t n = std::min(left, sizeof(kSpaces) - 1);
      Put(kSpaces, n);
      left -= n;
    }
  }
  template <typename T>
  void Number(T value, std::string* out) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out->append(digits, static_cast<size_t>(end - digits));
  }
  template <typename T>
  void Number(T value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Put(digits, static_cast<size_t>(end - digits));
  }

  // "<message type=... class="N"" and "<field ... kind="K">": the same few
  // dozen start tags make up most of a document, so each is rendered once.
  // Names and kinds come from the schema and need no escaping.
  const std::string& MessageTag(const CNMessageBase& message) {
    std::string& tag = Tag(TagKey{message.group(), message.classId(), -1, -1, FieldKind::kObject});
    if (tag.empty()) {
      tag = "<message";
      const char* type = FindMessageTypeName(message.group(), message.classId());
      if (type != nullptr) tag.append(" type=\"").append(type).append("\"");
      tag += " group=\"";
      Number(message.group(), &tag);
      tag += "\" class=\"";
      Number(message.classId(), &tag);
      tag += '"';
    }
    return tag;
  }
  const std::string& FieldTag(const CNMessageBase& message, const CNMessageBase::Field& field) {
    std::string& tag = Tag(TagKey{message.group(), message.classId(), field.index, field.id, field.kind});
    if (tag.empty()) {
      tag = "<field index=\"";
      Number(field.index, &tag);
      tag += "\" id=\"";
      Number(field.id, &tag);
      tag += '"';
      const char* name = FindMessageFieldName(message.group(), message.classId(), field.index, field.id);
      if (name != nullptr) tag.append(" name=\"").append(name).append("\"");
      tag.append(" kind=\"").append(FieldKindName(field.kind)).append("\">");
    }
    return tag;
  }

  // The tag of `key`, empty until rendered. A small direct-mapped table in
  // front of the map answers nearly every look-up.
  std::string& Tag(const TagKey& key) {
    Recent& recent = recent_[TagHash()(key) % kRecent];
    if (recent.tag == nullptr || !(recent.key == key)) {
      recent.key = key;
      recent.tag = &tags_[key];
    }
    return *recent.tag;
  }

  void Message(const CNMessageBase& message, int depth) {
    Indent(depth);
    Put(MessageTag(message));
    if (message.fields().empty()) {
      Put("/>\n");
    } else {
      Put(">\n");
      for (const auto& field : message.fields()) Field(message, field, depth + 1);
      Indent(depth);
      Put("</message>\n");
    }
    if (size_ >= kChunk) Flush();
  }

  void Field(const CNMessageBase& message, const CNMessageBase::Field& field, int depth) {
    Indent(depth);
    Put(FieldTag(message, field));
    // An element holding text closes on the same line; one holding
    // elements closes indented on a line of its own.
    if (FieldContent(field, depth + 1)) Indent(depth);
    Put("</field>\n");
  }

  // True when elements were written.
  bool FieldContent(const CNMessageBase::Field& field, int depth) {
    switch (field.kind) {
      case FieldKind::kString:
        Text(field.text);
        return false;
      case FieldKind::kInt64:
        Number(field.number);
        return false;
      case FieldKind::kObject:
        if (field.object() == nullptr) return false;
        Put('\n');
        Message(*field.object(), depth);
        return true;
      case FieldKind::kList:
        if (field.list() == nullptr || field.list()->empty()) return false;
        Put('\n');
        for (size_t i = 0; i < field.list()->size(); ++i) Message(*field.list()->at(i), depth);
        return true;
      case FieldKind::kIntList:
        return Items(field.ints(), depth);
      case FieldKind::kULongList:
        return Items(field.ulongs(), depth);
    }
    return false;
  }

  template <typename T>
  bool Items(const std::vector<T>* items, int depth) {
    if (items == nullptr || items->empty()) return false;
    Put('\n');
    for (const T& item : *items) {
      Indent(depth);
      Put("<item>");
      Number(item);
      Put("</item>\n");
    }
    return true;
  }

  // Markup characters and CR as character references, the rest as made
  // safe above; text that needs neither is copied as it is.
  void Text(const std::string& text) {
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return IsPlain(static_cast<unsigned char>(c)); })) {
      Put(text);
      return;
    }
    for (char c : XmlSafeText(text)) {
      switch (c) {
        case '<':
          Put("&lt;");
          break;
        case '>':
          Put("&gt;");
          break;
        case '&':
          Put("&amp;");
          break;
        case '"':
          Put("&quot;");
          break;
        case '\r':
          Put("&#13;");
          break;
        default:
          Put(c);
      }
    }
  }
  static bool IsPlain(unsigned char b) {
    return b >= 0x20 && b < 0x80 && b != '<' && b != '>' && b != '&' && b != '"';
  }

  // Room for `more` bytes: the buffer is written out first, and only a
  // single piece larger than the buffer makes it grow.
  void Grow(size_t more) {
    Flush();
    if (more <= capacity_) return;
    capacity_ = more;
    buffer_.reset(new char[capacity_]);
  }
  bool Flush() {
    if (!failed_ && !WriteAll(fd_, buffer_.get(), size_)) failed_ = true;
    size_ = 0;
    return !failed_;
  }

  int fd_;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t size_ = 0;
  std::unordered_map<TagKey, std::string, TagHash> tags_;  // nodes stay put: Recent points into them
  struct Recent {
    TagKey key{};
    std::string* tag = nullptr;
  };
  static constexpr size_t kRecent = 256;
  Recent recent_[kRecent];
};

}  // namespace

bool WriteMessageXml(const CNMessageBase& message, const std::string& path) {
  return WriteFileAtomically(path, 0644, [&message](int fd) { return Emitter(fd).Document(message); });
}

}  // namespace zyhost
