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
// The escaping of markup characters is left to libxml2.
#include <libxml/xmlwriter.h>

#include <memory>
#include <mutex>
#include <string>

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

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

class XmlOut {
 public:
  explicit XmlOut(xmlTextWriterPtr writer) : w_(writer) {}

  bool Start(const char* element) { return Check(xmlTextWriterStartElement(w_, X(element))); }
  bool End() { return Check(xmlTextWriterEndElement(w_)); }
  bool FullEnd() { return Check(xmlTextWriterFullEndElement(w_)); }
  bool Attribute(const char* name, const char* value) {
    return Check(xmlTextWriterWriteAttribute(w_, X(name), X(value)));
  }
  bool Attribute(const char* name, const std::string& value) { return Attribute(name, value.c_str()); }
  bool Text(const std::string& text) {
    // libxml2 takes a C string; a NUL byte was turned into U+2400 above.
    return Check(xmlTextWriterWriteString(w_, X(text.c_str())));
  }

 private:
  bool Check(int rc) { return rc >= 0; }
  xmlTextWriterPtr w_;
};

bool WriteMessage(XmlOut& out, const CNMessageBase& message);

template <typename T>
bool WriteItems(XmlOut& out, const std::vector<T>* items) {
  if (items == nullptr) return true;
  for (const T& item : *items) {
    if (!out.Start("item") || !out.Text(std::to_string(item)) || !out.End()) return false;
  }
  return true;
}

bool WriteFieldContent(XmlOut& out, const CNMessageBase::Field& field) {
  switch (field.kind) {
    case FieldKind::kString:
      return out.Text(XmlSafeText(field.text));
    case FieldKind::kInt64:
      return out.Text(std::to_string(field.number));
    case FieldKind::kObject:
      return field.object == nullptr || WriteMessage(out, *field.object);
    case FieldKind::kList:
      if (field.list == nullptr) return true;
      for (size_t i = 0; i < field.list->size(); ++i) {
        if (!WriteMessage(out, *field.list->at(i))) return false;
      }
      return true;
    case FieldKind::kIntList:
      return WriteItems(out, field.ints.get());
    case FieldKind::kULongList:
      return WriteItems(out, field.ulongs.get());
  }
  return false;
}

bool WriteField(XmlOut& out, const CNMessageBase& message, const CNMessageBase::Field& field) {
  if (!out.Start("field") || !out.Attribute("index", std::to_string(field.index)) ||
      !out.Attribute("id", std::to_string(field.id))) {
    return false;
  }
  const char* name = FindMessageFieldName(message.group(), message.classId(), field.index, field.id);
  if (name != nullptr && !out.Attribute("name", name)) return false;
  return out.Attribute("kind", FieldKindName(field.kind)) && WriteFieldContent(out, field) && out.FullEnd();
}

bool WriteMessage(XmlOut& out, const CNMessageBase& message) {
  if (!out.Start("message")) return false;
  const char* type = FindMessageTypeName(message.group(), message.classId());
  if (type != nullptr && !out.Attribute("type", type)) return false;
  if (!out.Attribute("group", std::to_string(message.group())) ||
      !out.Attribute("class", std::to_string(message.classId()))) {
    return false;
  }
  for (const auto& entry : message.fields()) {
    if (!WriteField(out, message, entry.second)) return false;
  }
  return out.End();
}

struct WriterDeleter {
  void operator()(xmlTextWriterPtr w) const { xmlFreeTextWriter(w); }
};

// libxml2 hands its output to us in chunks of a few KB; they are gathered
// into large writes to the file, so a large list is never held in memory
// as text and costs few system calls. A failed write is remembered:
// libxml2 only sees a short count.
struct FileSink {
  static constexpr size_t kChunk = 256 * 1024;
  int fd = -1;
  bool failed = false;
  std::string pending;

  static int Write(void* context, const char* data, int size) {
    auto* sink = static_cast<FileSink*>(context);
    if (sink->failed || size < 0) return -1;
    sink->pending.append(data, static_cast<size_t>(size));
    if (sink->pending.size() >= kChunk && !sink->Flush()) return -1;
    return size;
  }
  bool Flush() {
    if (!failed && !WriteAll(fd, pending.data(), pending.size())) failed = true;
    pending.clear();
    return !failed;
  }
};

bool RenderDocument(const CNMessageBase& message, FileSink* sink) {
  static std::once_flag init;
  std::call_once(init, [] { xmlInitParser(); });
  xmlOutputBufferPtr output = xmlOutputBufferCreateIO(&FileSink::Write, nullptr, sink, nullptr);
  if (output == nullptr) return false;
  // The writer owns `output` from here on and closes it when freed.
  std::unique_ptr<xmlTextWriter, WriterDeleter> writer(xmlNewTextWriter(output));
  if (!writer) {
    xmlOutputBufferClose(output);
    return false;
  }
  if (xmlTextWriterSetIndent(writer.get(), 1) < 0 ||
      xmlTextWriterSetIndentString(writer.get(), X("  ")) < 0 ||
      xmlTextWriterStartDocument(writer.get(), "1.0", "UTF-8", nullptr) < 0) {
    return false;
  }
  XmlOut out(writer.get());
  if (!WriteMessage(out, message) || xmlTextWriterEndDocument(writer.get()) < 0) return false;
  if (xmlTextWriterFlush(writer.get()) < 0) return false;
  writer.reset();
  return sink->Flush();
}

}  // namespace

bool WriteMessageXml(const CNMessageBase& message, const std::string& path) {
  return WriteFileAtomically(path, 0644, [&message](int fd) {
    FileSink sink;
    sink.fd = fd;
    sink.pending.reserve(FileSink::kChunk + 8192);
    return RenderDocument(message, &sink);
  });
}

}  // namespace zyhost
