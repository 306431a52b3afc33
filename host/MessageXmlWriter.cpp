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
#include <string>
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
// compares the two).
class Emitter {
 public:
  static constexpr size_t kChunk = 256 * 1024;

  explicit Emitter(int fd) : fd_(fd) { buffer_.reserve(kChunk + 4096); }

  bool Document(const CNMessageBase& message) {
    Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    Message(message, 0);
    return Flush();
  }

 private:
  void Raw(const char* text) { buffer_.append(text); }
  void Raw(const char* text, size_t size) { buffer_.append(text, size); }
  void Indent(int depth) { buffer_.append(static_cast<size_t>(depth) * 2, ' '); }

  template <typename T>
  void Number(T value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer_.append(digits, static_cast<size_t>(end - digits));
  }

  // Names and kinds come from the schema and need no escaping.
  void Attribute(const char* name, const char* value) {
    buffer_.push_back(' ');
    Raw(name);
    Raw("=\"");
    Raw(value);
    buffer_.push_back('"');
  }
  template <typename T>
  void NumberAttribute(const char* name, T value) {
    buffer_.push_back(' ');
    Raw(name);
    Raw("=\"");
    Number(value);
    buffer_.push_back('"');
  }

  void Message(const CNMessageBase& message, int depth) {
    Indent(depth);
    Raw("<message");
    const char* type = FindMessageTypeName(message.group(), message.classId());
    if (type != nullptr) Attribute("type", type);
    NumberAttribute("group", message.group());
    NumberAttribute("class", message.classId());
    if (message.fields().empty()) {
      Raw("/>\n");
    } else {
      Raw(">\n");
      for (const auto& entry : message.fields()) Field(message, entry.second, depth + 1);
      Indent(depth);
      Raw("</message>\n");
    }
    if (buffer_.size() >= kChunk) Flush();
  }

  void Field(const CNMessageBase& message, const CNMessageBase::Field& field, int depth) {
    Indent(depth);
    Raw("<field");
    NumberAttribute("index", field.index);
    NumberAttribute("id", field.id);
    const char* name = FindMessageFieldName(message.group(), message.classId(), field.index, field.id);
    if (name != nullptr) Attribute("name", name);
    Attribute("kind", FieldKindName(field.kind));
    buffer_.push_back('>');
    // An element holding text closes on the same line; one holding
    // elements closes indented on a line of its own.
    if (FieldContent(field, depth + 1)) Indent(depth);
    Raw("</field>\n");
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
        buffer_.push_back('\n');
        Message(*field.object(), depth);
        return true;
      case FieldKind::kList:
        if (field.list() == nullptr || field.list()->empty()) return false;
        buffer_.push_back('\n');
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
    buffer_.push_back('\n');
    for (const T& item : *items) {
      Indent(depth);
      Raw("<item>");
      Number(item);
      Raw("</item>\n");
    }
    return true;
  }

  // Markup characters and CR as character references, the rest as made
  // safe above; text that needs neither is copied as it is.
  void Text(const std::string& text) {
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return IsPlain(static_cast<unsigned char>(c)); })) {
      buffer_.append(text);
      return;
    }
    for (char c : XmlSafeText(text)) {
      switch (c) {
        case '<':
          Raw("&lt;");
          break;
        case '>':
          Raw("&gt;");
          break;
        case '&':
          Raw("&amp;");
          break;
        case '"':
          Raw("&quot;");
          break;
        case '\r':
          Raw("&#13;");
          break;
        default:
          buffer_.push_back(c);
      }
    }
  }
  static bool IsPlain(unsigned char b) {
    return b >= 0x20 && b < 0x80 && b != '<' && b != '>' && b != '&' && b != '"';
  }

  bool Flush() {
    if (!failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size())) failed_ = true;
    buffer_.clear();
    return !failed_;
  }

  int fd_;
  bool failed_ = false;
  std::string buffer_;
};

}  // namespace

bool WriteMessageXml(const CNMessageBase& message, const std::string& path) {
  return WriteFileAtomically(path, 0644, [&message](int fd) { return Emitter(fd).Document(message); });
}

}  // namespace zyhost
